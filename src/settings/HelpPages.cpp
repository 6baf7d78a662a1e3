#include "settings/HelpPages.h"

#include "BuildInfo.h"
#include "settings/Program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace HelpPages {

QStringList Folders() {
    QStringList folders;
    const auto add = [&folders](const QString &parent) {
        if (parent.isEmpty())
            return;
        const QString folder = QDir::cleanPath(QDir(parent).filePath(QStringLiteral("Help")));
        if (!folders.contains(folder))
            folders << folder;
    };
    add(Program::AppFolder);
    add(QCoreApplication::applicationDirPath());
    add(QString::fromUtf8(BuildInfo::DataFolder));
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        add(QDir(data).filePath(QStringLiteral("kolvane")));
    return folders;
}

QString MainPage(const QStringList &folders) {
    const QString name = QStringLiteral("main.htm");
    for (const QString &folder : folders) {
        const QString page = QDir(folder).filePath(name);
        if (QFileInfo(page).isFile())
            return page;
    }
    return folders.isEmpty() ? name : QDir(folders.first()).filePath(name);
}

QString Page(const QString &name, const QStringList &folders) {
    return QFileInfo(MainPage(folders)).dir().filePath(name);
}

} // namespace HelpPages
