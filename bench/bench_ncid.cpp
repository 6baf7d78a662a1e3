// NCID server figures on the real program object with a simulated TA (tools/ta-sim):
//  - the time from a report written by the TA to the CID: line read by a client, median and
//    worst, with 1 and with 50 clients (the receive event's 300 ms wait is in it);
//  - the call path's own time (call arriving to call handled) with no client, and with 50
//    clients of which one never reads: the server must not move it;
//  - resident memory and open descriptors before and after 10 000 connections opened and
//    closed.
//
// Usage: bench_ncid [--calls N] [--connections N]

#include "BenchSupport.h"

#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "network/NcidServer.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace {

long ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int OpenDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                   .size());
}

void Wait(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// One NCID client in this process: counts the CID: lines it has read.
struct Client {
    QTcpSocket socket;
    QByteArray input;
    int calls = 0;
    bool started = false;
    explicit Client(quint16 port, bool reads) {
        if (!reads) {
            socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
            socket.setReadBufferSize(1);
        }
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
        socket.write("HELLO: CMD: no_log\r\n");
        if (!reads)
            return;
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            input += socket.readAll();
            qsizetype end;
            while ((end = input.indexOf('\n')) >= 0) {
                const QByteArray line = input.left(end);
                input.remove(0, end + 1);
                if (line.startsWith("300 "))
                    started = true;
                if (line.startsWith("CID: "))
                    ++calls;
            }
        });
    }
};

class TaProcess {
public:
    TaProcess() {
        proc_.setProgram(QStringLiteral(KOLVANE_TA_SIM));
        proc_.start();
        proc_.waitForStarted(5000);
        while (!proc_.canReadLine() && proc_.waitForReadyRead(5000)) {
        }
        device_ = QString::fromLocal8Bit(proc_.readLine()).trimmed();
    }
    ~TaProcess() {
        proc_.closeWriteChannel();
        if (!proc_.waitForFinished(3000))
            proc_.kill();
        proc_.waitForFinished(3000);
    }
    QString device() const { return device_; }
    void send(const QByteArray &line) {
        proc_.write(line);
        proc_.waitForBytesWritten(5000);
        proc_.readAllStandardOutput();
    }

private:
    QProcess proc_;
    QString device_;
};

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int calls = args.contains(QStringLiteral("--calls"))
                          ? args.value(args.indexOf(QStringLiteral("--calls")) + 1).toInt()
                          : 15;
    const int connections =
        args.contains(QStringLiteral("--connections"))
            ? args.value(args.indexOf(QStringLiteral("--connections")) + 1).toInt()
            : 10000;

    QTemporaryDir dir;
    Program::AppFolder = dir.path();
    TaProcess sim;
    Settings settings;
    settings.ShowDate = 0;
    settings.PortName = sim.device();
    WriteSettingsFile(QDir(dir.path()).filePath(QStringLiteral("Kolvane.ini")), settings);
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();

    KolvaneApp kolvane;
    kolvane.SetNetworkForRun(QStringLiteral("127.0.0.1:%1").arg(port), QString());
    kolvane.Start();
    Wait([] { return false; }, 2500); // the link set up and its answer gone

    QElapsedTimer pathClock;
    qint64 pathStart = 0;
    Figures *pathFigures = nullptr;
    QObject::connect(&kolvane.callHandler(), &CallHandler::callArriving,
                     [&] { pathStart = pathClock.nsecsElapsed(); });
    QObject::connect(&kolvane.callHandler(), &CallHandler::callHandled, [&] {
        if (pathFigures)
            pathFigures->add(pathClock.nsecsElapsed() - pathStart);
    });
    pathClock.start();

    int number = 0;
    // Times `calls` calls: report to CID: line at every reading client, and the call path.
    const auto run = [&](std::vector<std::unique_ptr<Client>> &clients, Figures &toClient,
                         Figures &path) {
        pathFigures = &path;
        for (int i = 0; i < calls; ++i) {
            std::vector<int> before;
            for (auto &c : clients)
                before.push_back(c->calls);
            QElapsedTimer clock;
            clock.start();
            sim.send(QStringLiteral("03%1\n").arg(1000000 + ++number).toLatin1());
            std::vector<bool> seen(clients.size(), false);
            Wait(
                [&] {
                    bool all = true;
                    for (size_t k = 0; k < clients.size(); ++k) {
                        if (!seen[k] && clients[k]->calls > before[k]) {
                            seen[k] = true;
                            toClient.add(clock.nsecsElapsed());
                        }
                        all = all && (seen[k] || clients[k]->socket.readBufferSize() == 1);
                    }
                    return all && path.ms.size() > size_t(i);
                },
                10000);
            Wait([] { return false; }, 100);
        }
        pathFigures = nullptr;
    };
    const auto connect = [&](int readers, int stuck) {
        // The clients of the last case gone first: the server takes at most 50.
        Wait([&] { return kolvane.ncidServer().clientCount() == 0; }, 5000);
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < stuck; ++i)
            clients.push_back(std::make_unique<Client>(port, false));
        for (int i = 0; i < readers; ++i)
            clients.push_back(std::make_unique<Client>(port, true));
        Wait(
            [&] {
                for (auto &c : clients)
                    if (c->socket.readBufferSize() != 1 && !c->started)
                        return false;
                return true;
            },
            10000);
        return clients;
    };

    printHeader(
        QStringLiteral("NCID server: report on the TA's port to the CID: line at a client"));
    {
        std::vector<std::unique_ptr<Client>> none;
        Figures unused, path;
        run(none, unused, path);
        printRow(QStringLiteral("call path, no client"), path);
    }
    {
        auto clients = connect(1, 0);
        Figures toClient, path;
        run(clients, toClient, path);
        printRow(QStringLiteral("to the CID: line, 1 client"), toClient);
        printRow(QStringLiteral("call path, 1 client"), path);
    }
    {
        auto clients = connect(50, 0);
        Figures toClient, path;
        run(clients, toClient, path);
        printRow(QStringLiteral("to the CID: line, 50 clients"), toClient,
                 QStringLiteral("every client's line"));
        printRow(QStringLiteral("call path, 50 clients"), path);
    }
    {
        auto clients = connect(49, 1);
        Figures toClient, path;
        run(clients, toClient, path);
        printRow(QStringLiteral("call path, 50 clients, 1 never reads"), path);
        printRow(QStringLiteral("to the CID: line, the 49 that read"), toClient);
    }

    printHeader(QStringLiteral("NCID server: %1 connections opened and closed").arg(connections));
    Wait([&] { return kolvane.ncidServer().clientCount() == 0; }, 5000);
    const long rssBefore = ResidentKb();
    const int fdBefore = OpenDescriptors();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < connections; ++i) {
        Client c(port, true);
        Wait([&] { return c.started; }, 5000);
        c.socket.abort();
        if (i % 100 == 0)
            Wait([&] { return kolvane.ncidServer().clientCount() == 0; }, 1000);
    }
    Wait([&] { return kolvane.ncidServer().clientCount() == 0; }, 5000);
    Wait([] { return false; }, 300);
    out << QStringLiteral("  %1 connections in %2 s; resident %3 kB -> %4 kB; descriptors %5 -> "
                          "%6; clients left %7\n")
               .arg(connections)
               .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1)
               .arg(rssBefore)
               .arg(ResidentKb())
               .arg(fdBefore)
               .arg(OpenDescriptors())
               .arg(kolvane.ncidServer().clientCount());
    out.flush();
    return 0;
}
