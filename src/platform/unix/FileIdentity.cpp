#include "platform/FileIdentity.h"

#include <QFile>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

FileIdentity IdentityOf(const QString &path) {
    FileIdentity id;
    struct stat s;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &s) != 0)
        return id;
    id.device = quint64(s.st_dev);
    id.inode = quint64(s.st_ino);
    id.kind = S_ISREG(s.st_mode)   ? FileIdentity::Kind::Regular
              : S_ISDIR(s.st_mode) ? FileIdentity::Kind::Folder
                                   : FileIdentity::Kind::Other;
    return id;
}

bool LinkFile(const QString &existing, const QString &newName) {
    if (::link(QFile::encodeName(existing).constData(), QFile::encodeName(newName).constData()) ==
        0)
        return true;
    // A file system without hard links (a network share, FAT): a copy of the file.
    return !QFile::exists(newName) && QFile::copy(existing, newName);
}

bool RenameOver(const QString &from, const QString &to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
