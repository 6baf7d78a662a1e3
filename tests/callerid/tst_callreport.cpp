#include "callerid/CallReport.h"
#include "phone/NumberKey.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QtTest>

class TestCallReport : public QObject {
    Q_OBJECT
private slots:
    void splitReports_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QStringList>("callers");
        QTest::newRow("one") << "\r\nRING ANALOG 0471234567\r\n" << QStringList{"0471234567\r\n"};
        QTest::newRow("two") << "\r\nRING ANALOG 0471234567 0312349876\r\n\r\nRING ANALOG P\r\n"
                             << QStringList{"0471234567", "P\r\n"};
        QTest::newRow("after a reply") << "\r\nOK\r\n\r\nRING ANALOG 0312345678/12\r\n"
                                       << QStringList{"0312345678"};
        QTest::newRow("none") << "\r\nOK\r\n" << QStringList{};
        // A report cut short is part of the one before; the caller field ends at its line end.
        QTest::newRow("cut short") << "\r\nRING ANALOG 0471234567\r\n\r\nRING ANA"
                                   << QStringList{"0471234567\r\n\r\nRING"};
    }
    void splitReports() {
        QFETCH(QString, block);
        QFETCH(QStringList, callers);
        QStringList found;
        for (const QString &report : SplitCallReports(block))
            if (const auto field = ParseCallReport(report))
                found << *field;
        QCOMPARE(found, callers);
    }

    void parse_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<bool>("isCall");
        QTest::addColumn<QString>("number");
        QTest::newRow("prefix crlf") << "\r\nRING ANALOG 0312345678 X\r\n" << true << "0312345678";
        QTest::newRow("prefix any") << "zzRING ANALOG 0312345678 X" << true << "0312345678";
        QTest::newRow("at position 1") << "RING ANALOG 0312345678 X" << false << "";
        QTest::newRow("lower case") << "\r\nring analog 0312345678 X" << false << "";
        QTest::newRow("RING alone") << "\r\nRING\r\n" << false << "";
        QTest::newRow("OK") << "\r\nOK\r\n" << false << "";
        QTest::newRow("sub then space")
            << "\r\nRING ANALOG 0312345678/12 X" << true << "0312345678";
        QTest::newRow("P") << "\r\nRING ANALOG P X" << true << "P";
        QTest::newRow("p") << "\r\nRING ANALOG p X" << true << "p";
        QTest::newRow("no space keeps line end") << "\r\nRING ANALOG 0312345678\r\n"
                                                 << true << "0312345678\r\n";
        QTest::newRow("empty number") << "\r\nRING ANALOG" << true << "";
        QTest::newRow("separator only") << "\r\nRING ANALOG " << true << "";
        QTest::newRow("slash, no space") << "\r\nRING ANALOG 0312/5\r\n" << true << "0312";
        QTest::newRow("two separators") << "\r\nRING ANALOG  0312" << true << "";
        QTest::newRow("other separator") << "\r\nRING ANALOG:0312 X" << true << "0312";
        QTest::newRow("report too short") << "\r\nRING ANALO" << false << "";
        QTest::newRow("slash after space") << "\r\nRING ANALOG 0312 a/b" << true << "0312";
        QTest::newRow("empty block") << "" << false << "";
        QTest::newRow("one char") << "R" << false << "";
        QTest::newRow("NUL inside") << QString::fromLatin1("\r\nRING ANALOG 03\0"
                                                           "12 X",
                                                           21)
                                    << true << "0312";
        QTest::newRow("escape, tab and DEL") << "\r\nRING ANALOG \x1b"
                                                "03\t12\x7f X"
                                             << true << "0312";
        QTest::newRow("a bell before the line end") << "\r\nRING ANALOG 0312\a\r\n"
                                                    << true << "0312\r\n";
        QTest::newRow("injection") << "\r\nRING ANALOG 1\"OR\"1\"=\"1" << true << "1\"OR\"1\"=\"1";
    }
    void parse() {
        QFETCH(QString, block);
        QFETCH(bool, isCall);
        QFETCH(QString, number);
        const auto r = ParseCallReport(block);
        QCOMPARE(r.has_value(), isCall);
        if (isCall)
            QCOMPARE(*r, number);
    }

    void reasons() {
        QCOMPARE(ReasonText("P").value_or(""), QStringLiteral("ユーザ拒否"));
        QCOMPARE(ReasonText("O").value_or(""), QStringLiteral("表示圏外"));
        QCOMPARE(ReasonText("C").value_or(""), QStringLiteral("公衆電話発信"));
        QCOMPARE(ReasonText("S").value_or(""), QStringLiteral("サービス競合"));
        QVERIFY(!ReasonText("p"));
        QVERIFY(!ReasonText("PP"));
        QVERIFY(!ReasonText(""));
    }

    void binary() {
        QByteArray nul("\0\0RING ANALOG 03\0 X", 19);
        const auto r = ParseCallReport(DecodeSerialBlock(nul));
        QVERIFY(r);
        QCOMPARE(*r, QStringLiteral("03"));
        QByteArray noise(1 << 20, '\0');
        auto *g = QRandomGenerator::global();
        for (auto &c : noise)
            c = char(g->bounded(256));
        ParseCallReport(DecodeSerialBlock(noise));
        QByteArray sjis("\r\nRING ANALOG \x93\x8c X");
        QCOMPARE(*ParseCallReport(DecodeSerialBlock(sjis)), QStringLiteral("東"));
    }

    void numeric_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("digits") << "0312345678" << true;
        QTest::newRow("spaces") << " 0312 " << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("spaces only") << "  " << false;
        QTest::newRow("hyphen") << "03-1234" << false;
        QTest::newRow("letter") << "P" << false;
        QTest::newRow("reason") << "ユーザ拒否" << false;
        QTest::newRow("inner space") << "03 12" << false;
        QTest::newRow("full width") << "０３" << false;
        QTest::newRow("line end") << "03\r\n" << true;
    }
    void numeric() {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(IsNumeric(text), numeric);
    }

    void timeDate() {
        const QDateTime t(QDate(2026, 3, 4), QTime(7, 5, 9));
        QCOMPARE(JapaneseTimeText(t), QStringLiteral("7:05:09"));
        QCOMPARE(JapaneseDateText(t), QStringLiteral("2026/03/04"));
        const QDateTime t2(QDate(2026, 12, 31), QTime(23, 59, 0));
        QCOMPARE(JapaneseTimeText(t2), QStringLiteral("23:59:00"));
    }
};

QTEST_GUILESS_MAIN(TestCallReport)
#include "tst_callreport.moc"
