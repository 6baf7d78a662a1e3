#pragma once

#include <QString>
#include <QtGlobal>

// What a path names on the disk, through symbolic links: which file it is (device and inode, so
// two names of one file compare equal) and what kind of file.
struct FileIdentity {
    enum class Kind { Missing, Regular, Folder, Other };
    Kind kind = Kind::Missing;
    quint64 device = 0;
    quint64 inode = 0;

    bool exists() const { return kind != Kind::Missing; }
    bool sameFile(const FileIdentity &o) const {
        return exists() && o.exists() && device == o.device && inode == o.inode;
    }
};

// The file `path` names, its symbolic links followed; Missing when nothing is there (or a link
// leads nowhere).
FileIdentity IdentityOf(const QString &path);

// A second name for an existing file (a hard link), where the file system has them; elsewhere a
// copy. False when `newName` exists or the link cannot be made.
bool LinkFile(const QString &existing, const QString &newName);

// Renames `from` over `to` in one step: `to` names the old file or the new one at every instant.
bool RenameOver(const QString &from, const QString &to);
