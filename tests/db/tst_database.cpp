#include "db/Database.h"
#include "db/DatabaseHealth.h"
#include "db/OpeningCheck.h"
#include "db/Schema.h"
#include "support/CallRows.h"
#include "support/PhonebookRows.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <future>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray contentsOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void addCall(const db::Database &d, int id, const QString &number, int caller) {
    db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
    QVERIFY(t.addNew());
    t.setField(QStringLiteral("履歴ID"), id);
    t.setField(QStringLiteral("日時"), QStringLiteral("2024/01/02"));
    t.setField(QStringLiteral("時間"), QStringLiteral("10:11:12"));
    t.setField(QStringLiteral("電番"), number);
    t.setField(QStringLiteral("着信者ID"), caller);
    QVERIFY(t.update());
}

// Another program (or a second Kolvane) holding the write lock on the file from its own
// thread until release is fulfilled or holdMs have passed, whichever comes first.
class LockHolder {
public:
    LockHolder(const QString &path, const QString &begin, int holdMs) {
        std::promise<bool> locked;
        std::future<bool> isLocked = locked.get_future();
        std::shared_future<void> released = release_.get_future().share();
        thread_ =
            std::thread([path, begin, holdMs, released, locked = std::move(locked)]() mutable {
                const QString name = QStringLiteral("lock-holder");
                {
                    QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                    s.setDatabaseName(path);
                    QSqlQuery q(s);
                    const bool ok = s.open() && q.exec(begin);
                    locked.set_value(ok);
                    if (ok) {
                        released.wait_for(std::chrono::milliseconds(holdMs));
                        q.exec(QStringLiteral("COMMIT"));
                    }
                    q.finish();
                    s.close();
                }
                QSqlDatabase::removeDatabase(name);
            });
        locked_ = isLocked.get();
    }
    ~LockHolder() { release(); }
    bool isLocked() const { return locked_; }
    void release() {
        if (thread_.joinable()) {
            release_.set_value();
            thread_.join();
        }
    }

private:
    std::promise<void> release_;
    std::thread thread_;
    bool locked_ = false;
};

QStringList queryPlan(const db::Database &d, const QString &sql) {
    QSqlQuery q(d.sqlDatabase());
    QStringList steps;
    if (!q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql))
        return {QStringLiteral("cannot prepare")};
    // Every parameter the catalogue uses; values do not change the plan.
    for (const char *name : {":TelNo", ":IDs", ":MemoID", ":ID", ":Letter"})
        if (sql.contains(QLatin1String(name)))
            q.bindValue(QLatin1String(name), 1);
    if (!q.exec())
        return {QStringLiteral("cannot run")};
    while (q.next())
        steps << q.value(3).toString();
    return steps;
}

// Files of an SQLite database in WAL mode, copied while their writer still has them open:
// the statements' committed frames are in the copy's -wal file, not yet in its main file.
// `checkpointed` statements run first and are folded into the main file.
bool copyWithFramesInLog(const QString &destination, const QStringList &checkpointed,
                         const QStringList &inLog, bool withShm) {
    const QTemporaryDir source;
    const QString from = source.filePath(QStringLiteral("writer.db"));
    bool ok = true;
    {
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "writer");
        s.setDatabaseName(from);
        ok = s.open();
        QSqlQuery q(s);
        ok = ok && q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && q.next() &&
             q.value(0).toString() == QLatin1String("wal");
        for (const QString &sql : checkpointed)
            ok = ok && q.exec(sql);
        ok = ok && q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        ok = ok && q.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
        for (const QString &sql : inLog)
            ok = ok && q.exec(sql);
        ok = ok && QFileInfo(from + QStringLiteral("-wal")).size() > 0;
        for (const char *suffix : {"", "-wal", "-shm"}) {
            if (!withShm && suffix == QByteArray("-shm"))
                continue;
            ok = ok &&
                 QFile::copy(from + QLatin1String(suffix), destination + QLatin1String(suffix));
        }
        q.finish();
        s.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    return ok;
}

QStringList filesBeside(const QString &path) {
    return QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Kolvane.mdb")); }

    // A history long enough to fill many pages of the file.
    void fillHistory(int rows) {
        db::Database d(path());
        QSqlDatabase s = d.sqlDatabase();
        QVERIFY(s.transaction());
        for (int id = 0; id < rows; ++id)
            addCall(d, id, QStringLiteral("0312345678"), 0);
        QVERIFY(s.commit());
        // The rows go into the file itself, where the tests that damage it expect them.
        QVERIFY(db::CheckpointDatabase(path()));
    }

private slots:
    void init() {
        QDir(path()).removeRecursively();
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path() + QLatin1String(suffix));
    }

    void missingFileGetsSchemaAndNullMaximum() {
        db::Database d(path());
        QVERIFY(d.isOpen());
        QVERIFY(QFile::exists(path()));
        db::RowSet rs = d.storedQuery(QStringLiteral("Q_履歴の最大")).openRows();
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(rs.field(QStringLiteral("履歴IDの最大")).isNull());
        addCall(d, 7, QStringLiteral("0312345678"), 0);
        addCall(d, 3, QStringLiteral("0312345678"), 0);
        rs = d.storedQuery(QStringLiteral("Q_履歴の最大")).openRows();
        QCOMPARE(rs.field(QStringLiteral("履歴IDの最大")).toInt(), 7);
    }

    void lookupQueries() {
        db::Database d(path());
        const int taro = addEntry(d, QStringLiteral("山田太郎"));
        addNumber(d, taro, QStringLiteral("0312345678"), QStringLiteral("自宅"));
        addNumber(d, taro, QStringLiteral("09011112222"), QString());

        auto q = d.storedQuery(QStringLiteral("TELNOsach"));
        q.setParameter(QStringLiteral("TelNo"), QStringLiteral("09011112222"));
        db::RowSet rs = q.openRows();
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.field(QStringLiteral("IDsub")).toInt(), taro);
        QVERIFY(rs.field(QStringLiteral("摘要")).isNull());

        q.setParameter(QStringLiteral("TelNo"), QStringLiteral("0312345678"));
        rs = q.openRows();
        QCOMPARE(rs.field(QStringLiteral("摘要")).toString(), QStringLiteral("自宅"));
        q.setParameter(QStringLiteral("TelNo"), QStringLiteral("031234567"));
        QVERIFY(q.openRows().isEmpty());

        auto v = d.storedQuery(QStringLiteral("VALsach"));
        v.setParameter(QStringLiteral("IDs"), taro);
        rs = v.openRows();
        QCOMPARE(rs.field(QStringLiteral("氏名")).toString(), QStringLiteral("山田太郎"));
        QVERIFY(rs.field(QStringLiteral("住所")).isNull());

        auto e = d.storedQuery(QStringLiteral("Q_電番既存確認"));
        e.setParameter(QStringLiteral("TelNo"), QStringLiteral("0312345678"));
        QVERIFY(!e.openRows().isEmpty());
    }

    void memoRowsAreUpdatableAndDeleteEmptiesHistory() {
        db::Database d(path());
        addCall(d, 1, QStringLiteral("0312345678"), 0);
        addCall(d, 2, QStringLiteral("ユーザ拒否"), 0);
        auto m = d.storedQuery(QStringLiteral("Q_履歴メモ"));
        m.setParameter(QStringLiteral("MemoID"), 2);
        db::RowSet rs = m.openRows();
        QCOMPARE(rs.field(QStringLiteral("電番")).toString(), QStringLiteral("ユーザ拒否"));
        QVERIFY(rs.field(QStringLiteral("メモ")).isNull());
        QVERIFY(rs.edit());
        QVERIFY(rs.setField(QStringLiteral("メモ"), QStringLiteral("折り返し")));
        QVERIFY(rs.update());
        db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
        QVERIFY(t.findFirst(QStringLiteral("履歴ID=2")));
        QCOMPARE(t.field(QStringLiteral("メモ")).toString(), QStringLiteral("折り返し"));
        QVERIFY(t.findFirst(QStringLiteral("履歴ID=1")));
        QVERIFY(t.field(QStringLiteral("メモ")).isNull());
        QVERIFY(t.field(QStringLiteral("氏名")).isNull());

        QVERIFY(d.storedQuery(QStringLiteral("Q_履歴削除")).execute());
        QCOMPARE(d.openTable(QStringLiteral("着信履歴")).recordCount(), 0);
    }

    void findAndMove_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("id");
        QTest::newRow("first") << "履歴ID=10" << true << 10;
        QTest::newRow("middle") << "履歴ID=20" << true << 20;
        QTest::newRow("other field") << "着信者ID=5" << true << 20;
        QTest::newRow("absent") << "履歴ID=15" << false << 0;
        QTest::newRow("not an integer") << "履歴ID=1 OR 1=1" << false << 0;
        QTest::newRow("unknown field") << "ID=10" << false << 0;
    }

    void findAndMove() {
        QFETCH(QString, criterion);
        QFETCH(bool, found);
        QFETCH(int, id);
        db::Database d(path());
        addCall(d, 10, QStringLiteral("1"), 0);
        addCall(d, 20, QStringLiteral("2"), 5);
        addCall(d, 30, QStringLiteral("3"), 5);
        db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
        QCOMPARE(t.findFirst(criterion), found);
        QCOMPARE(t.noMatch(), !found);
        if (found)
            QCOMPARE(t.field(QStringLiteral("履歴ID")).toInt(), id);
    }

    void positions() {
        db::Database d(path());
        db::RowSet empty = d.openTable(QStringLiteral("着信履歴"));
        QVERIFY(empty.bof() && empty.eof());
        QVERIFY(empty.field(QStringLiteral("履歴ID")).isNull());
        addCall(d, 1, QStringLiteral("1"), 0);
        addCall(d, 2, QStringLiteral("2"), 0);
        for (int pass = 0; pass < 2; ++pass) {
            db::RowSet t = pass == 0 ? d.openTable(QStringLiteral("着信履歴"))
                                     : d.openRows(db::schema::historyListSql());
            const int first = pass == 0 ? 1 : 2, last = pass == 0 ? 2 : 1;
            QCOMPARE(t.recordCount(), 2);
            QCOMPARE(t.field(QStringLiteral("履歴ID")).toInt(), first);
            QVERIFY(!t.movePrevious());
            QVERIFY(t.bof() && !t.eof());
            QVERIFY(t.field(QStringLiteral("履歴ID")).isNull());
            QVERIFY(t.moveNext());
            QCOMPARE(t.field(QStringLiteral("履歴ID")).toInt(), first);
            QVERIFY(t.moveNext());
            QCOMPARE(t.field(QStringLiteral("履歴ID")).toInt(), last);
            QVERIFY(!t.moveNext());
            QVERIFY(t.eof() && !t.bof());
            QVERIFY(t.movePrevious());
            QCOMPARE(t.field(QStringLiteral("履歴ID")).toInt(), last);
            QVERIFY(t.moveFirst());
            QCOMPARE(t.field(QStringLiteral("履歴ID")).toInt(), first);
        }
    }

    void autoNumbersOnlyGrow() {
        db::Database d(path());
        const int a = addEntry(d, QStringLiteral("A"));
        const int b = addEntry(d, QStringLiteral("B"));
        QVERIFY(b > a);
        db::RowSet t = d.openTable(QStringLiteral("住所録"));
        QVERIFY(t.findFirst(QStringLiteral("ID=") + QString::number(b)));
        QVERIFY(t.deleteRow());
        QVERIFY(t.field(QStringLiteral("氏名")).isNull());
        const int c = addEntry(d, QStringLiteral("C"));
        QVERIFY(c > b);
        QCOMPARE(d.openTable(QStringLiteral("住所録")).recordCount(), 2);
    }

    void deletingAnEntryRemovesItsNumbers() {
        db::Database d(path());
        const int a = addEntry(d, QStringLiteral("A"));
        const int b = addEntry(d, QStringLiteral("B"));
        addNumber(d, a, QStringLiteral("111"), QString());
        addNumber(d, a, QStringLiteral("222"), QString());
        addNumber(d, b, QStringLiteral("333"), QString());
        addCall(d, 0, QStringLiteral("111"), a);
        db::RowSet t = d.openTable(QStringLiteral("住所録"));
        QVERIFY(t.findFirst(QStringLiteral("ID=") + QString::number(a)));
        QVERIFY(t.deleteRow());
        auto q = d.storedQuery(QStringLiteral("TELNOsach"));
        q.setParameter(QStringLiteral("TelNo"), QStringLiteral("111"));
        QVERIFY(q.openRows().isEmpty());
        QCOMPARE(d.openTable(QStringLiteral("電話番号")).recordCount(), 1);
        db::RowSet h = d.openTable(QStringLiteral("着信履歴"));
        QCOMPARE(h.field(QStringLiteral("着信者ID")).toInt(), a);
    }

    void foreignFileUntouched_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text") << "text";
        QTest::newRow("other sqlite") << "sqlite";
        QTest::newRow("damaged kolvane") << "damaged";
        QTest::newRow("sqlite header only") << "header";
        QTest::newRow("kolvane cut in half") << "halved";
        QTest::newRow("kolvane with a page of junk") << "junk";
        QTest::newRow("older kolvane without memo") << "older";
        QTest::newRow("directory") << "directory";
    }

    void foreignFileUntouched() {
        QFETCH(QString, kind);
        if (kind == QLatin1String("text")) {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a database\r\n");
        } else if (kind == QLatin1String("sqlite")) {
            {
                QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
                s.setDatabaseName(path());
                QVERIFY(s.open());
                QVERIFY(QSqlQuery(s).exec(QStringLiteral("CREATE TABLE 住所録 (ID INTEGER)")));
                s.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        } else if (kind == QLatin1String("older")) {
            {
                QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
                s.setDatabaseName(path());
                QVERIFY(s.open());
                QSqlQuery q(s);
                for (QString sql : db::schema::createStatements()) {
                    // A file without the memo has no index on it either.
                    if (sql.contains(QStringLiteral("(メモ")))
                        continue;
                    sql.replace(QStringLiteral(", メモ TEXT"), QString());
                    QVERIFY2(q.exec(sql), qPrintable(sql));
                }
                QVERIFY(!s.record(QStringLiteral("着信履歴")).contains(QStringLiteral("メモ")));
                s.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        } else if (kind == QLatin1String("junk")) {
            // Opened by this run before, then damaged among its rows by something else.
            fillHistory(3000);
            { QVERIFY(db::Database(path()).isOpen()); }
            QFile f(path());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(20 * 4096));
            f.write(QByteArray(4096, 'x'));
            f.close();
            QVERIFY(changedElsewhere(path()));
        } else if (kind == QLatin1String("halved")) {
            // Its schema survives at the start of the file; most of its rows do not.
            fillHistory(3000);
            QFile f(path());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 40 * 4096);
            QVERIFY(f.resize(f.size() / 2));
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(path()));
        } else if (kind == QLatin1String("header")) {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("SQLite format 3\0", 16));
        } else {
            { db::Database d(path()); }
            QByteArray bytes = contentsOf(path());
            bytes.truncate(1024);
            bytes.append(QByteArray(3000, 'x'));
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const QByteArray before = contentsOf(path());
        {
            db::Database d(path());
            QVERIFY(!d.isOpen());
            QVERIFY(!d.storedQuery(QStringLiteral("Q_履歴削除")).execute());
            db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
            QVERIFY(!t.addNew());
            QVERIFY(!t.update());
        }
        QCOMPARE(contentsOf(path()), before);
        QVERIFY(!QFile::exists(path() + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(path() + QStringLiteral("-journal")));
    }

    // A file judged foreign is never written, not even by the log replay and checkpoint that
    // any read-write open of a WAL database makes: its main file, -wal and -shm stay as found.
    void foreignWalDatabaseUntouched_data() {
        QTest::addColumn<QStringList>("checkpointed");
        QTest::addColumn<QStringList>("inLog");
        QTest::addColumn<bool>("withShm");
        const QString table = QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, t TEXT)");
        const QString row = QStringLiteral("INSERT INTO notes (t) VALUES ('kept in the log')");
        QTest::newRow("rows in the log") << QStringList{table} << QStringList{row, row} << true;
        QTest::newRow("rows in the log, no -shm")
            << QStringList{table} << QStringList{row} << false;
        QTest::newRow("tables in the log only") << QStringList{} << QStringList{table, row} << true;
        QStringList older = db::schema::createStatements();
        // A file without the memo has no index on it either.
        older.removeIf([](const QString &sql) { return sql.contains(QStringLiteral("(メモ")); });
        for (QString &sql : older)
            sql.replace(QStringLiteral(", メモ TEXT"), QString());
        QTest::newRow("older kolvane, in the log") << QStringList{} << older << true;
    }
    void foreignWalDatabaseUntouched() {
        QFETCH(QStringList, checkpointed);
        QFETCH(QStringList, inLog);
        QFETCH(bool, withShm);
        QVERIFY(copyWithFramesInLog(path(), checkpointed, inLog, withShm));
        const QStringList files = filesBeside(path());
        QHash<QString, QByteArray> before;
        for (const QString &f : files)
            before.insert(f, contentsOf(dir.filePath(f)));
        {
            db::Database d(path());
            QVERIFY(!d.isOpen());
            db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
            QVERIFY(!t.addNew());
        }
        QCOMPARE(filesBeside(path()), files);
        for (const QString &f : files)
            QVERIFY2(contentsOf(dir.filePath(f)) == before.value(f), qPrintable(f));
    }

    // The first opening of a run reads the whole file; the program ending meanwhile cuts it
    // short. The file is left as it was, and the next opening reads it and opens it.
    void stoppedCheckLeavesTheFileAsItWas_data() {
        QTest::addColumn<bool>("beforehand"); // stopped before the reading, or while it runs
        QTest::newRow("stopped before") << true;
        QTest::newRow("check ended while it reads") << false;
    }
    void stoppedCheckLeavesTheFileAsItWas() {
        QFETCH(bool, beforehand);
        fillHistory(2000);
        const QString absolute = QFileInfo(path()).absoluteFilePath();
        const QByteArray before = contentsOf(path());
        db::ForgetIntact(absolute);
        if (beforehand) {
            db::CheckStop stop;
            stop.stop();
            const db::Database d(path(), stop);
            QVERIFY(!d.isOpen());
            QVERIFY(!db::KnownIntact(absolute));
        } else {
            auto check = std::make_unique<db::OpeningCheck>(path());
            check->start();
            check.reset();
        }
        QCOMPARE(contentsOf(path()), before);
        const db::Database d(path());
        QVERIFY(d.isOpen());
        QCOMPARE(d.openTable(QStringLiteral("着信履歴")).recordCount(), 2000);
    }

    // Our own file whose tables are still in its log only (a crash right after it was made)
    // is recognised through a private copy, and opened.
    void ownDatabaseInTheLogOnlyOpens() {
        QStringList rows = db::schema::createStatements();
        rows << QStringLiteral(
            "INSERT INTO 着信履歴 (履歴ID, 電番, 着信者ID) VALUES (5, '0312345678', 0)");
        QVERIFY(copyWithFramesInLog(path(), {}, rows, true));
        db::Database d(path());
        QVERIFY(d.isOpen());
        QVERIFY(d.openTable(QStringLiteral("着信履歴")).findFirst(QStringLiteral("履歴ID=5")));
    }

    // Our own file is in WAL mode with synchronous=NORMAL: a committed call costs no sync of
    // the disk, and the log is not folded in when the connection closes (that costs two), so
    // the call path syncs only when the log fills up. A file left in another journal mode
    // (by another tool) is put back into WAL mode.
    void ownDatabaseWritesWithoutSyncing_data() {
        QTest::addColumn<QString>("journal");
        QTest::newRow("made here") << "wal";
        QTest::newRow("left in rollback mode") << "delete";
    }
    void ownDatabaseWritesWithoutSyncing() {
        QFETCH(QString, journal);
        {
            db::Database d(path());
            addCall(d, 1, QStringLiteral("0312345678"), 0);
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode = ") + journal));
        }
        QVERIFY(db::CheckpointDatabase(path()));
        const QByteArray file = contentsOf(path());
        {
            db::Database d(path());
            QVERIFY(d.isOpen());
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("wal"));
            QVERIFY(q.exec(QStringLiteral("PRAGMA synchronous")) && q.next());
            QCOMPARE(q.value(0).toInt(), 1); // NORMAL
        }
        const QByteArray wal = contentsOf(path() + QStringLiteral("-wal"));
        {
            db::Database d(path());
            addCall(d, 2, QStringLiteral("0312345678"), 0);
        }
        // The call is in the log, the file as it was; the next connection reads the call.
        QCOMPARE(contentsOf(path()).size(), file.size());
        QVERIFY(contentsOf(path() + QStringLiteral("-wal")).size() > wal.size());
        db::Database d(path());
        QVERIFY(d.openTable(QStringLiteral("着信履歴")).findFirst(QStringLiteral("履歴ID=2")));
    }

    // Call after call, each on its own connection, the log beside the file stays short: it is
    // folded into the file now and then, and every call is kept.
    void logStaysShort() {
        qint64 longest = 0;
        for (int id = 0; id < 300; ++id) {
            {
                db::Database d(path());
                addCall(d, id, QStringLiteral("0312345678"), 0);
            }
            longest = qMax(longest, QFileInfo(path() + QStringLiteral("-wal")).size());
        }
        QVERIFY2(longest < 1100 * 1024, qPrintable(QString::number(longest)));
        db::Database d(path());
        QCOMPARE(d.openTable(QStringLiteral("着信履歴")).recordCount(), 300);
    }

    // A committed call survives the program's crash: a child process records one and dies
    // without closing anything.
    void committedCallSurvivesACrash() {
        { db::Database d(path()); }
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            db::Database d(path());
            db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
            t.addNew();
            t.setField(QStringLiteral("履歴ID"), 9);
            t.setField(QStringLiteral("電番"), QStringLiteral("0312345678"));
            t.setField(QStringLiteral("着信者ID"), 0);
            _exit(t.update() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        db::Database d(path());
        QVERIFY(d.isOpen());
        QVERIFY(d.openTable(QStringLiteral("着信履歴")).findFirst(QStringLiteral("履歴ID=9")));
    }

    // Folding the log in leaves one file, as the renames of a compaction need.
    void checkpointLeavesOneFile() {
        {
            db::Database d(path());
            addCall(d, 1, QStringLiteral("0312345678"), 0);
        }
        QVERIFY(db::CheckpointDatabase(path()));
        QCOMPARE(filesBeside(path()), QStringList{"Kolvane.mdb"});
        db::Database d(path());
        QVERIFY(d.openTable(QStringLiteral("着信履歴")).findFirst(QStringLiteral("履歴ID=1")));
        QVERIFY(!db::CheckpointDatabase(dir.filePath(QStringLiteral("none.mdb"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.mdb"))));
    }

    // A write lock held by another connection is waited on, then the statement is given
    // up: the caller hears false and the file keeps what it had. Reading goes on meanwhile,
    // so a call is still looked up while another window writes.
    void lockedDatabase_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("heldThrough");
        for (const char *operation : {"history row", "memo", "delete history", "new entry"}) {
            QTest::addRow("%s, lock released while waiting", operation) << operation << false;
            QTest::addRow("%s, lock held past the wait", operation) << operation << true;
        }
    }

    void lockedDatabase() {
        QFETCH(QString, operation);
        QFETCH(bool, heldThrough);
        {
            db::Database d(path());
            addCall(d, 1, QStringLiteral("0312345678"), 0);
        }
        LockHolder lock(path(), QStringLiteral("BEGIN IMMEDIATE"), heldThrough ? 60000 : 300);
        QVERIFY(lock.isLocked());
        bool done = false;
        {
            db::Database d(path());
            QVERIFY(d.isOpen());
            db::RowSet maximum = d.storedQuery(QStringLiteral("Q_履歴の最大")).openRows();
            QCOMPARE(maximum.field(QStringLiteral("履歴IDの最大")).toInt(), 1);
            if (operation == QLatin1String("history row")) {
                db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
                QVERIFY(t.addNew());
                t.setField(QStringLiteral("履歴ID"), 2);
                done = t.update();
            } else if (operation == QLatin1String("memo")) {
                db::Query m = d.storedQuery(QStringLiteral("Q_履歴メモ"));
                m.setParameter(QStringLiteral("MemoID"), 1);
                db::RowSet rs = m.openRows();
                QVERIFY(rs.edit());
                rs.setField(QStringLiteral("メモ"), QStringLiteral("折り返し"));
                done = rs.update();
                QCOMPARE(rs.field(QStringLiteral("メモ")).isNull(), !done);
            } else if (operation == QLatin1String("delete history")) {
                done = d.storedQuery(QStringLiteral("Q_履歴削除")).execute();
            } else {
                db::RowSet t = d.openTable(QStringLiteral("住所録"));
                QVERIFY(t.addNew());
                t.setField(QStringLiteral("氏名"), QStringLiteral("山田"));
                done = t.update();
            }
        }
        lock.release();
        QCOMPARE(done, !heldThrough);

        db::Database d(path());
        db::RowSet history = d.openTable(QStringLiteral("着信履歴"));
        if (operation == QLatin1String("history row")) {
            QCOMPARE(history.findFirst(QStringLiteral("履歴ID=2")), done);
        } else if (operation == QLatin1String("memo")) {
            QVERIFY(history.findFirst(QStringLiteral("履歴ID=1")));
            QCOMPARE(history.field(QStringLiteral("メモ")).toString(),
                     done ? QStringLiteral("折り返し") : QString());
        } else if (operation == QLatin1String("delete history")) {
            QCOMPARE(history.recordCount(), done ? 0 : 1);
        } else {
            QCOMPARE(d.openTable(QStringLiteral("住所録")).recordCount(), done ? 1 : 0);
        }
    }

    // A file switched to a rollback journal (as another tool may leave it) under an
    // exclusive lock cannot even be read: it is unavailable, not mistaken for a foreign
    // file to be replaced, and comes back once the lock is gone.
    void exclusivelyLockedFileIsUnavailable() {
        {
            db::Database d(path());
            addCall(d, 1, QStringLiteral("0312345678"), 0);
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode = DELETE")));
        }
        const QByteArray before = contentsOf(path());
        LockHolder lock(path(), QStringLiteral("BEGIN EXCLUSIVE"), 60000);
        QVERIFY(lock.isLocked());
        {
            db::Database d(path());
            QVERIFY(!d.isOpen());
            db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
            QVERIFY(!t.addNew());
            QVERIFY(d.storedQuery(QStringLiteral("Q_履歴の最大")).openRows().isEmpty());
        }
        lock.release();
        QCOMPARE(contentsOf(path()), before);
        db::Database d(path());
        QVERIFY(d.isOpen());
        QVERIFY(d.openTable(QStringLiteral("着信履歴")).findFirst(QStringLiteral("履歴ID=1")));
    }

    // The lookups made on every call and by the windows find their rows through a key or an
    // index; none reads a whole table or sorts one (the history grows by a row per call).
    // A number's key is worked out once, from the one row of its parameter.
    void lookupsSearchByKey_data() {
        QTest::addColumn<QString>("sql");
        for (const char *name :
             {"TELNOsach", "VALsach", "Q_履歴の最大", "Q_履歴メモ", "Q_電番既存確認"})
            QTest::newRow(name) << db::schema::storedQuery(QString::fromUtf8(name));
        QTest::newRow("numbers of an entry") << db::schema::phonebookNumbersOfEntrySql();
        QTest::newRow("calls of an entry") << db::schema::phonebookHistoryOfEntrySql();
    }

    void lookupsSearchByKey() {
        QFETCH(QString, sql);
        db::Database d(path());
        const QStringList plan = queryPlan(d, sql);
        const QByteArray shown = plan.join(QStringLiteral("; ")).toUtf8();
        QVERIFY(!plan.isEmpty());
        QVERIFY2(!plan.filter(QRegularExpression(QStringLiteral("^SEARCH "))).isEmpty(),
                 shown.constData());
        for (const QString &step : plan) {
            // Scanned may be only the one row of a parameter, never a table.
            if (step.startsWith(QLatin1String("SCAN ")))
                QVERIFY2(step == QLatin1String("SCAN CONSTANT ROW") ||
                             step.startsWith(QLatin1String("SCAN (subquery-")),
                         shown.constData());
            QVERIFY2(!step.contains(QLatin1String("TEMP B-TREE")), shown.constData());
        }
    }

    void compactCopy() {
        {
            db::Database d(path());
            addCall(d, 4, QStringLiteral("0312345678"), 0);
        }
        const QString copy = dir.filePath(QStringLiteral("KolvaneNEW.mdb"));
        QFile::remove(copy);
        QVERIFY(db::CompactDatabase(path(), copy));
        QVERIFY(!db::CompactDatabase(path(), copy));
        db::Database c(copy);
        QVERIFY(c.isOpen());
        QVERIFY(c.openTable(QStringLiteral("着信履歴")).findFirst(QStringLiteral("履歴ID=4")));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
