#include "platform/AtomicFile.h"

#include <QSaveFile>

#include <optional>

// Systems without POSIX files: Qt's save file, with each step checked the same way.

namespace {

std::optional<AtomicWriteStep> injected;

bool strikes(AtomicWriteStep step) {
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

AtomicFileWriter::AtomicFileWriter(const QString &path) : d(std::make_unique<Data>(path)) {
    // Never fall back to overwriting the old file in place: that is the loss this avoids.
    d->file.setDirectWriteFallback(false);
    if (strikes(AtomicWriteStep::Create))
        d->fail(QStringLiteral("injected error"));
    else if (!d->file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        d->fail(QString());
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!d->committed && d->file.isOpen()) {
        d->file.cancelWriting();
        d->file.commit(); // removes the temporary; the old file stays
    }
    injected.reset();
}

bool AtomicFileWriter::ok() const {
    return !d->failed;
}

bool AtomicFileWriter::write(const QByteArray &bytes) {
    if (d->failed)
        return false;
    if (!bytes.isEmpty() && strikes(AtomicWriteStep::Write))
        return d->fail(QStringLiteral("injected error"));
    return d->file.write(bytes) == bytes.size() || d->fail(QString());
}

bool AtomicFileWriter::commit() {
    if (d->failed)
        return false;
    if (strikes(AtomicWriteStep::Flush) || strikes(AtomicWriteStep::Close) ||
        strikes(AtomicWriteStep::Rename))
        return d->fail(QStringLiteral("injected error"));
    if (!d->file.flush() || !d->file.commit())
        return d->fail(QString());
    d->committed = true;
    return true;
}

int AtomicFileWriter::error() const {
    return d->failed ? -1 : 0;
}

QString AtomicFileWriter::errorString() const {
    return d->failed ? d->error : QString();
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes) {
    AtomicFileWriter writer(path);
    return writer.write(bytes) && writer.commit();
}
