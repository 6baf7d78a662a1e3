#include "platform/AtomicFile.h"

#include <QSaveFile>

#include <optional>

// Systems without POSIX files: Qt's save file, with each step checked the same way.

namespace {

std::optional<AtomicWriteStep> injected;

bool Strikes(AtomicWriteStep step) {
    if (!injected || *injected != step)
        return false;
    injected.reset();
    return true;
}

} // namespace

void InjectAtomicWriteError(AtomicWriteStep step, int) {
    injected = step;
}

struct AtomicFileWriter::Data {
    explicit Data(const QString &path) : file(path) {}
    QSaveFile file;
    QString error;
    bool failed = false;
    bool committed = false;

    bool fail(const QString &why) {
        if (!failed)
            error = why.isEmpty() ? file.errorString() : why;
        failed = true;
        return false;
    }
};

AtomicFileWriter::AtomicFileWriter(const QString &path) : d_(std::make_unique<Data>(path)) {
    // Never fall back to overwriting the old file in place: that is the loss this avoids.
    d_->file.setDirectWriteFallback(false);
    if (Strikes(AtomicWriteStep::Create))
        d_->fail(QStringLiteral("injected error"));
    else if (!d_->file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        d_->fail(QString());
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!d_->committed && d_->file.isOpen()) {
        d_->file.cancelWriting();
        d_->file.commit(); // removes the temporary; the old file stays
    }
    injected.reset();
}

bool AtomicFileWriter::ok() const {
    return !d_->failed;
}

bool AtomicFileWriter::write(const QByteArray &bytes) {
    if (d_->failed)
        return false;
    if (!bytes.isEmpty() && Strikes(AtomicWriteStep::Write))
        return d_->fail(QStringLiteral("injected error"));
    return d_->file.write(bytes) == bytes.size() || d_->fail(QString());
}

bool AtomicFileWriter::commit() {
    if (d_->failed)
        return false;
    if (Strikes(AtomicWriteStep::Flush) || Strikes(AtomicWriteStep::Close) ||
        Strikes(AtomicWriteStep::Rename))
        return d_->fail(QStringLiteral("injected error"));
    if (!d_->file.flush() || !d_->file.commit())
        return d_->fail(QString());
    d_->committed = true;
    return true;
}

int AtomicFileWriter::error() const {
    return d_->failed ? -1 : 0;
}

QString AtomicFileWriter::errorString() const {
    return d_->failed ? d_->error : QString();
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes) {
    AtomicFileWriter writer(path);
    return writer.write(bytes) && writer.commit();
}
