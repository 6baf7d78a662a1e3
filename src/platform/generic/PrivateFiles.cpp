#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Systems without owner-only modes: the files are made as the system makes them.
bool MakePrivateFolder(const QString &folder, bool parents) {
    if (QFileInfo(folder).isDir())
        return true;
    return parents ? QDir().mkpath(folder) : QDir().mkdir(folder);
}

bool CreatePrivateFile(const QString &path) {
    if (QFileInfo::exists(path))
        return true;
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

int PrivateFileMode() {
    return 0644;
}

bool ReadableByOthers(const QString &) {
    return false;
}
