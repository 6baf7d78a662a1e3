// The serial link to the TA, against tools/ta-sim on a real pseudo-terminal.

#include "callerid/TaLink.h"
#include "platform/DiagnosticLog.h"
#include "platform/SerialControl.h"
#include "settings/Settings.h"
#include "support/TaSim.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <ctime>
#include <memory>

namespace {

Settings settingsFor(const QString &device) {
    Settings s;
    s.PortNumber = 1;
    s.PortName = device;
    return s;
}

QByteArray framed(const QByteArray &field) {
    return "\r\nRING ANALOG " + field + "\r\n";
}

// Collects blockRead until `size` bytes have come (or the time runs out).
QByteArray readBlocks(QSignalSpy &spy, int size) {
    QByteArray all;
    int taken = 0;
    QElapsedTimer t;
    t.start();
    while (all.size() < size && t.elapsed() < 15000) {
        if (taken == spy.size())
            spy.wait(1000);
        for (; taken < spy.size(); ++taken)
            all += spy.at(taken).at(0).toByteArray();
    }
    return all;
}

} // namespace

class TestTaLink : public QObject {
    Q_OBJECT
private slots:
    void setupCommandIsExactAndSentPerOpening();
    void replyIsDiscarded_data();
    void replyIsDiscarded();
    void lateReplyReachesReceiveEvent();
    void reportsWithinTheWaitAreOneBlock();
    void openFails_data();
    void openFails();
    void portVanishingClosesQuietly();
    void rawBytesPassUnchanged_data();
    void rawBytesPassUnchanged();
    void closedGateLeavesDataInBuffer();
    void waitingDataReadWhenTheGateOpens();
    void nothingWaitingReadsNothing();
    void gateClosingDuringTheWaitLeavesDataInBuffer();
    void inputLenLimitsOneRead();
    void inputTakesWhatTheSystemHolds();
    void silentTaStillCountsAsUp();
    void simulatorPlaysScriptAndEndsOnSignal();
    void reportWithAPause_data();
    void reportWithAPause();
};

void TestTaLink::setupCommandIsExactAndSentPerOpening() {
    TaSim sim;
    QVERIFY(!sim.device().isEmpty());
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    QVERIFY(link.isOpen());
    QTRY_COMPARE(sim.received(), QByteArray("at$a16=1\r"));
    link.close();
    QVERIFY(!link.isOpen());
    QVERIFY(link.open(settingsFor(sim.device())));
    link.close();
    sim.stop();
    QCOMPARE(sim.received(), QByteArray("at$a16=1\rat$a16=1\r"));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

void TestTaLink::replyIsDiscarded_data() {
    QTest::addColumn<bool>("linkUp");
    QTest::newRow("link up") << true;
    QTest::newRow("link not yet up") << false;
}

void TestTaLink::replyIsDiscarded() {
    QFETCH(bool, linkUp);
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(linkUp);
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("0471234567 0312349876\n");
    const QByteArray report = framed("0471234567 0312349876");
    // The TA's "OK" went with the set-up; the first block is the report alone.
    QCOMPARE(readBlocks(spy, report.size()), report);
}

void TestTaLink::lateReplyReachesReceiveEvent() {
    TaSim sim({QStringLiteral("--reply-delay"), QStringLiteral("700")});
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    QSignalSpy spy(&link, &TaLink::blockRead);
    QVERIFY(spy.wait(5000));
    const QByteArray block = spy.at(0).at(0).toByteArray();
    QCOMPARE(block, QByteArray("OK\r\n"));
    QVERIFY(block.mid(2, 11) != "RING ANALOG");
}

void TestTaLink::reportsWithinTheWaitAreOneBlock() {
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("0471234567 1\nP 1\n");
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toByteArray(), framed("0471234567 1") + framed("P 1"));
    QTest::qWait(400);
    QCOMPARE(spy.size(), 1);
}

// A TA that pauses inside a report, longer than the settle wait: the report is read whole once
// its line end comes; one whose end never comes is logged as cut and not passed on.
void TestTaLink::reportWithAPause_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("rest");
    QTest::addColumn<QByteArray>("passedOn");
    QTest::addColumn<bool>("cut");
    QTest::newRow("pause inside the number")
        << QByteArray("\r\nRING ANALOG 05") << QByteArray("12345678 1\r\n")
        << framed("0512345678 1") << false;
    QTest::newRow("pause before the line end")
        << QByteArray("\r\nRING ANALOG 0512345678 1") << QByteArray("\r\n")
        << framed("0512345678 1") << false;
    QTest::newRow("pause after the leading line end")
        << QByteArray("\r\n") << QByteArray("RING ANALOG P 1\r\n") << framed("P 1") << false;
    QTest::newRow("a whole report, then one cut for good")
        << framed("0471234567 1") + "\r\nRING ANALOG 09" << QByteArray() << framed("0471234567 1")
        << true;
    QTest::newRow("cut for good") << QByteArray("\r\nRING ANALOG 05") << QByteArray()
                                  << QByteArray() << true;
}

void TestTaLink::reportWithAPause() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, rest);
    QFETCH(QByteArray, passedOn);
    QFETCH(bool, cut);
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("diag.log"));
    QVERIFY(DiagnosticLog::open(logPath));
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("raw:" + first.toHex() + "\n");
    if (!rest.isEmpty()) {
        // Longer than the settle wait, shorter than the limit.
        QTest::qWait(TaLink::SettleMs + 400);
        sim.send("raw:" + rest.toHex() + "\n");
    }
    const auto logText = [&] {
        QFile f(logPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    if (cut)
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains("call report cut"), 10000);
    if (!passedOn.isEmpty())
        QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty(), 10000);
    QByteArray all;
    for (const QList<QVariant> &block : spy)
        all += block.at(0).toByteArray();
    QCOMPARE(all, passedOn);
    QCOMPARE(logText().contains("call report cut"), cut);
    DiagnosticLog::close();
}

void TestTaLink::openFails_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("no such device") << "missing";
    QTest::newRow("port number 0") << "zero";
    QTest::newRow("other side gone") << "gone";
    QTest::newRow("in use") << "busy";
}

void TestTaLink::openFails() {
    QFETCH(QString, how);
    TaSim sim;
    Settings s = settingsFor(sim.device());
    TaLink other;
    if (how == QLatin1String("missing")) {
        s.PortName = QStringLiteral("/dev/kolvane-no-such-port");
    } else if (how == QLatin1String("zero")) {
        s.PortName.clear();
        s.PortNumber = 0;
    } else if (how == QLatin1String("gone")) {
        sim.kill();
    } else {
        QVERIFY(other.open(s));
    }
    TaLink link;
    QVERIFY(!link.open(s));
    QVERIFY(!link.isOpen());
}

void TestTaLink::portVanishingClosesQuietly() {
    auto sim = std::make_unique<TaSim>();
    TaLink link;
    QVERIFY(link.open(settingsFor(sim->device())));
    link.setLinkUp(true);
    QSignalSpy lost(&link, &TaLink::portLost);
    QSignalSpy blocks(&link, &TaLink::blockRead);
    sim->kill();
    QTRY_VERIFY(!link.isOpen());
    QCOMPARE(lost.size(), 1);

    // A port left readable-with-error would keep the thread busy; it must sit idle now.
    const std::clock_t cpuBefore = std::clock();
    QTest::qWait(600);
    const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    QVERIFY2(cpuMs < 300, qPrintable(QStringLiteral("CPU %1 ms while idle").arg(cpuMs)));
    QCOMPARE(lost.size(), 1);
    QCOMPARE(blocks.size(), 0);

    sim = std::make_unique<TaSim>();
    QVERIFY(link.open(settingsFor(sim->device())));
    sim->send("09012345678 1\n");
    QCOMPARE(readBlocks(blocks, framed("09012345678 1").size()), framed("09012345678 1"));
}

void TestTaLink::rawBytesPassUnchanged_data() {
    QTest::addColumn<QByteArray>("bytes");
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all += char(i);
    QTest::newRow("every byte value") << all;
    static const char noise[] = "\x13\x11\r\r\n\x1a\x7f\xfe\x03RING\r\n\x00 ANA";
    QTest::newRow("line noise") << QByteArray(noise, sizeof noise - 1);
    QByteArray flood;
    for (int i = 0; i < 200000; ++i)
        flood += char((i * 7919) & 0xff);
    QTest::newRow("flood") << flood;
}

void TestTaLink::rawBytesPassUnchanged() {
    QFETCH(QByteArray, bytes);
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("raw:" + bytes.toHex() + "\n");
    QCOMPARE(readBlocks(spy, bytes.size()), bytes);
    QVERIFY(link.isOpen());
}

void TestTaLink::closedGateLeavesDataInBuffer() {
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    bool busy = true;
    int asked = 0;
    link.setReceiveGate([&] {
        ++asked;
        return !busy;
    });
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("0471234567 1\n");
    QTRY_VERIFY(asked >= 1);
    QTest::qWait(500); // longer than the settle wait: a read would have come by now
    QCOMPARE(spy.size(), 0);

    busy = false;
    sim.send("C 1\n");
    const QByteArray both = framed("0471234567 1") + framed("C 1");
    QCOMPARE(readBlocks(spy, both.size()), both);
}

// After a compaction the bytes that waited are read at once, as one report of their own.
void TestTaLink::waitingDataReadWhenTheGateOpens() {
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    bool busy = true;
    int asked = 0;
    link.setReceiveGate([&] {
        ++asked;
        return !busy;
    });
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("0471234567 1\n");
    QTRY_VERIFY(asked >= 1);
    QTest::qWait(500);
    QCOMPARE(spy.size(), 0);
    busy = false;
    link.ReceiveWaiting();
    const QByteArray report = framed("0471234567 1");
    QCOMPARE(readBlocks(spy, report.size()), report);
}

void TestTaLink::nothingWaitingReadsNothing() {
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    int asked = 0;
    link.setReceiveGate([&] {
        ++asked;
        return true;
    });
    QSignalSpy spy(&link, &TaLink::blockRead);
    link.ReceiveWaiting();
    QTest::qWait(500);
    QCOMPARE(asked, 0);
    QCOMPARE(spy.size(), 0);
    // A closed port has nothing waiting either.
    link.close();
    link.ReceiveWaiting();
    QCOMPARE(asked, 0);
}

void TestTaLink::gateClosingDuringTheWaitLeavesDataInBuffer() {
    TaSim sim;
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    int asked = 0;
    // Open at the event, closed when the wait ends (compaction began meanwhile), open after.
    link.setReceiveGate([&] { return ++asked != 2; });
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("O 1\n");
    QTRY_COMPARE(asked, 2);
    QTest::qWait(100);
    QCOMPARE(spy.size(), 0);
    sim.send("S 1\n");
    const QByteArray both = framed("O 1") + framed("S 1");
    QCOMPARE(readBlocks(spy, both.size()), both);
}

void TestTaLink::inputLenLimitsOneRead() {
    TaSim sim;
    SerialControl comm;
    comm.setPortName(sim.device());
    QVERIFY(comm.setPortOpen(true));
    comm.setInputLen(3);
    QSignalSpy spy(&comm, &SerialControl::received);
    sim.send("raw:3031323334353637\n");
    QVERIFY(spy.wait(5000));
    QCOMPARE(comm.commEvent(), int(SerialControl::ComEvReceive));
    QByteArray got;
    int largest = 0;
    QTRY_VERIFY([&] {
        const QByteArray piece = comm.input();
        largest = qMax(largest, int(piece.size()));
        got += piece;
        return got.size() >= 8;
    }());
    QCOMPARE(got, QByteArray("01234567"));
    QCOMPARE(largest, 3);
}

void TestTaLink::inputTakesWhatTheSystemHolds() {
    // No event loop runs between sending and reading (as in the set-up's blocking wait):
    // the bytes are still with the system, not in the port's own buffer.
    TaSim sim;
    SerialControl comm;
    comm.setPortName(sim.device());
    QVERIFY(comm.setPortOpen(true));
    sim.send("raw:414243\n");
    QByteArray got;
    for (int i = 0; i < 50 && got.size() < 3; ++i) {
        QThread::msleep(20);
        got += comm.input();
    }
    QCOMPARE(got, QByteArray("ABC"));
}

void TestTaLink::silentTaStillCountsAsUp() {
    TaSim sim({QStringLiteral("--no-reply")});
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    link.setLinkUp(true);
    QSignalSpy spy(&link, &TaLink::blockRead);
    sim.send("S 1\n");
    QCOMPARE(readBlocks(spy, framed("S 1").size()), framed("S 1"));
}

void TestTaLink::simulatorPlaysScriptAndEndsOnSignal() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile script(dir.filePath(QStringLiteral("calls.txt")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("# a comment\n800 0471234567 1\n500 raw:4f4b0d0a\n");
    script.close();

    TaSim sim({QStringLiteral("--script"), script.fileName()});
    TaLink link;
    QVERIFY(link.open(settingsFor(sim.device())));
    QSignalSpy spy(&link, &TaLink::blockRead);
    const QByteArray expected = framed("0471234567 1") + "OK\r\n";
    QCOMPARE(readBlocks(spy, expected.size()), expected);
    link.close();
    sim.terminate();
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestTaLink)
#include "tst_talink.moc"
