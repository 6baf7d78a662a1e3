#include "platform/FileIdentity.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

// Systems without POSIX files: the file's canonical path stands for its identity.
FileIdentity IdentityOf(const QString &path) {
    FileIdentity id;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return id;
    id.inode = qHash(info.canonicalFilePath());
    id.kind = info.isFile()  ? FileIdentity::Kind::Regular
              : info.isDir() ? FileIdentity::Kind::Folder
                             : FileIdentity::Kind::Other;
    return id;
}

bool LinkFile(const QString &existing, const QString &newName) {
    return !QFile::exists(newName) && QFile::copy(existing, newName);
}

bool RenameOver(const QString &from, const QString &to) {
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdWString()),
                            std::filesystem::path(to.toStdWString()), error);
    return !error;
}
