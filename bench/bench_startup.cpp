// Times the program's start at several sizes of the call history: a fresh process each run,
// from its start to the main window mapped (offscreen), the program object started as main()
// starts it. Prints median and worst per size and the ratio to the empty folder's figure, and
// how long the program then takes to end when told to at once (while the first opening's
// check may still be reading the file).
//
// Usage: bench_startup [--data DIR] [--calls N] [--rows N,N,...]
//   N runs per size (default 7); sizes default to 10000,1000000 (5000000 works, it takes a
//   while to generate). The empty folder (no Kolvane.mdb yet) is always measured first.

#include "app/KolvaneApp.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "BenchSupport.h"

namespace {

// The child: the program in `folder` until its main window is mapped.
int runProgram(int argc, char **argv, const QString &folder) {
    QApplication app(argc, argv);
    Program::AppFolder = folder;
    KolvaneApp kolvane;
    kolvane.Start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        QWidget *w = kolvane.mainWindow();
        if (w && w->windowHandle() && w->windowHandle()->isExposed()) {
            std::fputs("mapped\n", stdout);
            std::fflush(stdout);
            app.quit();
        }
    });
    poll.start(1);
    return app.exec();
}

// A folder with the program's settings (no TA) and, unless rows is negative, a Kolvane.mdb
// holding `rows` calls.
bool prepareFolder(const QString &folder, int rows) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    Settings s;
    s.PortNumber = 0;
    WriteSettingsFile(QDir(folder).filePath(QStringLiteral("Kolvane.ini")), s);
    if (rows < 0)
        return true;
    const QString path = QDir(folder).filePath(QStringLiteral("Kolvane.mdb"));
    return FillHistory(path, rows);
}

// Start to mapped of one fresh process, in ms, and mapped to ended (the program told to end at
// once, the first opening's check of the file perhaps still reading); negative when it did not
// say so.
double startOnce(const QString &folder, double *quit) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), folder});
    bool said = false;
    while (!said && child.waitForReadyRead(30000))
        said = child.readAll().contains("mapped");
    const double ms = double(t.nsecsElapsed()) / 1e6;
    const bool ended = child.waitForFinished(60000);
    *quit = double(t.nsecsElapsed()) / 1e6 - ms;
    if (said && ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        return ms;
    out << "  a start failed: " << (said ? "mapped" : "never mapped") << ", "
        << (!ended ? QStringLiteral("still running after a minute")
                   : QStringLiteral("ended with %1%2")
                         .arg(child.exitStatus() == QProcess::CrashExit ? "a crash, " : "")
                         .arg(child.exitCode()))
        << "; " << child.readAllStandardError().right(300) << "\n";
    if (!ended)
        child.kill();
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    QString dataDir = QStringLiteral(KOLVANE_BENCH_DATA_DIR);
    int runs = 7;
    QList<int> sizes{10000, 1000000};
    if (!ParseBenchArguments(app.arguments(), dataDir, runs, &sizes))
        return 2;
    printHeader(QStringLiteral("Start to main window mapped (a fresh process per run)"));
    double empty = 0;
    bool ok = true;
    sizes.prepend(-1);
    for (const int rows : sizes) {
        const QString folder =
            QDir(dataDir).filePath(QStringLiteral("startup-%1").arg(rows < 0 ? 0 : rows));
        if (!prepareFolder(folder, rows)) {
            out << "  cannot prepare " << folder << "\n";
            return 1;
        }
        Figures f, quits;
        for (int i = 0; i < runs; ++i) {
            double quit = 0;
            const double ms = startOnce(folder, &quit);
            ok = ok && ms >= 0;
            if (ms >= 0) {
                f.ms.push_back(ms);
                quits.ms.push_back(quit);
            }
            // The empty folder stays empty; a history stays as the last run left it, as from
            // one day to the next.
            if (rows < 0)
                prepareFolder(folder, rows);
        }
        if (rows < 0)
            empty = f.median();
        const QString name =
            rows < 0 ? QStringLiteral("empty folder") : QStringLiteral("%1 history rows").arg(rows);
        printRow(name, f,
                 empty > 0
                     ? QStringLiteral("x%1 of the empty folder").arg(f.median() / empty, 0, 'f', 2)
                     : QString());
        printRow(QStringLiteral("    told to end once mapped, to ended"), quits);
    }
    return ok ? 0 : 1;
}
