// Kolvane as an NCID client of a small server in the test that sends what an NCID server sends:
// the real program stores the server's calls as TA calls, ignores everything else, does not
// pass them on through its own server, and comes back after the server went away.
#include "network/NcidClient.h"
#include "support/NcidPeer.h"
#include "support/TaSim.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// 電番 and 氏名 of every stored call, oldest first.
QStringList StoredCalls(const QString &path) {
    QStringList calls;
    if (!QFileInfo(path).isFile())
        return calls;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "ncid");
        d.setDatabaseName(path);
        if (d.open()) {
            QSqlQuery q(d);
            q.exec(QStringLiteral("SELECT 電番, 氏名 FROM 着信履歴 ORDER BY 履歴ID"));
            while (q.next())
                calls << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("ncid"));
    return calls;
}

const QByteArray Startup = "200 Server: ncidd (NCID) 1.14\r\n"
                           "210 API: 1.14 Feature Set 1 2 3 4 5\r\n"
                           "251 Call log not sent\r\n"
                           "OPT: hangup-1\r\n"
                           "300 End of connection startup\r\n";

} // namespace

class NcidClientTest : public QObject {
    Q_OBJECT
private slots:
    void serverCallsAreHandledAsTaCalls() {
        QTemporaryDir dir;
        TaSim sim;
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const quint16 ownPort = FreeLocalPort();
        QProcess program;
        StartProgram(program, dir.path(), sim.device(),
                     {QStringLiteral("--ncid-server"),
                      QStringLiteral("127.0.0.1:%1").arg(server.serverPort()),
                      QStringLiteral("--ncid-listen"),
                      QStringLiteral("127.0.0.1:%1").arg(ownPort)});
        QVERIFY(program.waitForStarted(10000));
        QVERIFY(server.waitForNewConnection(15000));
        LinePeer kolvane(server.nextPendingConnection());
        // It says who it is and that it wants no log, before any greeting.
        QVERIFY(kolvane.readLine().value_or("").startsWith("HELLO: IDENT: client Kolvane "));
        QCOMPARE(kolvane.readLine().value_or(""), QByteArray("HELLO: CMD: no_log"));
        QTRY_VERIFY_WITH_TIMEOUT(sim.received().contains("at$a16=1\r"), 10000);
        QTest::qWait(1500);

        // Its own server's client must not hear the calls taken from the network.
        LinePeer listener;
        QVERIFY(listener.connectTo(ownPort));
        listener.send("HELLO: CMD: no_log\n");
        QCOMPARE(listener.readUntil("300 ").size(), 4);

        kolvane.send(Startup);
        kolvane.send("CIDLOG: *DATE*03042026*TIME*0900*LINE*POTS*NMBR*0399999999*MESG*NONE*"
                     "NAME*OLD*\r\n"
                     "CIDINFO: *LINE*POTS*RING*1*TIME*21:07:00*\r\n"
                     "MSG: Server message***DATE*03042026*TIME*2107*MTYPE*SYS*\r\n"
                     "REQ: YO\r\n"
                     "400 Start of data requiring OK\r\n"
                     "CID: *NAME*Server Name*FNMBR*+81-3-1111-2222*NMBR*0311112222*CTRY*JP*"
                     "DATE*03042026*TIME*2107*LINE*POTS*\r\n");
        const QString mdb = QDir(dir.path()).filePath(QStringLiteral("Kolvane.mdb"));
        QTRY_COMPARE_WITH_TIMEOUT(StoredCalls(mdb).size(), 1, 10000);
        kolvane.send(
            "+CID: *DATE*03042026*TIME*2108*LINE*POTS*NMBR*PRIVATE*MESG*NONE*NAME*PRIVATE*\n"
            "CID: *DATE*03042026*TIME*2108*NMBR*OUT-OF-AREA*NAME*OUT-OF-AREA*\r\n"
            "CID: *DATE*03042026*TIME*2109*NMBR*0322223333*NAME*NO NAME*\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(StoredCalls(mdb).size(), 4, 10000);
        QCOMPARE(StoredCalls(mdb), (QStringList{"0311112222|Server Name", "ユーザ拒否|",
                                                "表示圏外|", "0322223333|"}));
        QVERIFY(!listener.readLine(500));

        // A TA call is announced to the listener as ever.
        sim.send("0471234567\n");
        QVERIFY(listener.readLine(10000).value_or("").contains("*NMBR*0471234567*"));

        // The server goes away and comes back: the program connects again by itself.
        kolvane.socket().abort();
        QVERIFY(server.waitForNewConnection(10000));
        LinePeer again(server.nextPendingConnection());
        QVERIFY(again.readLine().value_or("").startsWith("HELLO: IDENT: client Kolvane "));
        again.send(Startup + "CID: *DATE*03042026*TIME*2110*NMBR*0344445555*NAME*B*\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(StoredCalls(mdb).size(), 6, 10000);
        QCOMPARE(StoredCalls(mdb).last(), QStringLiteral("0344445555|B"));
        StopProgram(program);
    }

    // The client on its own: a lost server is tried again after 2 s, then twice as long each
    // time up to a minute, and the count starts over once it is back.
    void lostServerIsRetriedWithGrowingDelays() {
        NcidClient client;
        QSignalSpy lost(&client, &NcidClient::connectionLost);
        QSignalSpy up(&client, &NcidClient::connectionUp);
        const quint16 port = FreeLocalPort();
        client.connectTo(QStringLiteral("127.0.0.1"), port);
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(client.retryDelay(), 2 * NcidClient::FirstRetryMs);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, port));
        QTRY_COMPARE_WITH_TIMEOUT(up.size(), 1, 5000);
        QCOMPARE(client.retryDelay(), NcidClient::FirstRetryMs);
        // Told once per loss, however many tries it takes.
        QCOMPARE(lost.size(), 1);
    }

    void linesAreCutWhereverTheyArrive() {
        NcidClient client;
        QSignalSpy calls(&client, &NcidClient::callReceived);
        const QByteArray bytes = "200 Server: x\r\nCID: *NMBR*0312*NA"
                                 "ME*A*\r\nCIDLOG: *NMBR*1*\r\n"
                                 "CID: *NMBR*0313*NAME*B*\n";
        for (char c : bytes)
            client.TakeBytes(QByteArray(1, c));
        QCOMPARE(calls.size(), 2);
        // A line far too long is thrown away whole, not read as a call at its end.
        client.TakeBytes(QByteArray(NcidClient::MaxLineBytes + 10, 'x'));
        client.TakeBytes("CID: *NMBR*0399*\nCID: *NMBR*0314*\n");
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls.last().at(0).value<ncid::ReceivedCall>().number, QStringLiteral("0314"));
    }
};

QTEST_MAIN(NcidClientTest)
#include "tst_ncidclient.moc"
