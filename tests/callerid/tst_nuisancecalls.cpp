// Calls taken for a nuisance: by a mark on the number, on a prefix, or as an international
// call, weighed against the phonebook, with the ring and the history row that follow.
#include "callerid/CallHandler.h"
#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "settings/Warnings.h"
#include "support/PhonebookRows.h"
#include "support/TestDesktop.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QtTest>

class NuisanceCallsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_.reset();
        desktop_ = std::make_unique<TestDesktop>();
        db::Database d(Program::DatabasePath());
        // Marked on purpose although the phonebook knows it; a prefix over a known number.
        addNumber(d, addEntry(d, QStringLiteral("佐藤 商店")), QStringLiteral("03-1234-5678"));
        addNumber(d, addEntry(d, QStringLiteral("フリーダイヤル社")),
                  QStringLiteral("0120-111-222"));
        addNumber(d, addEntry(d, QStringLiteral("海外の叔父")), QStringLiteral("+1 415 555 0100"));
        for (const auto &[number, reason] : {std::pair{"０３（１２３４）５６７８", "しつこい勧誘"},
                                             {"0120*", "営業"},
                                             {"+44*", ""},
                                             {"090-9999-0000", "無言"}})
            QVERIFY(db::MarkNumber(d, QString::fromUtf8(number), QString::fromUtf8(reason),
                                   QStringLiteral("2026/12/01")));
    }

    void warned_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("international");
        QTest::addColumn<bool>("silence");
        QTest::addColumn<QString>("reason"); // empty: no warning
        QTest::addColumn<bool>("rung");

        QTest::newRow("marked number wins over the phonebook")
            << "0312345678" << true << false << "しつこい勧誘" << true;
        QTest::newRow("marked number, silenced")
            << "09099990000" << true << true << "無言" << false;
        QTest::newRow("prefix mark") << "0120333444" << true << false << "営業" << true;
        QTest::newRow("phonebook wins over a prefix mark")
            << "0120111222" << true << true << "" << true;
        QTest::newRow("prefix mark without a reason")
            << "+442071234567" << false << false << "迷惑電話" << true;
        QTest::newRow("international by 010")
            << "0101415555012" << true << true << "国際電話" << false;
        QTest::newRow("international by +")
            << "+33123456789" << true << false << "国際電話" << true;
        QTest::newRow("international, rule off") << "+33123456789" << false << true << "" << true;
        QTest::newRow("phonebook wins over the international rule")
            << "+14155550100" << true << true << "" << true;
        QTest::newRow("Japan's own code is not international")
            << "+81471234567" << true << true << "" << true;
        QTest::newRow("unmarked") << "0471234567" << true << true << "" << true;
        QTest::newRow("withheld") << "P" << true << true << "" << true;
    }

    void warned() {
        QFETCH(QString, number);
        QFETCH(bool, international);
        QFETCH(bool, silence);
        QFETCH(QString, reason);
        QFETCH(bool, rung);
        Warnings w;
        w.InternationalCalls = international;
        w.SilenceMarked = silence;
        QVERIFY(w.write());
        RunState state;
        state.changeSettings([](Settings &s) {
            s.RingFile = QStringLiteral("/tmp/ring.wav");
            s.RingOn = 1;
        });
        CallHandler handler(state);
        QString reasonWhenArriving = QStringLiteral("(not arrived)");
        connect(&handler, &CallHandler::callArriving, this,
                [&](const IncomingCall &call) { reasonWhenArriving = call.NuisanceReason; });
        QSignalSpy rings(&handler, &CallHandler::ringRequested);
        QVERIFY(handler.ReceiveGate());
        handler.HandleIncomingCall(number, QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)));

        // The warning is there when the window first shows the call.
        QCOMPARE(reasonWhenArriving, reason);
        QCOMPARE(rings.size(), rung ? 1 : 0);
        db::Database d(Program::DatabasePath());
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT 迷惑理由 FROM 着信履歴")) && q.next());
        QCOMPARE(q.value(0).isNull(), reason.isEmpty());
        QCOMPARE(q.value(0).toString(), reason);
        // The mark changes nothing else about the number.
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM 電話番号")) && q.next());
        QCOMPARE(q.value(0).toInt(), 3);
    }

    // Unmarking takes the mark of the number itself; a prefix over it stays.
    void unmarkKeepsPrefixes() {
        db::Database d(Program::DatabasePath());
        QCOMPARE(db::UnmarkNumber(d, QStringLiteral("03-1234-5678")), 1);
        QCOMPARE(db::UnmarkNumber(d, QStringLiteral("0120-333-444")), 0);
        QVERIFY(db::MarkNumber(d, QStringLiteral("090 9999 0000"), QStringLiteral("再登録"),
                               QStringLiteral("2026/12/02")));
        const QList<db::NuisanceMark> marks = db::ReadNuisanceMarks(d);
        QCOMPARE(marks.size(), 3);
        QCOMPARE(marks.last().Reason, QStringLiteral("再登録"));
        QCOMPARE(marks.last().Number, QStringLiteral("090-9999-0000"));
    }

private:
    std::unique_ptr<TestDesktop> desktop_;
};

QTEST_GUILESS_MAIN(NuisanceCallsTest)
#include "tst_nuisancecalls.moc"
