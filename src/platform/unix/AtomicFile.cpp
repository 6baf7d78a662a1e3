#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct InjectedError {
    AtomicWriteStep step;
    int error;
};
std::optional<InjectedError> injected;

// Whether the injected error strikes at this step; it is used up when it does.
bool strikes(AtomicWriteStep step) {
    if (!injected || injected->step != step)
        return false;
    errno = injected->error;
    injected.reset();
    return true;
}

// Every byte or failure: a short write is continued, an interrupted one retried.
bool writeAll(int fd, const char *data, size_t size) {
    if (size > 0 && strikes(AtomicWriteStep::Write)) {
        const int error = errno;
        [[maybe_unused]] const ssize_t half = ::write(fd, data, size / 2);
        errno = error;
        return false;
    }
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// A new, empty file beside `target` that no one else has, created with the usual permissions.
int createTemporary(const QByteArray &target, QByteArray &name) {
    if (strikes(AtomicWriteStep::Create))
        return -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Makes the rename itself lasting; a folder that cannot be synced is no failure of the write.
void syncFolder(const QByteArray &folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void InjectAtomicWriteError(AtomicWriteStep step, int error) {
    injected = InjectedError{step, error};
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes) {
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0)
        return false;
    bool ok = true;
    // The new file keeps the old one's permissions, as a rewrite in place would.
    struct stat old;
    if (::stat(target.constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    ok = writeAll(fd, bytes.constData(), size_t(bytes.size()));
    // The data must be on the disk before the name points at it, or a crash leaves it empty.
    ok = ok && !strikes(AtomicWriteStep::Flush) && ::fsync(fd) == 0;
    bool closed = false;
    if (strikes(AtomicWriteStep::Close)) {
        const int error = errno;
        ::close(fd);
        errno = error;
    } else {
        // Some file systems report a lost write only here.
        closed = ::close(fd) == 0;
    }
    ok = ok && closed;
    ok = ok && !strikes(AtomicWriteStep::Rename) &&
         ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(temporary.constData());
        errno = error;
        injected.reset();
        return false;
    }
    injected.reset();
    syncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
    return true;
}
