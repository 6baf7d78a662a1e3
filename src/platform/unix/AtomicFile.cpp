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
bool Strikes(AtomicWriteStep step) {
    if (!injected || injected->step != step)
        return false;
    errno = injected->error;
    injected.reset();
    return true;
}

// Every byte or failure: a short write is continued, an interrupted one retried.
bool WriteAll(int fd, const char *data, size_t size) {
    if (size > 0 && Strikes(AtomicWriteStep::Write)) {
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

// A new, empty file beside `target` that no one else has. Only the user may read it: what the
// program writes whole (settings, exports of names and numbers) is no one else's business.
int CreateTemporary(const QByteArray &target, QByteArray &name) {
    if (Strikes(AtomicWriteStep::Create))
        return -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Makes the rename itself lasting; a folder that cannot be synced is no failure of the write.
void SyncFolder(const QByteArray &folder) {
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

AtomicFileWriter::AtomicFileWriter(const QString &path) : d_(std::make_unique<Data>()) {
    d_->target = QFile::encodeName(path);
    d_->fd = CreateTemporary(d_->target, d_->temporary);
    if (d_->fd < 0) {
        d_->fail();
        return;
    }
    // The new file keeps the old one's permissions, as a rewrite in place would.
    struct stat old;
    if (::stat(d_->target.constData(), &old) == 0)
        ::fchmod(d_->fd, old.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (d_->committed)
        return;
    if (d_->fd >= 0)
        ::close(d_->fd);
    if (!d_->temporary.isEmpty())
        ::unlink(d_->temporary.constData());
    injected.reset();
}

bool AtomicFileWriter::ok() const {
    return !d_->failed;
}

bool AtomicFileWriter::write(const QByteArray &bytes) {
    if (d_->failed)
        return false;
    return WriteAll(d_->fd, bytes.constData(), size_t(bytes.size())) || d_->fail();
}

bool AtomicFileWriter::commit() {
    if (d_->failed)
        return false;
    // The data must be on the disk before the name points at it, or a crash leaves it empty.
    if (Strikes(AtomicWriteStep::Flush) || ::fsync(d_->fd) != 0)
        return d_->fail();
    const int fd = d_->fd;
    d_->fd = -1;
    if (Strikes(AtomicWriteStep::Close)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return d_->fail();
    }
    // Some file systems report a lost write only here.
    if (::close(fd) != 0)
        return d_->fail();
    if (Strikes(AtomicWriteStep::Rename) ||
        ::rename(d_->temporary.constData(), d_->target.constData()) != 0)
        return d_->fail();
    d_->committed = true;
    injected.reset();
    SyncFolder(QFile::encodeName(QFileInfo(QFile::decodeName(d_->target)).absolutePath()));
    return true;
}

int AtomicFileWriter::error() const {
    return d_->failed ? d_->error : 0;
}

QString AtomicFileWriter::errorString() const {
    return d_->failed ? QString::fromLocal8Bit(std::strerror(d_->error)) : QString();
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
