#include "settings/Program.h"

QString Program::AppFolder;

QString Program::filePath(const QString &name) {
    return AppFolder + QLatin1Char('/') + name;
}

QString Program::DatabasePath() {
    return filePath(QLatin1String(DatabaseName));
}
