// The call handler alone, without a window: a caller field and a database in, the display
// texts, the ring and the history row out, in the order the main window shows them.
#include "callerid/CallHandler.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "support/PhonebookRows.h"
#include "support/TestDesktop.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class CallHandlerTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_.reset();
        desktop_ = std::make_unique<TestDesktop>();
    }

    void handled_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("numberLine");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inPhonebook");
        QTest::addColumn<QString>("storedNumber");

        QTest::newRow("known with a remark") << "0471234567\r\n"
                                             << "0471234567 （自宅）"
                                             << "0471234567"
                                             << "山田 太郎" << true << "0471234567";
        QTest::newRow("unknown") << "09012345678"
                                 << "09012345678"
                                 << "09012345678"
                                 << "" << false << "09012345678";
        QTest::newRow("withheld") << "P"
                                  << "ユーザ拒否"
                                  << "-----------"
                                  << "" << false << "ユーザ拒否";
        QTest::newRow("known by its digits") << "0312345678"
                                             << "0312345678 （会社）"
                                             << "0312345678"
                                             << "佐藤 商店" << true << "0312345678";
        QTest::newRow("known by its full-width digits") << "0661234567\r\n"
                                                        << "0661234567"
                                                        << "0661234567"
                                                        << "鈴木 一郎" << true << "0661234567";
        QTest::newRow("not numeric: stored as shown")
            << "03-1234-5678"
            << "03-1234-5678 （会社）"
            << "03-1234-5678"
            << "佐藤 商店" << true << "03-1234-5678 （会社）";
    }

    void handled() {
        QFETCH(QString, field);
        QFETCH(QString, numberLine);
        QFETCH(QString, clock);
        QFETCH(QString, name);
        QFETCH(bool, inPhonebook);
        QFETCH(QString, storedNumber);
        int yamada = 0;
        {
            db::Database d(Program::DatabasePath());
            yamada = addEntry(d, QStringLiteral("山田 太郎"), QStringLiteral("千葉県柏市"));
            addNumber(d, yamada, QStringLiteral("0471234567"), QStringLiteral("自宅"));
            addNumber(d, addEntry(d, QStringLiteral("佐藤 商店")), QStringLiteral("03-1234-5678"),
                      QStringLiteral("会社"));
            addNumber(d, addEntry(d, QStringLiteral("鈴木 一郎")),
                      QStringLiteral("０６－６１２３－４５６７"));
        }
        RunState state;
        state.changeSettings([](Settings &s) {
            s.RingFile = QStringLiteral("/tmp/ring.wav");
            s.RingOn = 1;
        });
        CallHandler handler(state);
        QStringList order;
        CallDisplay shown;
        connect(&handler, &CallHandler::callArriving, this, [&] { order << "arriving"; });
        connect(&handler, &CallHandler::callerShown, this, [&](const CallDisplay &d) {
            order << "shown";
            shown = d;
        });
        connect(&handler, &CallHandler::ringRequested, this, [&] { order << "ring"; });
        connect(&state, &RunState::historyChanged, this, [&] { order << "stored"; });
        connect(&handler, &CallHandler::callHandled, this, [&] { order << "handled"; });

        QVERIFY(handler.ReceiveGate());
        const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
        handler.HandleIncomingCall(field, when);

        QCOMPARE(order, QStringList({"arriving", "shown", "ring", "stored", "handled"}));
        QCOMPARE(shown.NumberLine, numberLine);
        QCOMPARE(shown.ClockText, clock);
        QCOMPARE(shown.NameLine, name);
        QCOMPARE(shown.InPhonebook, inPhonebook);

        db::Database d(Program::DatabasePath());
        db::RowSet rows = d.openTable(QStringLiteral("着信履歴"));
        QVERIFY(rows.moveFirst());
        QCOMPARE(rows.field(QStringLiteral("履歴ID")).toInt(), 1);
        QCOMPARE(rows.field(QStringLiteral("日時")).toString(), QStringLiteral("2026/12/08"));
        QCOMPARE(rows.field(QStringLiteral("時間")).toString(), QStringLiteral("9:05:07"));
        QCOMPARE(rows.field(QStringLiteral("電番")).toString(), storedNumber);
        QCOMPARE(rows.field(QStringLiteral("氏名")).isNull(), name.isEmpty());
        QCOMPARE(rows.field(QStringLiteral("氏名")).toString(), name);
        QCOMPARE(rows.field(QStringLiteral("着信者ID")).toInt(), state.call().CallerId);
        if (field.startsWith(QLatin1String("0471234567")))
            QCOMPARE(state.call().CallerId, yamada);
        QVERIFY(!rows.moveNext());
    }

    // The handler keeps its connection from call to call, lets the file go for compaction and
    // stores the next call in the compacted file; a file put in place of the one it had
    // open (removed, or brought back from elsewhere) gets the next call too.
    void keptConnectionFollowsTheFile_data() {
        QTest::addColumn<QString>("between");
        QTest::newRow("compaction") << "compaction";
        QTest::newRow("file removed") << "removed";
        QTest::newRow("file replaced") << "replaced";
    }

    void keptConnectionFollowsTheFile() {
        QFETCH(QString, between);
        const QString path = Program::DatabasePath();
        RunState state;
        CallHandler handler(state);
        const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
        QVERIFY(handler.ReceiveGate());
        handler.HandleIncomingCall(QStringLiteral("0471111111"), when);
        QVERIFY(state.callHistoryProblem().isEmpty());
        if (between == QLatin1String("compaction")) {
            state.announceCompactionStarting();
            db::Compaction compaction(Program::AppFolder);
            QVERIFY2(compaction.Run(), qPrintable(compaction.failure()));
            state.announceCompactionFinished();
        } else {
            const QString other = path + QStringLiteral(".other");
            {
                db::Database elsewhere(other);
                QVERIFY(elsewhere.isOpen());
            }
            QVERIFY(db::CheckpointDatabase(other));
            for (const char *side : {"", "-wal", "-shm"})
                QFile::remove(path + QLatin1String(side));
            if (between == QLatin1String("replaced"))
                QVERIFY(QFile::rename(other, path));
        }
        QVERIFY(handler.ReceiveGate());
        handler.HandleIncomingCall(QStringLiteral("0472222222"), when);
        QVERIFY(state.callHistoryProblem().isEmpty());

        db::Database d(path);
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT 電番 FROM 着信履歴 ORDER BY 履歴ID")));
        QStringList numbers;
        while (q.next())
            numbers << q.value(0).toString();
        const QStringList expected = between == QLatin1String("compaction")
                                         ? QStringList{"0471111111", "0472222222"}
                                         : QStringList{"0472222222"};
        QCOMPARE(numbers, expected);
    }

    // The gate clears the last caller's details, and holds the call back during compaction.
    void receiveGate() {
        RunState state;
        CallHandler handler(state);
        state.call().CallerName = QStringLiteral("前の人");
        state.call().CallerId = 7;
        state.setCompactionBusy(true);
        QVERIFY(!handler.ReceiveGate());
        QCOMPARE(state.call().CallerId, 7);
        state.setCompactionBusy(false);
        QVERIFY(handler.ReceiveGate());
        QCOMPARE(state.call().CallerId, 0);
        QVERIFY(state.call().CallerName.isEmpty());
    }

    // No ring without both a ring file and RingOn; a block that is no report does nothing. The
    // call's row is stored before the ring is asked for.
    void ringOnlyWhenSet() {
        RunState state;
        CallHandler handler(state);
        QSignalSpy ring(&handler, &CallHandler::ringRequested);
        int rowsAtRing = -1;
        connect(&handler, &CallHandler::ringRequested, this, [&] {
            db::Database d(Program::DatabasePath());
            QSqlQuery q(d.sqlDatabase());
            rowsAtRing = q.exec(QStringLiteral("SELECT COUNT(*) FROM 着信履歴")) && q.next()
                             ? q.value(0).toInt()
                             : -2;
        });
        QSignalSpy handledSpy(&handler, &CallHandler::callHandled);
        handler.HandleBlock(QByteArray("\r\nOK\r\n"));
        QCOMPARE(handledSpy.size(), 0);
        handler.HandleBlock(QByteArray("\r\nRING ANALOG 0312345678\r\n"));
        QCOMPARE(handledSpy.size(), 1);
        state.changeSettings([](Settings &s) { s.RingOn = 1; });
        handler.HandleBlock(QByteArray("\r\nRING ANALOG 0312345678\r\n"));
        QCOMPARE(ring.size(), 0);
        state.changeSettings([](Settings &s) { s.RingFile = QStringLiteral("a.wav"); });
        handler.HandleBlock(QByteArray("\r\nRING ANALOG 0312345678\r\n"));
        QCOMPARE(ring.size(), 1);
        QCOMPARE(rowsAtRing, 3);
        QCOMPARE(state.call().HistoryId, 3);
    }

    // The id of a stored call: 1 for the first call of a new history, the next after the
    // largest otherwise, and never one a deleted call of this run had.
    void historyIds_data() {
        QTest::addColumn<QList<int>>("stored"); // ids in the table before the calls
        QTest::addColumn<bool>("emptiedBetween");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("new history") << QList<int>() << false << QList<int>{1, 2};
        QTest::newRow("after stored calls") << QList<int>{4, 9} << false << QList<int>{10, 11};
        QTest::newRow("history emptied") << QList<int>{4} << true << QList<int>{5, 6};
    }
    void historyIds() {
        QFETCH(QList<int>, stored);
        QFETCH(bool, emptiedBetween);
        QFETCH(QList<int>, expected);
        {
            db::Database d(Program::DatabasePath());
            QSqlQuery q(d.sqlDatabase());
            for (int id : stored)
                QVERIFY(q.exec(QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時) VALUES (%1, "
                                              "'2026/01/01')")
                                   .arg(id)));
        }
        RunState state;
        CallHandler handler(state);
        QList<int> ids;
        for (int i = 0; i < 2; ++i) {
            handler.HandleBlock(QByteArray("\r\nRING ANALOG 0312345678\r\n"));
            ids << state.call().HistoryId;
            if (emptiedBetween) {
                db::Database d(Program::DatabasePath());
                QVERIFY(QSqlQuery(d.sqlDatabase()).exec(QStringLiteral("DELETE FROM 着信履歴")));
            }
        }
        QCOMPARE(ids, expected);
    }

    // The reference phonebook the settings name is indexed on the handler's own: a caller
    // whose number a real Access file stores with a hyphen is shown with its name, from the
    // index; while the index was being built, only the number as stored was found.
    void referenceNameForHyphenStoredNumber() {
        RunState state;
        CallHandler handler(state);
        QCOMPARE(handler.referenceIndex().state(), ReferenceIndex::State::Off);
        state.changeSettings([](Settings &s) {
            s.RefEnabled = true;
            s.RefDatabasePath = QStringLiteral(KOLVANE_FIXTURES_DIR "/nwind.mdb");
            s.RefTable = QStringLiteral("Customers");
            s.RefPhoneField = QStringLiteral("Phone");
            s.RefNameField = QStringLiteral("CompanyName");
            s.RefAddressField = QStringLiteral("Address");
            s.RefZipField = QStringLiteral("PostalCode");
        });
        QCOMPARE(handler.referenceIndex().state(), ReferenceIndex::State::Building);
        CallDisplay shown;
        connect(&handler, &CallHandler::callerShown, this,
                [&](const CallDisplay &d) { shown = d; });
        handler.ReceiveGate();
        handler.HandleIncomingCall(QStringLiteral("0300074321"), QDateTime::currentDateTime());
        QVERIFY(shown.NameLine.isEmpty());

        QVERIFY(QTest::qWaitFor(
            [&] { return handler.referenceIndex().state() == ReferenceIndex::State::Ready; },
            30000));
        handler.ReceiveGate();
        handler.HandleIncomingCall(QStringLiteral("0300074321"), QDateTime::currentDateTime());
        QCOMPARE(shown.NameLine, QStringLiteral("Alfreds Futterkiste"));
        QCOMPARE(shown.AddressLine, QStringLiteral("Obere Str. 57"));
        QCOMPARE(state.call().CallerZip, QStringLiteral("12209"));
        QVERIFY(!shown.InPhonebook);

        // Reference lookups off: nothing is indexed and nothing named.
        state.changeSettings([](Settings &s) { s.RefEnabled = false; });
        QCOMPARE(handler.referenceIndex().state(), ReferenceIndex::State::Off);
        handler.ReceiveGate();
        handler.HandleIncomingCall(QStringLiteral("0300074321"), QDateTime::currentDateTime());
        QVERIFY(shown.NameLine.isEmpty());
    }

    // While the index is still being built: an SQLite file is read for the call (it costs
    // milliseconds), an Access file is not (its reader may take seconds): the call goes
    // without the reference name until the index is there.
    void referenceWhileTheIndexIsBuilt_data() {
        QTest::addColumn<bool>("access");
        QTest::addColumn<QString>("nameMeanwhile");
        QTest::newRow("Access file") << true << "";
        QTest::newRow("SQLite file") << false << "Alfreds Futterkiste";
    }

    void referenceWhileTheIndexIsBuilt() {
        QFETCH(bool, access);
        QFETCH(QString, nameMeanwhile);
        QString file = QStringLiteral(KOLVANE_FIXTURES_DIR "/nwind.mdb");
        if (!access) {
            file = Program::filePath(QStringLiteral("reference.db"));
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "ref");
            d.setDatabaseName(file);
            QVERIFY(d.open());
            QSqlQuery q(d);
            QVERIFY(q.exec("CREATE TABLE Customers (Phone TEXT, CompanyName TEXT, Address TEXT, "
                           "PostalCode TEXT)"));
            QVERIFY(q.exec("INSERT INTO Customers VALUES ('030-0074321', 'Alfreds Futterkiste', "
                           "'Obere Str. 57', '12209')"));
            q.finish();
            d.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ref"));
        RunState state;
        CallHandler handler(state);
        state.changeSettings([&](Settings &s) {
            s.RefEnabled = true;
            s.RefDatabasePath = file;
            s.RefTable = QStringLiteral("Customers");
            s.RefPhoneField = QStringLiteral("Phone");
            s.RefNameField = QStringLiteral("CompanyName");
            s.RefAddressField = QStringLiteral("Address");
            s.RefZipField = QStringLiteral("PostalCode");
        });
        // The build's end comes through this thread's events: none has run yet.
        QCOMPARE(handler.referenceIndex().state(), ReferenceIndex::State::Building);
        CallDisplay shown;
        connect(&handler, &CallHandler::callerShown, this,
                [&](const CallDisplay &d) { shown = d; });
        handler.ReceiveGate();
        handler.HandleIncomingCall(QStringLiteral("030-0074321"), QDateTime::currentDateTime());
        QCOMPARE(shown.NameLine, nameMeanwhile);
        QCOMPARE(storedName(), nameMeanwhile);

        QVERIFY(QTest::qWaitFor(
            [&] { return handler.referenceIndex().state() == ReferenceIndex::State::Ready; },
            30000));
        handler.ReceiveGate();
        handler.HandleIncomingCall(QStringLiteral("030-0074321"), QDateTime::currentDateTime());
        QCOMPARE(shown.NameLine, QStringLiteral("Alfreds Futterkiste"));
        QCOMPARE(storedName(), QStringLiteral("Alfreds Futterkiste"));
    }

private:
    // The name stored with the newest call.
    static QString storedName() {
        db::Database d(Program::DatabasePath());
        QSqlQuery q(d.sqlDatabase());
        q.exec(QStringLiteral("SELECT 氏名 FROM 着信履歴 ORDER BY 履歴ID DESC LIMIT 1"));
        return q.next() ? q.value(0).toString() : QStringLiteral("<no call>");
    }

    std::unique_ptr<TestDesktop> desktop_;
};

QTEST_GUILESS_MAIN(CallHandlerTest)
#include "tst_callhandler.moc"
