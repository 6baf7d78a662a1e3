#include "settings/Options.h"

#include "platform/PrivateFiles.h"
#include "settings/Program.h"

#include <QSettings>

namespace Options {
namespace {

QString path() {
    return Program::filePath(fileName());
}

} // namespace

QString fileName() {
    return QStringLiteral("Options.ini");
}

QVariant value(const QString &group, const QString &key, const QVariant &fallback) {
    const QSettings file(path(), QSettings::IniFormat);
    return file.value(group + QLatin1Char('/') + key, fallback);
}

bool boolValue(const QString &group, const QString &key, bool fallback) {
    const QVariant v = value(group, key, fallback);
    // A hand-edited "1" or "yes" is read as the user meant it.
    const QString text = v.toString().trimmed().toLower();
    if (text == QLatin1String("1") || text == QLatin1String("true") || text == QLatin1String("yes"))
        return true;
    if (text == QLatin1String("0") || text == QLatin1String("false") || text == QLatin1String("no"))
        return false;
    return fallback;
}

bool setValue(const QString &group, const QString &key, const QVariant &value) {
    // QSettings replaces the file through a temporary and keeps the mode of the one it
    // replaces: made private first, it stays private.
    CreatePrivateFile(path());
    QSettings file(path(), QSettings::IniFormat);
    file.setValue(group + QLatin1Char('/') + key, value);
    file.sync();
    return file.status() == QSettings::NoError;
}

} // namespace Options
