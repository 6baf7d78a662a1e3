// Kolvane as an NCID server: the real program with a simulated TA, and clients on real sockets
// on 127.0.0.1 that speak NCID line by line; the server class itself for a client that never
// reads.
#include "network/NcidServer.h"
#include "support/NcidPeer.h"
#include "support/TaSim.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

bool IsGreeting(const QList<QByteArray> &lines) {
    return lines.size() >= 2 && lines[0].startsWith("200 Server: Kolvane ") &&
           lines[1] == "210 API: 1.5 Feature Set 1";
}

} // namespace

class NcidServerTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    std::unique_ptr<TaSim> sim_;
    QProcess program_;
    quint16 port_ = 0;

    // A client that said `hello` at once, read up to the end of its start.
    QList<QByteArray> Start(LinePeer &peer, const QByteArray &hello = {}) {
        if (!peer.connectTo(port_))
            return {};
        if (!hello.isEmpty())
            peer.send(hello);
        return peer.readUntil("300 ");
    }

    void Call(const QByteArray &field) { sim_->send(field + "\n"); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
        port_ = FreeLocalPort();
        StartProgram(program_, dir_.path(), sim_->device(),
                     {QStringLiteral("--ncid-listen"), QStringLiteral("127.0.0.1:%1").arg(port_)});
        QVERIFY(program_.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(sim_->received().contains("at$a16=1\r"), 10000);
        QTest::qWait(1500);
    }
    void cleanupTestCase() { StopProgram(program_); }

    // In the order of the run: an empty log first, then the calls it has heard.
    void greetingAndEmptyLog() {
        LinePeer peer;
        const QList<QByteArray> lines = Start(peer);
        QVERIFY2(IsGreeting(lines), lines.join('|').constData());
        QCOMPARE(lines.mid(2),
                 (QList<QByteArray>{"252 Call log empty", "300 End of connection startup"}));
    }

    void callsReachEveryClient_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("fields");
        QTest::newRow("number") << QByteArray("0471234567 0312349876")
                                << QByteArray("*LINE*-*NMBR*0471234567*MESG*NONE*NAME*NO NAME*");
        QTest::newRow("withheld") << QByteArray("P")
                                  << QByteArray("*LINE*-*NMBR*PRIVATE*MESG*NONE*NAME*PRIVATE*");
        QTest::newRow("out of area")
            << QByteArray("O")
            << QByteArray("*LINE*-*NMBR*OUT-OF-AREA*MESG*NONE*NAME*OUT-OF-AREA*");
        QTest::newRow("payphone") << QByteArray("C")
                                  << QByteArray("*LINE*-*NMBR*NO-NUMBER*MESG*NONE*NAME*") +
                                         QStringLiteral("公衆電話発信*").toUtf8();
    }
    void callsReachEveryClient() {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, fields);
        LinePeer first, second;
        // One reads the log, one says it wants none; both keep-alive with empty lines.
        QVERIFY(!Start(first).isEmpty());
        const QList<QByteArray> noLog =
            Start(second, "HELLO: IDENT: client test 1\nHELLO: CMD: no_log\n");
        QCOMPARE(noLog.mid(2),
                 (QList<QByteArray>{"251 Call log not sent", "300 End of connection startup"}));
        first.send("\n");
        second.send("\n\r\n");
        Call(field);
        for (LinePeer *peer : {&first, &second}) {
            const std::optional<QByteArray> line = peer->readLine(10000);
            QVERIFY(line);
            QVERIFY2(line->startsWith("CID: *DATE*") && line->endsWith(fields), line->constData());
        }
    }

    void logHoldsTheDaysCalls() {
        LinePeer peer;
        const QList<QByteArray> lines = Start(peer, "HELLO: CMD: send_log\n");
        QVERIFY(IsGreeting(lines));
        // The calls of the run so far, oldest first.
        QCOMPARE(lines.size(), 2 + 4 + 2);
        QVERIFY(lines[2].startsWith("CIDLOG: *DATE*") && lines[2].contains("*NMBR*0471234567*"));
        QVERIFY(lines[3].contains("*NMBR*PRIVATE*"));
        QCOMPARE(lines[6], QByteArray("250 End of call log"));
    }

    void requestsOfOtherSetsAndMessagesAreNotObeyed() {
        LinePeer talker, listener;
        QVERIFY(!Start(talker, "HELLO: CMD: no_log\n").isEmpty());
        QVERIFY(!Start(listener, "HELLO: CMD: no_log\n").isEmpty());
        talker.send("MSG: hello everyone\nREQ: black add 0312 X\nWRK: accept log\n");
        // Nothing is relayed or answered; the talker is still served.
        QVERIFY(!listener.readLine(700));
        QVERIFY(!talker.readLine(100));
        Call("0299999999");
        QVERIFY(talker.readLine(10000).value_or("").contains("*NMBR*0299999999*"));
        QVERIFY(listener.readLine(10000).value_or("").contains("*NMBR*0299999999*"));
    }

    void longLineClosesThatClient() {
        LinePeer peer;
        QVERIFY(!Start(peer, "HELLO: CMD: no_log\n").isEmpty());
        peer.send(QByteArray(1100, 'x') + "\n");
        QVERIFY(peer.closedWithin(5000));
    }

    void fiftyFirstClientIsRefused() {
        std::vector<std::unique_ptr<LinePeer>> peers;
        for (int i = 0; i < NcidServer::MaxClients; ++i) {
            peers.push_back(std::make_unique<LinePeer>());
            QVERIFY(peers.back()->connectTo(port_));
            peers.back()->send("HELLO: CMD: no_log\n");
        }
        for (auto &peer : peers)
            QVERIFY(peer->readUntil("300 ").size() == 4);
        LinePeer extra;
        QVERIFY(extra.connectTo(port_));
        QCOMPARE(extra.readLine().value_or("(none)"),
                 QByteArray("MSG: Too many clients connected (50)"));
        QVERIFY(extra.closedWithin(5000));
        // One leaves: there is room again.
        peers.pop_back();
        QTest::qWait(300);
        LinePeer next;
        QVERIFY(IsGreeting(Start(next, "HELLO: CMD: no_log\n")));
    }

    // The server class on its own: a client that never reads is dropped and costs the others
    // nothing.
    void clientThatNeverReadsIsDropped() {
        NcidServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QTcpSocket stuck;
        stuck.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        stuck.setReadBufferSize(1);
        stuck.connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(stuck.waitForConnected(5000));
        LinePeer reader;
        QVERIFY(reader.connectTo(server.port()));
        reader.send("HELLO: CMD: no_log\n");
        QTRY_COMPARE(server.clientCount(), 2);
        QVERIFY(reader.readUntil("300 ").size() == 4);
        // Past the start of both, then call after call until the stuck one is gone.
        QTest::qWait(NcidServer::HelloWaitMs + 100);
        ncid::AnnouncedCall call;
        call.number = QStringLiteral("0312345678");
        call.name = QString(200, QLatin1Char('x'));
        int sent = 0;
        for (; sent < 200000 && server.clientCount() == 2; ++sent) {
            server.Announce(call);
            if (sent % 64 == 0) {
                QCoreApplication::processEvents();
                while (reader.socket().bytesAvailable() || reader.socket().waitForReadyRead(1))
                    reader.socket().readAll();
            }
        }
        QCOMPARE(server.clientCount(), 1);
        QVERIFY(sent < 200000);
        // The reader still gets the next call.
        call.number = QStringLiteral("0399999999");
        server.Announce(call);
        bool seen = false;
        for (int i = 0; i < 400000 && !seen; ++i) {
            const std::optional<QByteArray> line = reader.readLine(3000);
            if (!line)
                break;
            seen = line->contains("*NMBR*0399999999*");
        }
        QVERIFY(seen);
    }
};

// The allow-list of the network window: an address outside it is closed at once.
class NcidAllowListTest : public QObject {
    Q_OBJECT
private slots:
    void addressOutsideTheListIsRefused_data() {
        QTest::addColumn<QStringList>("allowed");
        QTest::addColumn<bool>("served");
        QTest::newRow("other network") << QStringList{"10.0.0.0/8"} << false;
        QTest::newRow("other v6 network") << QStringList{"fd00::/8"} << false;
        QTest::newRow("loopback named") << QStringList{"10.0.0.0/8", "127.0.0.1"} << true;
        QTest::newRow("empty list: loopback") << QStringList{} << true;
    }
    void addressOutsideTheListIsRefused() {
        QFETCH(QStringList, allowed);
        QFETCH(bool, served);
        QTemporaryDir dir;
        {
            QSettings options(dir.filePath(QStringLiteral("Options.ini")), QSettings::IniFormat);
            options.setValue(QStringLiteral("Network/AllowList"), allowed);
        }
        TaSim sim;
        const quint16 port = FreeLocalPort();
        QProcess program;
        StartProgram(program, dir.path(), sim.device(),
                     {QStringLiteral("--ncid-listen"), QStringLiteral("127.0.0.1:%1").arg(port)});
        QVERIFY(program.waitForStarted(10000));
        LinePeer peer;
        QTRY_VERIFY_WITH_TIMEOUT(peer.connectTo(port, 200), 10000);
        const std::optional<QByteArray> first = peer.readLine(3000);
        QCOMPARE(bool(first), served);
        if (!served)
            QVERIFY(peer.closedWithin(3000));
        StopProgram(program);
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    NcidServerTest server;
    NcidAllowListTest allowList;
    return QTest::qExec(&server, argc, argv) | QTest::qExec(&allowList, argc, argv);
}
#include "tst_ncidserver.moc"
