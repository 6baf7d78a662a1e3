#include "settings/CommandLine.h"

#include "BuildInfo.h"
#include "platform/PrivateFiles.h"

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

namespace {

// The options the program answers to, in the order the help lists them.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption folder{
        QStringLiteral("folder"),
        QStringLiteral("Keep the program's files (Kolvane.ini, Kolvane.mdb, Rireki.ini) in "
                       "<dir>; created when its parent folder exists."),
        QStringLiteral("dir")};
    QCommandLineOption log{
        QStringLiteral("log"),
        QStringLiteral("Write a diagnostic log to <file>: every block read from the TA, every "
                       "report recognised or ignored, every failure passed over."),
        QStringLiteral("file")};
    QCommandLineOption exportHistory{
        QStringLiteral("export-history"),
        QStringLiteral("Write the call history to <file> as CSV (UTF-8) and exit."),
        QStringLiteral("file")};
    QCommandLineOption exportPhonebook{
        QStringLiteral("export-phonebook"),
        QStringLiteral("Write the phonebook to <file> as vCard and exit."), QStringLiteral("file")};
    QCommandLineOption importPhonebook{
        QStringLiteral("import-phonebook"),
        QStringLiteral("Add the entries of the vCard file <file> to the phonebook and exit; "
                       "nothing already there is changed."),
        QStringLiteral("file")};

    QCommandLineOption importMarks{
        QStringLiteral("import-marks"),
        QStringLiteral("Mark the numbers of <file> (CSV or text: one number a line, a reason "
                       "after a comma or a tab) as nuisance calls and exit; numbers already "
                       "marked are left as they are."),
        QStringLiteral("file")};
    QCommandLineOption exportMarks{
        QStringLiteral("export-marks"),
        QStringLiteral("Write the numbers marked as nuisance calls to <file> and exit."),
        QStringLiteral("file")};
    QCommandLineOption ncidListen{
        QStringLiteral("ncid-listen"),
        QStringLiteral("For this run, announce calls to NCID clients connecting to <address:port> "
                       "(for example 127.0.0.1:3333, 0.0.0.0:3333 or [::]:3333)."),
        QStringLiteral("address:port")};
    QCommandLineOption ncidServer{
        QStringLiteral("ncid-server"),
        QStringLiteral("For this run, take calls from the NCID server at <host:port>."),
        QStringLiteral("host:port")};

    void addTo(QCommandLineParser &parser) const {
        for (const QCommandLineOption *option :
             {&help, &version, &folder, &log, &exportHistory, &exportPhonebook, &importPhonebook,
              &importMarks, &exportMarks, &ncidListen, &ncidServer})
            parser.addOption(*option);
    }
};

CommandLine Finished(CommandLine result, CommandLine::Outcome outcome, const QString &message) {
    result.outcome = outcome;
    result.message = message;
    return result;
}

// Where the program keeps its files: the folder given, else the user's data folder for an
// installed program, else the program's own folder. Returns what is wrong, if anything.
QString TakeFolder(const QCommandLineParser &parser, const Options &options,
                   const ProgramPlace &place, CommandLine &result) {
    if (parser.isSet(options.folder)) {
        const QString value = parser.value(options.folder);
        if (value.isEmpty())
            return QStringLiteral("kolvane: --folder needs a folder.\n");
        result.appFolder = CleanFolder(value);
        result.folderGiven = true;
    } else if (IsInstalledProgramFolder(place.programFolder)) {
        result.appFolder = CleanFolder(place.userDataFolder + QStringLiteral("/kolvane"));
    } else {
        result.appFolder = CleanFolder(place.programFolder);
    }
    return QString();
}

QString TakeLog(const QCommandLineParser &parser, const Options &options, CommandLine &result) {
    if (!parser.isSet(options.log))
        return QString();
    if (parser.value(options.log).isEmpty())
        return QStringLiteral("kolvane: --log needs a file.\n");
    result.logFile = QFileInfo(parser.value(options.log)).absoluteFilePath();
    return QString();
}

// The one transfer asked for, with its file made absolute.
QString TakeExchange(const QCommandLineParser &parser, const Options &options,
                     CommandLine &result) {
    const std::pair<const QCommandLineOption *, CommandLine::Exchange> exchanges[] = {
        {&options.exportHistory, CommandLine::Exchange::ExportHistory},
        {&options.exportPhonebook, CommandLine::Exchange::ExportPhonebook},
        {&options.importPhonebook, CommandLine::Exchange::ImportPhonebook},
        {&options.importMarks, CommandLine::Exchange::ImportMarks},
        {&options.exportMarks, CommandLine::Exchange::ExportMarks},
    };
    int exchangesGiven = 0;
    for (const auto &[option, exchange] : exchanges) {
        exchangesGiven += int(parser.values(*option).size());
        if (parser.isSet(*option)) {
            result.exchange = exchange;
            result.exchangeFile = parser.value(*option);
        }
    }
    if (exchangesGiven > 1)
        return QStringLiteral("kolvane: give one of --export-history, --export-phonebook, "
                              "--import-phonebook, --import-marks and --export-marks, once.\n");
    if (result.exchange != CommandLine::Exchange::None) {
        if (result.exchangeFile.isEmpty())
            return QStringLiteral("kolvane: the transfer needs a file name.\n");
        result.exchangeFile = QFileInfo(result.exchangeFile).absoluteFilePath();
    }
    return QString();
}

// An NCID address given for the run, checked.
QString TakeNcid(const QCommandLineParser &parser, const Options &options, CommandLine &result) {
    const std::pair<const QCommandLineOption *, QString *> addresses[] = {
        {&options.ncidListen, &result.ncidListen},
        {&options.ncidServer, &result.ncidServer},
    };
    for (const auto &[option, value] : addresses) {
        if (!parser.isSet(*option))
            continue;
        QString host;
        quint16 port = 0;
        if (parser.values(*option).size() > 1 ||
            !ParseHostAndPort(parser.value(*option), &host, &port))
            return QStringLiteral("kolvane: --%1 needs one ADDRESS:PORT.\n")
                .arg(option->names().constFirst());
        *value = parser.value(*option);
    }
    return QString();
}

} // namespace

bool ParseHostAndPort(const QString &text, QString *host, quint16 *port) {
    const QString t = text.trimmed();
    const qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString h = t.left(colon);
    if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']')))
        h = h.mid(1, h.size() - 2);
    else if (h.contains(QLatin1Char(':')))
        return false; // an IPv6 address needs its brackets before the port
    bool ok = false;
    const uint p = t.mid(colon + 1).toUInt(&ok);
    if (!ok || p == 0 || p > 65535 || h.isEmpty() || h.contains(QLatin1Char(' ')))
        return false;
    *host = h;
    *port = quint16(p);
    return true;
}

CommandLine ParseCommandLine(const QStringList &arguments, const ProgramPlace &place) {
    using Outcome = CommandLine::Outcome;
    CommandLine result;
    const Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kolvane: caller identification for an ISDN terminal adapter."));
    options.addTo(parser);

    QStringList args = arguments;
    if (args.isEmpty())
        args << QStringLiteral("kolvane");
    if (!parser.parse(args))
        return Finished(
            result, Outcome::Fail,
            QStringLiteral("kolvane: %1\nTry 'kolvane --help'.\n").arg(parser.errorText()));
    if (parser.isSet(options.help))
        return Finished(result, Outcome::Print, parser.helpText());
    if (parser.isSet(options.version))
        return Finished(result, Outcome::Print, VersionText());
    if (!parser.positionalArguments().isEmpty())
        return Finished(result, Outcome::Fail,
                        QStringLiteral("kolvane: unexpected argument: %1\nTry 'kolvane --help'.\n")
                            .arg(parser.positionalArguments().first()));
    if (parser.values(options.folder).size() > 1 || parser.values(options.log).size() > 1)
        return Finished(result, Outcome::Fail,
                        QStringLiteral("kolvane: --folder and --log may be given once each.\n"));

    QString problem = TakeFolder(parser, options, place, result);
    if (problem.isEmpty())
        problem = TakeLog(parser, options, result);
    if (problem.isEmpty())
        problem = TakeExchange(parser, options, result);
    if (problem.isEmpty())
        problem = TakeNcid(parser, options, result);
    return problem.isEmpty() ? result : Finished(result, Outcome::Fail, problem);
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
    if (!MakePrivateFolder(folder, createParents)) {
        *error = QStringLiteral("kolvane: cannot create the folder %1.\n").arg(folder);
        return false;
    }
    return true;
}
