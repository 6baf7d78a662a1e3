#include "exchange/ExportTarget.h"

#include "platform/FileIdentity.h"
#include "settings/Program.h"

#include <QDir>
#include <QFileInfo>

namespace exchange {

namespace {

// The files the program keeps in its folder, and the backups made of them.
QStringList OwnFileNames() {
    QStringList names;
    for (const char *database : {"Kolvane.mdb", "KolvaneNEW.mdb", "KolvaneOLD.mdb"})
        for (const char *ending : {"", "-wal", "-shm", "-journal", ".damaged"})
            names << QLatin1String(database) + QLatin1String(ending);
    for (const char *file : {"Kolvane.ini", "Rireki.ini", "Kolvane.port", "Options.ini"})
        names << QLatin1String(file) << QLatin1String(file) + QStringLiteral(".damaged");
    return names;
}

// Every path of the program's files: those in AppFolder and those of the database in use.
QStringList OwnFiles(const QString &databasePath) {
    QStringList files;
    if (!Program::AppFolder.isEmpty())
        for (const QString &name : OwnFileNames())
            files << Program::filePath(name);
    if (!databasePath.isEmpty())
        for (const char *ending : {"", "-wal", "-shm", "-journal"})
            files << databasePath + QLatin1String(ending);
    return files;
}

// Which of the program's files `target` (which is there) or a new file `name` in `folder`
// is; empty when none.
QString OwnFile(const FileIdentity &target, const FileIdentity &folder, const QString &name,
                const QString &databasePath) {
    for (const QString &own : OwnFiles(databasePath)) {
        if (target.exists() && target.sameFile(IdentityOf(own)))
            return own;
        // Not there yet: the same name in the same folder would become that file.
        if (!target.exists() && QFileInfo(own).fileName() == name &&
            folder.sameFile(IdentityOf(QFileInfo(own).absolutePath())))
            return own;
    }
    return QString();
}

} // namespace

ExportTarget CheckExportTarget(const QString &path, Wording w, const QString &databasePath) {
    ExportTarget t;
    const QFileInfo asked(path);
    if (path.isEmpty()) {
        t.refusal = Words(w, QStringLiteral("no file named."),
                          QStringLiteral("保存先のファイルが指定されていません。"));
        return t;
    }
    // A link is followed: the file it leads to is written, the link stays.
    t.writePath = !asked.isSymLink() ? path
                  : asked.exists()   ? asked.canonicalFilePath()
                                     : asked.symLinkTarget();
    const FileIdentity target = IdentityOf(t.writePath);
    const QFileInfo written(t.writePath);
    switch (target.kind) {
    case FileIdentity::Kind::Folder:
        t.refusal = Words(w, QStringLiteral("cannot write %1: it is a folder."),
                          QStringLiteral("%1 はフォルダです。"))
                        .arg(path);
        return t;
    case FileIdentity::Kind::Other:
        t.refusal = Words(w,
                          QStringLiteral("cannot write %1: it is not a regular file (a device, a "
                                         "FIFO or a socket)."),
                          QStringLiteral("%1 に書き込めません。通常のファイルではありません"
                                         "（デバイス、FIFO、ソケットなど）。"))
                        .arg(path);
        return t;
    case FileIdentity::Kind::Missing:
        if (!QFileInfo(written.absolutePath()).isDir()) {
            t.refusal = Words(w, QStringLiteral("cannot write %1: there is no folder %2."),
                              QStringLiteral("%1 に書き込めません。フォルダ %2 がありません。"))
                            .arg(path, written.absolutePath());
            return t;
        }
        break;
    case FileIdentity::Kind::Regular:
        break;
    }
    const QString own =
        OwnFile(target, IdentityOf(written.absolutePath()), written.fileName(), databasePath);
    const bool database =
        own.startsWith(databasePath.isEmpty() ? Program::DatabasePath() : databasePath) ||
        own.startsWith(Program::DatabasePath());
    if (own.isEmpty())
        return t;
    // Written over, the file would lose the calls, the settings or the backup it holds.
    if (database)
        t.refusal = Words(w, QStringLiteral("cannot write %1: it is the call database itself."),
                          QStringLiteral("%1 には保存できません。電話帳データベースそのものです。"))
                        .arg(path);
    else
        t.refusal =
            Words(w, QStringLiteral("cannot write %1: it is Kolvane's own file %2."),
                  QStringLiteral("%1 には保存できません。Kolvane自身のファイル「%2」です。"))
                .arg(path, QFileInfo(own).fileName());
    return t;
}

} // namespace exchange
