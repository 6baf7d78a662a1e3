#include "app/Startup.h"

#include "app/KolvaneApp.h"
#include "db/Compaction.h"
#include "exchange/Exchange.h"
#include "platform/DiagnosticLog.h"
#include "platform/PrivateFiles.h"
#include "platform/TerminationSignals.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/ProgramLock.h"
#include "settings/CommandLine.h"
#include "settings/Program.h"
#include "ui/chrome/WindowChrome.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTextStream>
#include <QTranslator>
#include <cmath>
#include <cstdio>

namespace {

// Whether an option before "--" is one that `is` names.
template <typename Is> bool asks(int argc, char **argv, Is is) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--")
            break;
        if (is(a))
            return true;
    }
    return false;
}

// --help and --version are answered before the application object exists: they need no
// display and create no file.
bool asksForTextOnly(int argc, char **argv) {
    return asks(argc, argv, [](const QByteArray &a) {
        return a == "-h" || a == "--help" || a == "-v" || a == "--version" || a == "-?";
    });
}

// A transfer in or out of the call database needs no display: it runs without windows,
// beside a running program if there is one.
bool asksForTransfer(int argc, char **argv) {
    return asks(argc, argv, [](const QByteArray &a) {
        for (const char *option : {"--export-history", "--export-phonebook", "--import-phonebook"})
            if (a == option || a.startsWith(QByteArray(option) + '='))
                return true;
        return false;
    });
}

bool useAppFolder(const CommandLine &c) {
    QString folderError;
    // A folder named on the command line is made only when its parent exists; the user's
    // data folder of an installed program is made with its parents.
    if (!PrepareAppFolder(c.appFolder, !c.folderGiven, &folderError)) {
        std::fputs(folderError.toLocal8Bit().constData(), stderr);
        return false;
    }
    Program::AppFolder = c.appFolder;
    return true;
}

// A folder the user made (or an older version made) keeps its mode: changing it could lock out
// whoever shares it on purpose. The log says what others can read.
void tellIfReadableByOthers() {
    if (ReadableByOthers(Program::AppFolder))
        DiagnosticLog::note(QStringLiteral("the folder %1 can be read by other users of this "
                                           "computer (chmod 700 keeps the calls yours alone)")
                                .arg(QDir::toNativeSeparators(Program::AppFolder)));
}

int finish(const CommandLine &c) {
    const QByteArray text = c.message.toLocal8Bit();
    std::fputs(text.constData(), c.outcome == CommandLine::Outcome::Print ? stdout : stderr);
    return c.outcome == CommandLine::Outcome::Print ? 0 : 2;
}

int transfer(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const CommandLine c = ParseCommandLine(QCoreApplication::arguments(), ProgramPlace::current());
    if (c.outcome != CommandLine::Outcome::Run)
        return finish(c);
    if (!useAppFolder(c))
        return 2;
    QTextStream out(stdout);
    QTextStream err(stderr);
    // As at the window's start: a transfer never makes an empty file beside the calls.
    const QString takenBack = db::TakeBackCallDatabase(Program::AppFolder).message;
    if (!takenBack.isEmpty())
        err << takenBack << '\n';
    return exchange::RunExchange(c, out, err);
}

} // namespace

int Main(int argc, char **argv) {
    if (asksForTextOnly(argc, argv)) {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        const CommandLine c = ParseCommandLine(arguments, ProgramPlace{});
        if (c.outcome != CommandLine::Outcome::Run)
            return finish(c);
    }
    if (asksForTransfer(argc, argv))
        return transfer(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvane"));
    QApplication::setQuitOnLastWindowClosed(false);
    // The desktop's own dialogs (the file choosers, their buttons) speak Japanese as the
    // windows do; without Qt's translations installed they stay in English.
    auto *qtJapanese = new QTranslator(&app);
    if (qtJapanese->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtJapanese);

    // Twips per pixel from the screen's logical resolution: 1440 twips to the inch.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        WindowChrome::SetTwipsPerPixel(int(std::lround(1440.0 / screen->logicalDotsPerInchX())),
                                       int(std::lround(1440.0 / screen->logicalDotsPerInchY())));
    }
    // Qt has taken its own options (-platform …) out of the arguments by now.
    const CommandLine commandLine =
        ParseCommandLine(QCoreApplication::arguments(), ProgramPlace::current());
    if (commandLine.outcome != CommandLine::Outcome::Run)
        return finish(commandLine);
    if (!useAppFolder(commandLine))
        return 2;
    // Caught from here on: a SIGTERM while the window loads waits in the event queue for the
    // close it asks for, rather than ending the program before the settings are written. It is
    // caught before the folder's lock is taken, so that a program holding the lock always ends
    // through its close.
    TerminationSignals *termination = TerminationSignals::install(&app);
    // Until then (a second program saying it is not needed) it simply ends.
    QMetaObject::Connection endAtOnce;
    if (termination)
        endAtOnce = QObject::connect(termination, &TerminationSignals::terminationRequested, &app,
                                     [] { QCoreApplication::exit(1); });
    // One program per folder: a second one would show its set-up panel over the first and
    // write its own settings over the first one's at close. It writes nothing and ends.
    ProgramLock programLock(Program::AppFolder);
    const ProgramLock::Outcome locked = programLock.acquire();
    if (locked != ProgramLock::Outcome::Acquired) {
        std::fputs("kolvane: Kolvane is already running for this folder.\n", stderr);
        if (locked == ProgramLock::Outcome::AlreadyRunning)
            Dialogs::Tell(nullptr, QStringLiteral("Kolvaneは既に起動しています。"),
                          QStringLiteral("Kolvane"), Dialogs::Icon::Exclamation);
        return 1;
    }
    QObject::disconnect(endAtOnce);
    if (!commandLine.logFile.isEmpty() && !DiagnosticLog::open(commandLine.logFile)) {
        std::fprintf(stderr, "kolvane: cannot write the log file %s.\n",
                     commandLine.logFile.toLocal8Bit().constData());
        return 2;
    }
    tellIfReadableByOthers();

    KolvaneApp kolvane;
    QObject::connect(&kolvane, &KolvaneApp::finished, &app, &QCoreApplication::quit);
    QObject::connect(&programLock, &ProgramLock::showRequested, &kolvane,
                     &KolvaneApp::BringBackFromTray);
    if (termination)
        QObject::connect(termination, &TerminationSignals::terminationRequested, &kolvane,
                         &KolvaneApp::RequestClose);
    kolvane.SetNetworkForRun(commandLine.ncidListen, commandLine.ncidServer);
    kolvane.Start();
    return app.exec();
}
