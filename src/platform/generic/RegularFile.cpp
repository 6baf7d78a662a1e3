#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>

// Systems without POSIX files: Qt's view of the file, checked before and after the opening.

bool IsRegularFile(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool OpenRegularFile(QFile &file, const QString &path) {
    if (!IsRegularFile(path))
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}
