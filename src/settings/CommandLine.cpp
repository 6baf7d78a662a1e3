#include "settings/CommandLine.h"

#include "BuildInfo.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

namespace {

QString CleanFolder(const QString &folder) {
    QString f = QDir::cleanPath(QDir(folder).absolutePath());
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f;
}

} // namespace

ProgramPlace ProgramPlace::current() {
    ProgramPlace p;
    p.programFolder = QCoreApplication::applicationDirPath();
    p.userDataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return p;
}

bool IsInstalledProgramFolder(const QString &programFolder) {
    const QFileInfo folder(programFolder);
    if (!folder.isWritable())
        return true;
    // As root every folder is writable: an install is known by its desktop entry beside bin/.
    return folder.fileName() == QLatin1String("bin") &&
           QFileInfo::exists(
               QDir(programFolder)
                   .filePath(QStringLiteral("../share/applications/io.kolvane.Kolvane.desktop")));
}

QString VersionText() {
    return QStringLiteral("Kolvane %1\n").arg(QString::fromUtf8(BuildInfo::Version));
}

CommandLine ParseCommandLine(const QStringList &arguments, const ProgramPlace &place) {
    CommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kolvane: caller identification for an ISDN terminal adapter."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption folder(
        QStringLiteral("folder"),
        QStringLiteral("Keep the program's files (Kolvane.ini, Kolvane.mdb, Rireki.ini) in "
                       "<dir>; created when its parent folder exists."),
        QStringLiteral("dir"));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("Write a diagnostic log to <file>: every block read from the TA, every "
                       "report recognised or ignored, every failure passed over."),
        QStringLiteral("file"));
    const QCommandLineOption exportHistory(
        QStringLiteral("export-history"),
        QStringLiteral("Write the call history to <file> as CSV (UTF-8) and exit."),
        QStringLiteral("file"));
    const QCommandLineOption exportPhonebook(
        QStringLiteral("export-phonebook"),
        QStringLiteral("Write the phonebook to <file> as vCard and exit."), QStringLiteral("file"));
    const QCommandLineOption importPhonebook(
        QStringLiteral("import-phonebook"),
        QStringLiteral("Add the entries of the vCard file <file> to the phonebook and exit; "
                       "nothing already there is changed."),
        QStringLiteral("file"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(folder);
    parser.addOption(log);
    parser.addOption(exportHistory);
    parser.addOption(exportPhonebook);
    parser.addOption(importPhonebook);

    QStringList args = arguments;
    if (args.isEmpty())
        args << QStringLiteral("kolvane");
    if (!parser.parse(args)) {
        result.outcome = CommandLine::Outcome::Fail;
        result.message =
            QStringLiteral("kolvane: %1\nTry 'kolvane --help'.\n").arg(parser.errorText());
        return result;
    }
    if (parser.isSet(help)) {
        result.outcome = CommandLine::Outcome::Print;
        result.message = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = CommandLine::Outcome::Print;
        result.message = VersionText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.outcome = CommandLine::Outcome::Fail;
        result.message = QStringLiteral("kolvane: unexpected argument: %1\nTry 'kolvane --help'.\n")
                             .arg(parser.positionalArguments().first());
        return result;
    }
    if (parser.values(folder).size() > 1 || parser.values(log).size() > 1) {
        result.outcome = CommandLine::Outcome::Fail;
        result.message = QStringLiteral("kolvane: --folder and --log may be given once each.\n");
        return result;
    }
    if (parser.isSet(folder)) {
        const QString value = parser.value(folder);
        if (value.isEmpty()) {
            result.outcome = CommandLine::Outcome::Fail;
            result.message = QStringLiteral("kolvane: --folder needs a folder.\n");
            return result;
        }
        result.appFolder = CleanFolder(value);
        result.folderGiven = true;
    } else if (IsInstalledProgramFolder(place.programFolder)) {
        result.appFolder = CleanFolder(place.userDataFolder + QStringLiteral("/kolvane"));
    } else {
        result.appFolder = CleanFolder(place.programFolder);
    }
    if (parser.isSet(log)) {
        if (parser.value(log).isEmpty()) {
            result.outcome = CommandLine::Outcome::Fail;
            result.message = QStringLiteral("kolvane: --log needs a file.\n");
            return result;
        }
        result.logFile = QFileInfo(parser.value(log)).absoluteFilePath();
    }
    const std::pair<const QCommandLineOption *, CommandLine::Exchange> exchanges[] = {
        {&exportHistory, CommandLine::Exchange::ExportHistory},
        {&exportPhonebook, CommandLine::Exchange::ExportPhonebook},
        {&importPhonebook, CommandLine::Exchange::ImportPhonebook},
    };
    int exchangesGiven = 0;
    for (const auto &[option, exchange] : exchanges) {
        exchangesGiven += int(parser.values(*option).size());
        if (parser.isSet(*option)) {
            result.exchange = exchange;
            result.exchangeFile = parser.value(*option);
        }
    }
    if (exchangesGiven > 1) {
        result.outcome = CommandLine::Outcome::Fail;
        result.message = QStringLiteral("kolvane: give one of --export-history, "
                                        "--export-phonebook and --import-phonebook, once.\n");
        return result;
    }
    if (result.exchange != CommandLine::Exchange::None) {
        if (result.exchangeFile.isEmpty()) {
            result.outcome = CommandLine::Outcome::Fail;
            result.message = QStringLiteral("kolvane: the transfer needs a file name.\n");
            return result;
        }
        result.exchangeFile = QFileInfo(result.exchangeFile).absoluteFilePath();
    }
    return result;
}

bool PrepareAppFolder(const QString &folder, bool createParents, QString *error) {
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists()) {
        *error = QStringLiteral("kolvane: %1 is not a folder.\n").arg(folder);
        return false;
    }
    const QFileInfo parent(info.absolutePath());
    if (!createParents && !parent.isDir()) {
        *error = QStringLiteral("kolvane: cannot use the folder %1: its parent folder %2 does "
                                "not exist.\n")
                     .arg(folder, parent.absoluteFilePath());
        return false;
    }
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("kolvane: cannot create the folder %1.\n").arg(folder);
        return false;
    }
    return true;
}
