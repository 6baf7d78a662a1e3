#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool MakePrivateFolder(const QString &folder, bool parents) {
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    // The folders above are the user's own business (a home, a shared disk): only the one that
    // holds the program's files is made private.
    if (parents && !QDir().mkpath(info.absolutePath()))
        return false;
    const QByteArray name = QFile::encodeName(info.absoluteFilePath());
    return ::mkdir(name.constData(), 0700) == 0 || (errno == EEXIST && QFileInfo(folder).isDir());
}

bool CreatePrivateFile(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return errno == EEXIST;
}

int PrivateFileMode() {
    return 0600;
}

bool ReadableByOthers(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return (st.st_mode & (S_IRGRP | S_IROTH)) != 0;
}
