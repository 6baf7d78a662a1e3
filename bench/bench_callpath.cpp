// Times the whole call path of the real main window: from a report written by the simulated
// TA (tools/ta-sim on a pseudo-terminal) to the history row committed and the number line
// set, on a Kolvane.mdb with 100 000 phonebook numbers and 1 000 000 calls. The receive event
// waits 300 ms for the whole report before reading; that wait is the floor, and the figure
// that matters is what the program adds to it.
//
// Usage: bench_callpath [--data DIR] [--calls N]

#include "BenchSupport.h"

#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>

namespace {

// Waits for the window's next handled call; false after the timeout.
bool waitForCall(KolvaneApp &program, int timeoutMs) {
    QEventLoop loop;
    bool handled = false;
    const auto connection =
        QObject::connect(&program.callHandler(), &CallHandler::callHandled, &loop, [&] {
            handled = true;
            loop.quit();
        });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return handled;
}

// The resident memory of this process in kB, from the kernel's own count.
long ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Half a second of a 440 Hz tone, 8 kHz mono 8-bit PCM.
void WriteRingFile(const QString &path) {
    const int rate = 8000, samples = rate / 2;
    QByteArray data;
    for (int i = 0; i < samples; ++i)
        data.append(char(128 + 100 * std::sin(2 * M_PI * 440 * i / rate)));
    QByteArray wav;
    const auto u32 = [&wav](quint32 v) {
        for (int i = 0; i < 4; ++i)
            wav.append(char((v >> (8 * i)) & 0xFF));
    };
    const auto u16 = [&wav](quint16 v) {
        wav.append(char(v & 0xFF));
        wav.append(char(v >> 8));
    };
    wav.append("RIFF");
    u32(36 + data.size());
    wav.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate);
    u16(1);
    u16(8);
    wav.append("data");
    u32(data.size());
    wav.append(data);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(wav);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString dataDir = QStringLiteral(KOLVANE_BENCH_DATA_DIR);
    int calls = 50;
    if (!ParseBenchArguments(app.arguments(), dataDir, calls))
        return 2;
    QDir().mkpath(dataDir);
    const QString seed = CallDatabaseSeed(dataDir);
    if (seed.isEmpty())
        return 1;

    QTemporaryDir folder(QDir(dataDir).filePath(QStringLiteral("callpath-XXXXXX")));
    if (!folder.isValid() || !QFile::copy(seed, folder.filePath(QStringLiteral("Kolvane.mdb")))) {
        out << "cannot copy " << seed << "\n";
        return 1;
    }

    QProcess sim;
    sim.start(QStringLiteral(KOLVANE_TA_SIM), {});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        out << "the simulated TA did not start\n";
        return 1;
    }
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    Program::AppFolder = folder.path();
    Settings settings;
    settings.ShowDate = 0;
    // Ringing, as on a real desk: a short WAV file of our own making.
    settings.RingFile = folder.filePath(QStringLiteral("ring.wav"));
    settings.RingOn = 1;
    WriteRingFile(settings.RingFile);
    settings.PortName = device;
    WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), settings);

    Figures startUp;
    QElapsedTimer clock;
    clock.start();
    KolvaneApp program;
    MainWindow &window = *program.mainWindow();
    program.Start();
    while (program.state().firstActivation() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    startUp.add(clock.nsecsElapsed());
    if (program.state().firstActivation()) {
        out << "the TA link did not come up on " << device << "\n";
        return 1;
    }

    out << "bench_callpath: " << calls << " calls on " << phonebookNumbers << " numbers and "
        << historyRows << " history rows\n";
    printHeader(QStringLiteral("report written -> history row stored and number shown"));
    printRow(QStringLiteral("start-up to link up (includes the 300 ms settle)"), startUp);

    Figures known, unknown, added;
    long residentAfterFirst = 0;
    auto *number = window.findChild<QLabel *>(QStringLiteral("Label6"));
    for (int i = 0; i < calls; ++i) {
        const bool isKnown = i % 2 == 0;
        const QString caller = isKnown ? phonebookNumber((i * 1997) % phonebookNumbers)
                                       : unknownNumber((i * 1997) % phonebookNumbers);
        // Calls come seconds apart; the previous one is done before the next is written.
        QCoreApplication::processEvents();
        clock.restart();
        sim.write((caller + QStringLiteral(" 0312349876\n")).toLatin1());
        sim.waitForBytesWritten(1000);
        if (!waitForCall(program, 5000) || !number->text().startsWith(caller)) {
            out << "call " << i << " (" << caller << ") was not handled\n";
            return 1;
        }
        const qint64 ns = clock.nsecsElapsed();
        (isKnown ? known : unknown).add(ns);
        added.add(ns - qint64(300) * 1000 * 1000);
        // The first call loads the sound system; growth is counted from there.
        if (i == 0)
            residentAfterFirst = ResidentKb();
    }
    const long residentAtEnd = ResidentKb();
    printRow(QStringLiteral("known caller"), known);
    printRow(QStringLiteral("unknown caller"), unknown);
    printRow(QStringLiteral("all calls, above the 300 ms wait"), added,
             QStringLiteral("goal: 20 ms"));
    out << "  resident memory after the first call " << residentAfterFirst << " kB, after " << calls
        << " calls " << residentAtEnd << " kB (" << (residentAtEnd - residentAfterFirst)
        << " kB more)\n";
    window.close();
    sim.closeWriteChannel();
    sim.waitForFinished(3000);
    return 0;
}
