#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
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

struct AtomicFileWriter::Data {
    QByteArray target;
    QByteArray temporary;
    int fd = -1;
    int error = 0;
    bool failed = false;
    bool committed = false;

    bool fail() {
        error = errno;
        failed = true;
        return false;
    }
};

AtomicFileWriter::AtomicFileWriter(const QString &path) : d(std::make_unique<Data>()) {
    d->target = QFile::encodeName(path);
    d->fd = createTemporary(d->target, d->temporary);
    if (d->fd < 0) {
        d->fail();
        return;
    }
    // The new file keeps the old one's permissions, as a rewrite in place would.
    struct stat old;
    if (::stat(d->target.constData(), &old) == 0)
        ::fchmod(d->fd, old.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (d->committed)
        return;
    if (d->fd >= 0)
        ::close(d->fd);
    if (!d->temporary.isEmpty())
        ::unlink(d->temporary.constData());
    injected.reset();
}

bool AtomicFileWriter::ok() const {
    return !d->failed;
}

bool AtomicFileWriter::write(const QByteArray &bytes) {
    if (d->failed)
        return false;
    return writeAll(d->fd, bytes.constData(), size_t(bytes.size())) || d->fail();
}

bool AtomicFileWriter::commit() {
    if (d->failed)
        return false;
    // The data must be on the disk before the name points at it, or a crash leaves it empty.
    if (strikes(AtomicWriteStep::Flush) || ::fsync(d->fd) != 0)
        return d->fail();
    const int fd = d->fd;
    d->fd = -1;
    if (strikes(AtomicWriteStep::Close)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return d->fail();
    }
    // Some file systems report a lost write only here.
    if (::close(fd) != 0)
        return d->fail();
    if (strikes(AtomicWriteStep::Rename) ||
        ::rename(d->temporary.constData(), d->target.constData()) != 0)
        return d->fail();
    d->committed = true;
    injected.reset();
    syncFolder(QFile::encodeName(QFileInfo(QFile::decodeName(d->target)).absolutePath()));
    return true;
}

int AtomicFileWriter::error() const {
    return d->failed ? d->error : 0;
}

QString AtomicFileWriter::errorString() const {
    return d->failed ? QString::fromLocal8Bit(std::strerror(d->error)) : QString();
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes) {
    int error = 0;
    {
        AtomicFileWriter writer(path);
        if (writer.write(bytes) && writer.commit())
            return true;
        error = writer.error();
    }
    // The system's error of the failed step, not that of removing the temporary.
    errno = error;
    return false;
}
