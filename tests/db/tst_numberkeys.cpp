// Numbers found by their digits however they were typed: the key the file's own triggers keep
// in 電話番号.電番キー, a file made before it, and files that cannot be given it.
#include "callerid/CallLookup.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/Phonebook.h"
#include "db/Registration.h"
#include "db/Schema.h"
#include "phone/NumberKey.h"
#include "support/PhonebookRows.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/mount.h>

namespace {

// The CREATE statements of Kolvane.mdb as files were made before number keys.
const QStringList olderStatements = {
    QStringLiteral("CREATE TABLE 住所録 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 氏名 TEXT, "
                   "索引インデックス TEXT, 住所 TEXT, 郵便番号 TEXT, 誕生日 TEXT, "
                   "Ｅメール1 TEXT, Ｅメール2 TEXT, その他 TEXT)"),
    QStringLiteral("CREATE TABLE 電話番号 (TelID INTEGER PRIMARY KEY AUTOINCREMENT, "
                   "IDsub INTEGER REFERENCES 住所録(ID) ON DELETE CASCADE, 電番 TEXT, "
                   "摘要 TEXT)"),
    QStringLiteral("CREATE TABLE 着信履歴 (履歴ID INTEGER PRIMARY KEY, 日時 TEXT, 時間 TEXT, "
                   "電番 TEXT, 氏名 TEXT, 住所 TEXT, 郵便番号 TEXT, 着信者ID INTEGER, "
                   "メモ TEXT)"),
    QStringLiteral("CREATE INDEX 電話番号_電番 ON 電話番号(電番)"),
    QStringLiteral("CREATE INDEX 電話番号_IDsub ON 電話番号(IDsub)"),
    QStringLiteral("CREATE INDEX 着信履歴_着信者ID ON 着信履歴(着信者ID)"),
};

// Entries 1 … 4 with their numbers as people typed them, and calls, written as the sqlite3
// shell would: no program of ours involved.
const QStringList olderRows = {
    QStringLiteral("INSERT INTO 住所録 (氏名, 住所) VALUES ('佐藤 商店', '東京都千代田区')"),
    QStringLiteral("INSERT INTO 住所録 (氏名, 郵便番号) VALUES ('鈴木 一郎', '530-0001')"),
    QStringLiteral("INSERT INTO 住所録 (氏名) VALUES ('山田 花子')"),
    QStringLiteral("INSERT INTO 住所録 (氏名, その他) VALUES ('田中', '取引先')"),
    QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番, 摘要) VALUES (1, '03-1234-5678', '会社')"),
    QStringLiteral(
        "INSERT INTO 電話番号 (IDsub, 電番, 摘要) VALUES (2, '０６－６１２３－４５６７', "
        "'自宅')"),
    QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番) VALUES (3, '+81 90 1111 2222')"),
    QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番) VALUES (3, NULL)"),
    QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番) VALUES (4, '0471234567')"),
    QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番) VALUES (4, '内線 12')"),
    QStringLiteral("INSERT INTO 着信履歴 VALUES (1, '2024/01/02', '10:11:12', '0312345678', "
                   "NULL, NULL, NULL, 0, '折り返し')"),
    QStringLiteral("INSERT INTO 着信履歴 VALUES (2, '2024/01/03', '9:00:00', '0471234567', "
                   "'田中', NULL, NULL, 4, NULL)"),
};

bool execAll(const QString &path, const QStringList &statements, const QString &journal) {
    const QString name = QStringLiteral("other-tool");
    bool ok = true;
    {
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        s.setDatabaseName(path);
        ok = s.open();
        QSqlQuery q(s);
        if (ok && !journal.isEmpty())
            ok = q.exec(QStringLiteral("PRAGMA journal_mode = ") + journal);
        for (const QString &sql : statements) {
            if (ok && !q.exec(sql)) {
                qWarning() << sql << q.lastError().text();
                ok = false;
            }
        }
        q.finish();
        s.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// Every row of the three tables with the fields the program uses, in key order.
QStringList contentOf(const QString &path) {
    QStringList rows;
    const QString name = QStringLiteral("reader");
    {
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        s.setDatabaseName(path);
        s.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (s.open()) {
            QSqlQuery q(s);
            for (const QString &table : db::schema::tableNames()) {
                const QStringList fields = db::schema::fieldNames(table);
                q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                           .arg(fields.join(QStringLiteral(", ")), table, fields.first()));
                while (q.next()) {
                    QStringList values;
                    for (int i = 0; i < fields.size(); ++i)
                        values << (q.value(i).isNull() ? QStringLiteral("<null>")
                                                       : q.value(i).toString());
                    rows << table + QLatin1Char('|') + values.join(QLatin1Char('|'));
                }
            }
            q.finish();
        }
        s.close();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// The entry (IDsub) the call lookup finds for a number as the TA sends it; 0 for none.
int callerOf(const db::Database &d, const QString &number) {
    IncomingCall call;
    call.Number = number;
    LookUpOwnPhonebook(d, call);
    return call.CallerId;
}

QVariant keyColumn(const db::Database &d, int telId) {
    QSqlQuery q(d.sqlDatabase());
    q.prepare(QStringLiteral("SELECT 電番キー FROM 電話番号 WHERE TelID = :id"));
    q.bindValue(QStringLiteral(":id"), telId);
    return q.exec() && q.next() ? q.value(0) : QVariant(QStringLiteral("<no row>"));
}

} // namespace

class NumberKeysTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Kolvane.mdb")); }

private slots:
    void init() {
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path() + QLatin1String(suffix));
    }

    // The key the triggers store and the key of the lookup's parameter are NumberKey's, for
    // every text the SQL gives a key; texts with anything but digits and known separators
    // get none (and match only as written).
    void sqlKeyAgreesWithNumberKey_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("keyed");
        const QList<std::pair<const char *, const char *>> keyed = {
            {"as the TA sends it", "0312345678"},
            {"ASCII hyphens", "03-1234-5678"},
            {"spaces", "03 1234 5678"},
            {"full width", "０３－１２３４－５６７８"},
            {"full-width digits, ASCII hyphens", "０３-１２３４-５６７８"},
            {"hyphen U+2010", "03‐1234‐5678"},
            {"non-breaking hyphen U+2011", "03‑1234‑5678"},
            {"en dash", "03–1234–5678"},
            {"em dash", "03—1234—5678"},
            {"horizontal bar", "03―1234―5678"},
            {"minus sign", "03−1234−5678"},
            {"katakana long mark", "03ー1234ー5678"},
            {"half-width long mark", "03ｰ1234ｰ5678"},
            {"ideographic space", "03　1234　5678"},
            {"parentheses", "(03) 1234-5678"},
            {"full-width parentheses", "（０３）１２３４－５６７８"},
            {"dots", "03.1234.5678"},
            {"slashes", "03/1234/5678"},
            {"middle dots", "03・1234・5678"},
            {"international", "+81 3 1234 5678"},
            {"international, hyphens", "+81-3-1234-5678"},
            {"international, full width", "＋８１ ３ １２３４ ５６７８"},
            {"international without plus", "81-90-1234-5678"},
            {"international, trunk in parentheses", "+81 (0)3 1234 5678"},
            {"international in parentheses", "(+81) 3-1234-5678"},
            {"short number starting 81", "8123"},
            {"country code alone", "+81"},
            {"mobile", "090-1234-5678"},
            {"free dial", "0120-123-456"},
            {"one digit", "7"},
        };
        for (const auto &[name, text] : keyed)
            QTest::newRow(name) << QString::fromUtf8(text) << true;
        const QList<std::pair<const char *, const char *>> keyless = {
            {"empty", ""},
            {"blank", "   "},
            {"separators only", "--"},
            {"plus only", "+"},
            {"reason letter P", "P"},
            {"reason letter O", "O"},
            {"reason letter C", "C"},
            {"reason line", "ユーザ拒否"},
            {"a name", "山田 太郎"},
            {"letters among digits", "03-1234-5678 ext 12"},
            {"extension in kanji", "03-1234-5678 内線12"},
            {"plus after digits", "03+1234"},
            {"two plus signs", "++81 3 1234 5678"},
            {"tab", "03\t1234"},
            {"other scripts' digits", "٠٣١٢"},
            {"hash", "#8000"},
        };
        for (const auto &[name, text] : keyless)
            QTest::newRow(name) << QString::fromUtf8(text) << false;
    }

    void sqlKeyAgreesWithNumberKey() {
        QFETCH(QString, typed);
        QFETCH(bool, keyed);
        db::Database d(path());
        QVERIFY(d.hasNumberKeys());
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.prepare(QStringLiteral("SELECT ") +
                          db::schema::numberKeySql(QStringLiteral(":typed"))));
        q.bindValue(QStringLiteral(":typed"), typed);
        QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
        const QVariant ofParameter = q.value(0);
        q.finish();

        addNumber(d, addEntry(d, QStringLiteral("誰か")), typed);
        QVERIFY(q.exec(QStringLiteral("SELECT 電番キー, 電番 FROM 電話番号")) && q.next());
        const QVariant stored = q.value(0);
        QCOMPARE(q.value(1).toString(), typed);

        QCOMPARE(ofParameter.isNull(), !keyed);
        QCOMPARE(stored.isNull(), !keyed);
        const QString key = NumberKey(typed);
        if (keyed) {
            QCOMPARE(ofParameter.toString(), key);
            QCOMPARE(stored.toString(), key);
        } else {
            // No key in SQL where NumberKey finds no digit either: nothing to disagree on.
            QVERIFY(!key.isEmpty() || ofParameter.isNull());
        }
    }

    // Rows written by another tool (the sqlite3 shell, a script) get their keys from the file
    // itself, on insert and on every change of the number, also where that tool has switched
    // recursive triggers on; a key brought along by an insert (a row copied from another
    // file) is worked out again.
    void keyKeptForRowsOfOtherTools() {
        {
            db::Database d(path());
            QVERIFY(d.hasNumberKeys());
        }
        QVERIFY(execAll(
            path(),
            {QStringLiteral("PRAGMA recursive_triggers = ON"),
             QStringLiteral("INSERT INTO 住所録 (氏名) VALUES ('佐藤')"),
             QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番) VALUES (1, '03-1111-2222')"),
             QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番, 電番キー) "
                            "VALUES (1, '06-1111-2222', 'wrong')"),
             QStringLiteral("UPDATE 電話番号 SET 電番 = '０４５－１１１－２２２２' "
                            "WHERE TelID = 1"),
             QStringLiteral("UPDATE 電話番号 SET 摘要 = '会社' WHERE TelID = 2")},
            QString()));
        db::Database d(path());
        QCOMPARE(keyColumn(d, 1).toString(), QStringLiteral("0451112222"));
        QCOMPARE(keyColumn(d, 2).toString(), QStringLiteral("0611112222"));
        QCOMPARE(callerOf(d, QStringLiteral("0451112222")), 1);
        QCOMPARE(callerOf(d, QStringLiteral("0311112222")), 0);
        // The phonebook window's own writes go through the same triggers.
        QVERIFY(db::phonebook::SetNumberField(d, 2, QStringLiteral("電番"),
                                              QStringLiteral("06 9999 0000")));
        QCOMPARE(callerOf(d, QStringLiteral("0699990000")), 1);
        QCOMPARE(callerOf(d, QStringLiteral("0611112222")), 0);
    }

    // A number stored exactly as the TA sends it wins over one that only has its digits;
    // among numbers that only have its digits the first in TelID order is taken. The same
    // rule tells the history window that a caller is already in the phonebook.
    void exactMatchWinsThenLowestTelId_data() {
        QTest::addColumn<QStringList>("stored"); // one entry per number, in TelID order
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("entry"); // 0: none
        QTest::newRow("exact only") << QStringList{"0312345678"} << "0312345678" << 1;
        QTest::newRow("digits only") << QStringList{"03-1234-5678"} << "0312345678" << 1;
        QTest::newRow("exact after digits")
            << QStringList{"03-1234-5678", "0312345678"} << "0312345678" << 2;
        QTest::newRow("two with the digits")
            << QStringList{"09011112222", "03 1234 5678", "(03)1234-5678"} << "0312345678" << 2;
        QTest::newRow("other digits") << QStringList{"03-1234-5679"} << "0312345678" << 0;
        QTest::newRow("reason letter, exact") << QStringList{"03-1234-5678", "P"} << "P" << 2;
        QTest::newRow("reason letter has no key") << QStringList{"03-1234-5678", "(P)"} << "P" << 0;
        QTest::newRow("empty: only as written") << QStringList{"-", ""} << "" << 2;
        QTest::newRow("international stored")
            << QStringList{"+81-3-1234-5678"} << "0312345678" << 1;
        QTest::newRow("sent with hyphens") << QStringList{"0312345678"} << "03-1234-5678" << 1;
    }

    void exactMatchWinsThenLowestTelId() {
        QFETCH(QStringList, stored);
        QFETCH(QString, sent);
        QFETCH(int, entry);
        db::Database d(path());
        for (const QString &number : stored)
            addNumber(d, addEntry(d, QStringLiteral("人%1").arg(number)), number);
        QCOMPARE(callerOf(d, sent), entry);
        if (IsNumeric(sent)) {
            QCOMPARE(db::CheckRegistrationFromHistory(d, sent),
                     entry != 0 ? db::RegistrationCheck::AlreadyInPhonebook
                                : db::RegistrationCheck::Allowed);
        }
    }

    // A file made before number keys, with rows, gets the column, its triggers and index and
    // every row's key when the program first opens it; nothing it held changes.
    void olderFileGetsKeysInPlace() {
        QVERIFY(execAll(path(), olderStatements + olderRows, QStringLiteral("wal")));
        const QStringList before = contentOf(path());
        QCOMPARE(before.size(), 4 + 6 + 2);
        {
            db::Database d(path());
            QVERIFY(d.isOpen());
            QVERIFY(d.hasNumberKeys());
            QCOMPARE(keyColumn(d, 1).toString(), QStringLiteral("0312345678"));
            QCOMPARE(keyColumn(d, 2).toString(), QStringLiteral("0661234567"));
            QCOMPARE(keyColumn(d, 3).toString(), QStringLiteral("09011112222"));
            QVERIFY(keyColumn(d, 4).isNull());
            QCOMPARE(keyColumn(d, 5).toString(), QStringLiteral("0471234567"));
            QVERIFY(keyColumn(d, 6).isNull());
            QCOMPARE(callerOf(d, QStringLiteral("0312345678")), 1);
            QCOMPARE(callerOf(d, QStringLiteral("0661234567")), 2);
            QCOMPARE(callerOf(d, QStringLiteral("09011112222")), 3);
            QCOMPARE(callerOf(d, QStringLiteral("0471234567")), 4);
            QCOMPARE(callerOf(d, QStringLiteral("0471234568")), 0);
            // The row sets over the whole table read the rows as before the column came.
            db::RowSet numbers = d.openTable(QStringLiteral("電話番号"));
            QVERIFY(numbers.moveLast());
            QCOMPARE(numbers.field(QStringLiteral("電番")).toString(), QStringLiteral("内線 12"));
            QVERIFY(numbers.addNew());
            numbers.setField(QStringLiteral("IDsub"), 4);
            numbers.setField(QStringLiteral("電番"), QStringLiteral("048-111-2222"));
            QVERIFY(numbers.update());
            QCOMPARE(callerOf(d, QStringLiteral("0481112222")), 4);
        }
        QStringList after = contentOf(path());
        QCOMPARE(after.size(), before.size() + 1);
        after.removeOne(QStringLiteral("電話番号|7|4|048-111-2222|<null>"));
        QCOMPARE(after, before);

        // Opened again, the file is left as it is; the triggers are there once.
        db::Database d(path());
        QVERIFY(d.hasNumberKeys());
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = "
                                      "'trigger' AND tbl_name = '電話番号'")) &&
                q.next());
        QCOMPARE(q.value(0).toInt(), 2);
    }

    // Triggers of another definition (an older or newer program's) are replaced and the keys
    // made again, so every key is this program's.
    void otherKeyDefinitionIsReplaced() {
        QVERIFY(execAll(
            path(),
            olderStatements + olderRows +
                QStringList{
                    QStringLiteral("ALTER TABLE 電話番号 ADD COLUMN 電番キー TEXT"),
                    QStringLiteral("UPDATE 電話番号 SET 電番キー = 'stale'"),
                    QStringLiteral("CREATE TRIGGER 電話番号_電番キー_追加 AFTER INSERT ON 電話番号 "
                                   "BEGIN UPDATE 電話番号 SET 電番キー = 'x' WHERE TelID = "
                                   "NEW.TelID; END")},
            QStringLiteral("wal")));
        db::Database d(path());
        QVERIFY(d.hasNumberKeys());
        QCOMPARE(keyColumn(d, 1).toString(), QStringLiteral("0312345678"));
        QVERIFY(keyColumn(d, 4).isNull());
        QCOMPARE(callerOf(d, QStringLiteral("0312345678")), 1);
    }

    // A file another program is writing to when it is opened cannot be given its keys then:
    // it opens, numbers are found as written, nothing is lost, and the keys come with the
    // next opening.
    void fileBeingWrittenFindsExactOnly() {
        QVERIFY(execAll(path(), olderStatements + olderRows, QStringLiteral("wal")));
        const QStringList before = contentOf(path());
        {
            const QString name = QStringLiteral("writer");
            QSqlDatabase w = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            w.setDatabaseName(path());
            QVERIFY(w.open());
            QSqlQuery lock(w);
            QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));
            {
                db::Database d(path());
                QVERIFY(d.isOpen());
                QVERIFY(!d.hasNumberKeys());
                QCOMPARE(callerOf(d, QStringLiteral("0471234567")), 4);
                QCOMPARE(callerOf(d, QStringLiteral("0312345678")), 0);
                QCOMPARE(db::CheckRegistrationFromHistory(d, QStringLiteral("0471234567")),
                         db::RegistrationCheck::AlreadyInPhonebook);
                QCOMPARE(db::CheckRegistrationFromHistory(d, QStringLiteral("0312345678")),
                         db::RegistrationCheck::Allowed);
            }
            QVERIFY(lock.exec(QStringLiteral("COMMIT")));
            lock.finish();
            w.close();
            w = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
        }
        QCOMPARE(contentOf(path()), before);
        db::Database d(path());
        QVERIFY(d.hasNumberKeys());
        QCOMPARE(callerOf(d, QStringLiteral("0312345678")), 1);
    }

    // A file on a read-only disk cannot be changed at all: it opens and finds numbers as
    // written, and its bytes stay as they were.
    void readOnlyFileFindsExactOnly() {
        QTemporaryDir mountPoint;
        const QByteArray where = mountPoint.path().toLocal8Bit();
        if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=1m,mode=0700") != 0)
            QSKIP("a tmpfs cannot be mounted here (the tests must run as root for this case)");
        const QString file = mountPoint.filePath(QStringLiteral("Kolvane.mdb"));
        const bool made = execAll(file, olderStatements + olderRows, QStringLiteral("delete"));
        const bool readOnly = ::mount("tmpfs", where.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                                      "size=1m,mode=0700") == 0;
        bool opened = false, keys = true;
        int exact = -1, digits = -1;
        QStringList content;
        QByteArray bytes;
        if (made && readOnly) {
            {
                QFile f(file);
                bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }
            db::Database d(file);
            opened = d.isOpen();
            keys = d.hasNumberKeys();
            exact = callerOf(d, QStringLiteral("0471234567"));
            digits = callerOf(d, QStringLiteral("0312345678"));
            d.close();
            content = contentOf(file);
            QFile f(file);
            if (f.open(QIODevice::ReadOnly) && f.readAll() != bytes)
                bytes.clear();
        }
        ::umount2(where.constData(), MNT_DETACH);
        QVERIFY(made);
        QVERIFY(readOnly);
        QVERIFY(opened);
        QVERIFY(!keys);
        QCOMPARE(exact, 4);
        QCOMPARE(digits, 0);
        QCOMPARE(content.size(), 12);
        QVERIFY(!bytes.isEmpty());
    }

    // Compaction checks its copy against the file; a file given its keys in place compacts
    // whole, keys, triggers and all.
    void olderFileCompactsAfterItsKeys() {
        QVERIFY(execAll(path(), olderStatements + olderRows, QStringLiteral("wal")));
        { QVERIFY(db::Database(path()).hasNumberKeys()); }
        const QStringList before = contentOf(path());
        db::Compaction compaction(dir.path());
        QVERIFY2(compaction.Run(), qPrintable(compaction.failure()));
        QCOMPARE(contentOf(path()), before);
        db::Database d(path());
        QVERIFY(d.hasNumberKeys());
        QCOMPARE(callerOf(d, QStringLiteral("0661234567")), 2);
        addNumber(d, 4, QStringLiteral("０４８－２２２－３３３３"));
        QCOMPARE(callerOf(d, QStringLiteral("0482223333")), 4);
    }
};

QTEST_GUILESS_MAIN(NumberKeysTest)
#include "tst_numberkeys.moc"
