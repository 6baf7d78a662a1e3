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

bool WriteFileAtomically(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    // Never fall back to overwriting the old file in place: that is the loss this avoids.
    file.setDirectWriteFallback(false);
    bool ok = !strikes(AtomicWriteStep::Create) &&
              file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    ok = ok && !strikes(AtomicWriteStep::Write) && file.write(bytes) == bytes.size();
    ok = ok && !strikes(AtomicWriteStep::Flush) && file.flush();
    ok = ok && !strikes(AtomicWriteStep::Close) && !strikes(AtomicWriteStep::Rename);
    injected.reset();
    if (!ok) {
        file.cancelWriting();
        file.commit(); // removes the temporary; the old file stays
        return false;
    }
    return file.commit();
}
