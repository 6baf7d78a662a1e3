// The nuisance marks in Kolvane.mdb: the file keeps each mark's key as MarkKey() has it,
// and an older file gets the table and the history's reason column when first opened.
#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "db/Schema.h"
#include "phone/NumberKey.h"
#include "settings/Program.h"
#include "support/TestDesktop.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

// Runs statements as another tool would (no program of ours involved).
bool ExecAsOtherTool(const QString &path, const QStringList &statements) {
    const QString name = QStringLiteral("other-tool");
    bool ok = true;
    {
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        s.setDatabaseName(path);
        ok = s.open();
        QSqlQuery q(s);
        for (const QString &sql : statements)
            ok = ok && q.exec(sql);
        s.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// A file as the program made it before marks: every statement but theirs, no 迷惑理由.
QStringList OlderStatements() {
    QStringList older;
    const QStringList marks = db::schema::nuisanceMarkStatements();
    for (QString sql : db::schema::createStatements()) {
        if (marks.contains(sql))
            continue;
        older << sql.replace(QStringLiteral(", 迷惑理由 TEXT"), QString());
    }
    return older;
}

} // namespace

class NuisanceMarksTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_.reset();
        desktop_ = std::make_unique<TestDesktop>();
    }

    void fileKeyIsMarkKey_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("key"); // empty: no key
        QTest::newRow("plain") << "0312345678"
                               << "0312345678";
        QTest::newRow("hyphens") << "03-1234-5678"
                                 << "0312345678";
        QTest::newRow("full-width") << "０３－１２３４－５６７８"
                                    << "0312345678";
        QTest::newRow("+81") << "+81 3 1234 5678"
                             << "0312345678";
        QTest::newRow("+81 (0)") << "+81 (0)3-1234-5678"
                                 << "0312345678";
        QTest::newRow("prefix") << "0120*"
                                << "0120*";
        QTest::newRow("prefix with hyphen") << "0120-*"
                                            << "0120*";
        QTest::newRow("full-width prefix") << "０１２０＊"
                                           << "0120*";
        QTest::newRow("every + call") << "+*"
                                      << "+*";
        QTest::newRow("full-width +") << "＋＊"
                                      << "+*";
        QTest::newRow("a country") << "+44 *"
                                   << "+44*";
        QTest::newRow("Japan's code as a prefix") << "+81*"
                                                  << "+81*";
        QTest::newRow("star alone") << "*"
                                    << "";
        QTest::newRow("words") << "非通知"
                               << "";
    }

    // The file's trigger and MarkKey() agree, so a mark written by any tool matches.
    void fileKeyIsMarkKey() {
        QFETCH(QString, typed);
        QFETCH(QString, key);
        QCOMPARE(MarkKey(typed), key);
        db::Database d(Program::DatabasePath());
        QVERIFY(d.hasNuisanceMarks());
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO 迷惑電話 (電番) VALUES (?)")));
        q.addBindValue(typed);
        QVERIFY(q.exec());
        QVERIFY(q.exec(QStringLiteral("SELECT 電番キー FROM 迷惑電話")) && q.next());
        QCOMPARE(q.value(0).isNull(), key.isEmpty());
        QCOMPARE(q.value(0).toString(), key);
        // And a change of the number keeps it.
        QVERIFY(q.exec(QStringLiteral("UPDATE 迷惑電話 SET 電番 = '0471234567'")));
        QVERIFY(q.exec(QStringLiteral("SELECT 電番キー FROM 迷惑電話")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("0471234567"));
    }

    void olderFileGetsMarks_data() {
        QTest::addColumn<bool>("otherToolsTable");
        QTest::newRow("no marks yet") << false;
        QTest::newRow("a table of another tool") << true;
    }

    // The calls stay; the table and the column come in one change; a table some tool made
    // keeps its rows, which get keys.
    void olderFileGetsMarks() {
        QFETCH(bool, otherToolsTable);
        QStringList statements = OlderStatements();
        statements << QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 着信者ID) "
                                     "VALUES (1, '2024/01/02', '10:11:12', '0312345678', 0)");
        if (otherToolsTable)
            statements << QStringLiteral(
                              "CREATE TABLE 迷惑電話 (ID INTEGER PRIMARY KEY, 電番 TEXT, "
                              "電番キー TEXT, 理由 TEXT, 登録日 TEXT)")
                       << QStringLiteral("INSERT INTO 迷惑電話 (電番, 電番キー, 理由) VALUES "
                                         "('03-1234-5678', 'wrong', '勧誘')");
        QVERIFY(ExecAsOtherTool(Program::DatabasePath(), statements));
        db::Database d(Program::DatabasePath());
        QVERIFY(d.isOpen());
        QVERIFY(d.hasNuisanceMarks());
        QVERIFY(d.sqlDatabase()
                    .record(QStringLiteral("着信履歴"))
                    .contains(QStringLiteral("迷惑理由")));
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT 電番, 迷惑理由 FROM 着信履歴")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("0312345678"));
        QVERIFY(q.value(1).isNull());
        QCOMPARE(db::ReadNuisanceMarks(d).size(), otherToolsTable ? 1 : 0);
        if (otherToolsTable) {
            QVERIFY(q.exec(QStringLiteral("SELECT 電番キー FROM 迷惑電話")) && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("0312345678"));
        }
    }

    // A list with the same number typed twice and a number already marked.
    void addingAListCountsWhatWasThere() {
        db::Database d(Program::DatabasePath());
        QVERIFY(db::MarkNumber(d, QStringLiteral("0312345678"), QString(),
                               QStringLiteral("2026/12/01")));
        const QList<db::NuisanceMark> list = {
            {0, QStringLiteral("03-1234-5678"), {}, {}},
            {0, QStringLiteral("0120*"), QStringLiteral("営業"), {}},
            {0, QStringLiteral("０１２０＊"), {}, {}},
            {0, QStringLiteral("+81 90 1111 2222"), {}, {}}};
        const db::MarksAdded added = db::AddNuisanceMarks(d, list);
        QVERIFY(added.ok);
        QCOMPARE(added.added, 2);
        QCOMPARE(added.already, 2);
        QCOMPARE(db::ReadNuisanceMarks(d).size(), 3);
    }

private:
    std::unique_ptr<TestDesktop> desktop_;
};

QTEST_GUILESS_MAIN(NuisanceMarksTest)
#include "tst_nuisancemarks.moc"
