// The NCID lines as a server writes them and as a client reads them: the reason words, the
// field pairs in any order, the values that must never break a line.
#include "network/NcidLines.h"

#include <QtTest>

class NcidLinesTest : public QObject {
    Q_OBJECT
private slots:
    void callLineIsWritten_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("nmbr");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("known caller") << "0312345678"
                                      << "山田太郎"
                                      << "0312345678"
                                      << "山田太郎";
        QTest::newRow("unknown caller") << "0312345678"
                                        << ""
                                        << "0312345678"
                                        << "NO NAME";
        QTest::newRow("withheld") << "P"
                                  << ""
                                  << "PRIVATE"
                                  << "PRIVATE";
        QTest::newRow("out of area") << "O"
                                     << ""
                                     << "OUT-OF-AREA"
                                     << "OUT-OF-AREA";
        QTest::newRow("payphone") << "C"
                                  << ""
                                  << "NO-NUMBER"
                                  << "公衆電話発信";
        QTest::newRow("service conflict") << "S"
                                          << ""
                                          << "NO-NUMBER"
                                          << "サービス競合";
        QTest::newRow("star in name") << "031*2"
                                      << "A*B"
                                      << "031＊2"
                                      << "A＊B";
        QTest::newRow("line end in name") << "03"
                                          << "A\r\nB"
                                          << "03"
                                          << "A  B";
        QTest::newRow("empty number") << ""
                                      << ""
                                      << "NO-NUMBER"
                                      << "NO NAME";
    }
    void callLineIsWritten() {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QString, nmbr);
        QFETCH(QString, shownName);
        ncid::AnnouncedCall call;
        call.when = QDateTime(QDate(2026, 3, 4), QTime(9, 5, 33));
        call.number = number;
        call.name = name;
        const QByteArray line = ncid::FormatCallLine("CID", call);
        QCOMPARE(line, QStringLiteral("CID: *DATE*03042026*TIME*0905*LINE*-*NMBR*%1*MESG*NONE*"
                                      "NAME*%2*\r\n")
                           .arg(nmbr, shownName)
                           .toUtf8());
        QCOMPARE(line.count('\n'), 1);
        // What Kolvane writes, Kolvane reads back as the same call.
        const auto back = ncid::ParseCallLine(line.chopped(2));
        QVERIFY(back);
        QCOMPARE(back->number, number.replace(QLatin1Char('*'), QChar(0xFF0A)));
        QCOMPARE(back->when, QDateTime(QDate(2026, 3, 4), QTime(9, 5)));
    }

    void lineIsRead_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("isCall");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDateTime>("when");
        const QDateTime mar4(QDate(2026, 3, 4), QTime(21, 7));
        QTest::newRow("reference order")
            << QByteArray("CID: *DATE*03042026*TIME*2107*LINE*POTS*NMBR*0312345678*MESG*NONE*"
                          "NAME*YAMADA*")
            << true << "0312345678"
            << "YAMADA" << mar4;
        QTest::newRow("any order, unknown labels")
            << QByteArray("CID: *NAME*佐藤*FNMBR*+81-3-1234*NTYPE*FIX*NMBR*0312345678*CTRY*JP*"
                          "TIME*2107*DATE*03042026*")
            << true << "0312345678"
            << "佐藤" << mar4;
        QTest::newRow("day first date")
            << QByteArray("CID: *DATE*25122026*TIME*0000*NMBR*1*NAME*X*") << true << "1"
            << "X" << QDateTime(QDate(2026, 12, 25), QTime(0, 0));
        QTest::newRow("+CID from a forwarding server")
            << QByteArray("+CID: *DATE*03042026*TIME*2107*NMBR*99*NAME*-*") << true << "99"
            << "" << mar4;
        QTest::newRow("private") << QByteArray("CID: *NMBR*PRIVATE*NAME*PRIVATE*") << true << "P"
                                 << "" << QDateTime();
        QTest::newRow("anonymous")
            << QByteArray("CID: *NMBR*ANONYMOUS*NAME*NO NAME*") << true << "P"
            << "" << QDateTime();
        QTest::newRow("out of area")
            << QByteArray("CID: *NMBR*OUT-OF-AREA*NAME*OUT-OF-AREA*") << true << "O"
            << "" << QDateTime();
        QTest::newRow("kolvane payphone")
            << QByteArray("CID: *NMBR*NO-NUMBER*NAME*公衆電話発信*") << true << "C"
            << "" << QDateTime();
        QTest::newRow("no name word")
            << QByteArray("CID: *NMBR*0312*NAME*NO NAME*") << true << "0312"
            << "" << QDateTime();
        QTest::newRow("bad date") << QByteArray("CID: *DATE*99999999*TIME*2107*NMBR*1*") << true
                                  << "1"
                                  << "" << QDateTime();
        QTest::newRow("call log is not a call")
            << QByteArray("CIDLOG: *DATE*03042026*TIME*2107*NMBR*0312*NAME*X*") << false << ""
            << "" << QDateTime();
        QTest::newRow("no number field") << QByteArray("CID: *DATE*03042026*NAME*X*") << false << ""
                                         << "" << QDateTime();
        QTest::newRow("cidinfo") << QByteArray("CIDINFO: *LINE*POTS*RING*1*TIME*21:07:00*") << false
                                 << ""
                                 << "" << QDateTime();
        QTest::newRow("message") << QByteArray("MSG: hello***NMBR*1*MTYPE*SYS*") << false << ""
                                 << "" << QDateTime();
        QTest::newRow("feature set 2") << QByteArray("REQ: black add 0312 NAME") << false << ""
                                       << "" << QDateTime();
        QTest::newRow("label inside text") << QByteArray("XCID: *NMBR*1*") << false << ""
                                           << "" << QDateTime();
    }
    void lineIsRead() {
        QFETCH(QByteArray, line);
        QFETCH(bool, isCall);
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QDateTime, when);
        const auto call = ncid::ParseCallLine(line);
        QCOMPARE(bool(call), isCall);
        if (!call)
            return;
        QCOMPARE(call->number, number);
        QCOMPARE(call->name, name);
        QCOMPARE(call->when, when);
    }

    void clientRequestsAreRead_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("request");
        QTest::newRow("no_log") << QByteArray("HELLO: CMD: no_log")
                                << int(ncid::ClientRequest::NoLog);
        QTest::newRow("send_log") << QByteArray("HELLO: CMD: send_log\r")
                                  << int(ncid::ClientRequest::SendLog);
        QTest::newRow("ident") << QByteArray("HELLO: IDENT: client ncid 1.14")
                               << int(ncid::ClientRequest::None);
        QTest::newRow("goodbye") << QByteArray("GOODBYE") << int(ncid::ClientRequest::Goodbye);
        QTest::newRow("message") << QByteArray("MSG: hi") << int(ncid::ClientRequest::Message);
        QTest::newRow("keep-alive") << QByteArray("") << int(ncid::ClientRequest::None);
    }
    void clientRequestsAreRead() {
        QFETCH(QByteArray, line);
        QFETCH(int, request);
        QCOMPARE(int(ncid::RequestOfLine(line)), request);
    }
};

QTEST_GUILESS_MAIN(NcidLinesTest)
#include "tst_ncidlines.moc"
