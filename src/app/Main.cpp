#include "app/Main.h"

#include "app/KolvaneApp.h"

#include "platform/TerminationSignals.h"
#include "settings/Program.h"
#include "ui/chrome/WindowChrome.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <cmath>

QString AppFolderFromArguments(const QStringList &arguments, const QString &programFolder) {
    QString folder = programFolder;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--folder") && i + 1 < arguments.size())
            folder = arguments.at(++i);
        else if (a.startsWith(QLatin1String("--folder=")))
            folder = a.mid(9);
    }
    folder = QDir(folder).absolutePath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

int Main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    // Twips per pixel from the screen's logical resolution: 1440 twips to the inch.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        WindowChrome::SetTwipsPerPixel(int(std::lround(1440.0 / screen->logicalDotsPerInchX())),
                                       int(std::lround(1440.0 / screen->logicalDotsPerInchY())));
    }
    Program::AppFolder = AppFolderFromArguments(QCoreApplication::arguments(),
                                                QCoreApplication::applicationDirPath());

    KolvaneApp kolvane;
    QObject::connect(&kolvane, &KolvaneApp::finished, &app, &QCoreApplication::quit);
    if (auto *termination = TerminationSignals::install(&app))
        QObject::connect(termination, &TerminationSignals::terminationRequested, &kolvane,
                         &KolvaneApp::requestClose);
    kolvane.start();
    return app.exec();
}
