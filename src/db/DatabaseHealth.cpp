#include "db/DatabaseHealth.h"

#include "db/Connection.h"
#include "db/Schema.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <sqlite3.h>

namespace db {

// Whether the file holds the three tables with every field the program uses.
bool IsKolvaneDatabase(const QSqlDatabase &d) {
    for (const QString &table : schema::tableNames()) {
        const QSqlRecord record = d.record(table);
        for (const QString &field : schema::fieldNames(table))
            if (!record.contains(field))
                return false;
    }
    return true;
}

namespace {

// Damage inside the file (a page of junk among the rows) shows only when every page is
// read, and writing into such a file can spread it. Reading a large history through takes
// a moment, so it is done when this run first opens the file, and again only when the file
// has changed since one of our connections last had it (someone else wrote to it).
struct FileState {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileState &o) const { return size == o.size && modified == o.modified; }
};

QMutex intactFilesMutex;
QHash<QString, FileState> intactFiles; // by absolute path: as our connections last left it

FileState StateOf(const QString &absolutePath) {
    const QFileInfo info(absolutePath);
    return {info.size(), info.lastModified()};
}

} // namespace

bool KnownIntact(const QString &absolutePath) {
    const QMutexLocker lock(&intactFilesMutex);
    const auto it = intactFiles.constFind(absolutePath);
    return it != intactFiles.constEnd() && *it == StateOf(absolutePath);
}

void RememberIntact(const QString &absolutePath) {
    const QMutexLocker lock(&intactFilesMutex);
    intactFiles.insert(absolutePath, StateOf(absolutePath));
}

void ForgetIntact(const QString &absolutePath) {
    const QMutexLocker lock(&intactFilesMutex);
    intactFiles.remove(absolutePath);
}

namespace {
sqlite3 *HandleOf(const QSqlDatabase &d);
} // namespace

void CheckStop::stop() {
    const QMutexLocker lock(&mutex_);
    stopped_ = true;
    if (reading_)
        sqlite3_interrupt(reading_);
}

bool IsIntact(const QSqlDatabase &d, CheckStop *stop) {
    if (stop) {
        const QMutexLocker lock(&stop->mutex_);
        if (stop->stopped_)
            return false;
        stop->reading_ = HandleOf(d);
    }
    QSqlQuery q(d);
    const bool intact = q.exec(QStringLiteral("PRAGMA quick_check(1)")) && q.next() &&
                        q.value(0).toString() == QLatin1String("ok");
    q.finish();
    if (stop) {
        const QMutexLocker lock(&stop->mutex_);
        stop->reading_ = nullptr;
    }
    return intact;
}

// Whether 電話番号 has its number keys as this program keeps them: the column, and the
// triggers and index exactly as numberKeyStatements() makes them (older or other definitions
// would leave keys that do not match ours).
bool NumberKeysInPlace(const QSqlDatabase &d) {
    if (!d.record(QStringLiteral("電話番号")).contains(QStringLiteral("電番キー")))
        return false;
    QSqlQuery q(d);
    if (!q.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = '電話番号' "
                               "AND type IN ('trigger', 'index')")))
        return false;
    QStringList present;
    while (q.next())
        present << q.value(0).toString();
    for (const QString &statement : schema::numberKeyStatements())
        if (!present.contains(statement))
            return false;
    return true;
}

// Gives a file made before number keys (or with other ones) the column, its triggers and
// index, and the key of every number row, in one transaction: all of it or nothing. A file
// that cannot be written now (read only, another writer) stays as it is; its numbers are
// then found only as written, and the next opening tries again.
namespace {

// Changes an older file's schema all or nothing. Another writer is not waited for long: this
// may be a call being looked up.
bool InOneTransaction(QSqlDatabase &d, const std::function<bool(QSqlQuery &)> &steps) {
    QSqlQuery q(d);
    q.exec(QStringLiteral("PRAGMA busy_timeout = 250"));
    bool ok = d.transaction() && steps(q);
    q.finish();
    ok = ok && d.commit();
    if (!ok)
        d.rollback();
    q.exec(QStringLiteral("PRAGMA busy_timeout = 2000"));
    return ok;
}

} // namespace

bool GiveNumberKeys(QSqlDatabase &d) {
    const bool ok = InOneTransaction(d, [&d](QSqlQuery &q) {
        bool done = true;
        if (!d.record(QStringLiteral("電話番号")).contains(QStringLiteral("電番キー")))
            done = q.exec(QStringLiteral("ALTER TABLE 電話番号 ADD COLUMN 電番キー TEXT"));
        for (const char *drop : {"DROP TRIGGER IF EXISTS 電話番号_電番キー_追加",
                                 "DROP TRIGGER IF EXISTS 電話番号_電番キー_変更",
                                 "DROP INDEX IF EXISTS 電話番号_電番キー"})
            done = done && q.exec(QString::fromUtf8(drop));
        // The keys before the index, so the index is built once rather than row by row.
        done = done && q.exec(schema::numberKeyFillSql());
        for (const QString &statement : schema::numberKeyStatements())
            done = done && q.exec(statement);
        return done;
    });
    return ok && NumberKeysInPlace(d);
}

namespace {

// Whether every one of the statements is in the file's schema as written.
bool StatementsInPlace(const QSqlDatabase &d, const QString &table, const QStringList &statements) {
    QSqlQuery q(d);
    if (!q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = ?")))
        return false;
    q.addBindValue(table);
    if (!q.exec())
        return false;
    QStringList present;
    while (q.next())
        present << q.value(0).toString();
    for (const QString &statement : statements)
        if (!present.contains(statement))
            return false;
    return true;
}

// The connection's own SQLite handle, only when Qt's driver runs on the very library linked
// here (same version).
sqlite3 *HandleOf(const QSqlDatabase &d) {
    const QVariant v = d.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    sqlite3 *handle = *static_cast<sqlite3 *const *>(v.constData());
    QSqlQuery version(d);
    if (!handle || !version.exec(QStringLiteral("SELECT sqlite_version()")) || !version.next() ||
        version.value(0).toString() != QLatin1String(sqlite3_libversion()))
        return nullptr;
    return handle;
}

} // namespace

bool HistoryCountInPlace(const QSqlDatabase &d) {
    const QStringList statements = schema::historyCountStatements();
    // The table's own statement, then the triggers (which belong to 着信履歴).
    if (!StatementsInPlace(d, QStringLiteral("着信履歴件数"), statements.mid(0, 1)) ||
        !StatementsInPlace(d, QStringLiteral("着信履歴"), statements.mid(1)))
        return false;
    QSqlQuery q(d);
    return q.exec(QStringLiteral("SELECT COUNT(*) FROM 着信履歴件数")) && q.next() &&
           q.value(0).toInt() == 1;
}

bool GiveHistoryCount(QSqlDatabase &d) {
    const bool ok = InOneTransaction(d, [](QSqlQuery &q) {
        bool done = true;
        for (const char *drop :
             {"DROP TRIGGER IF EXISTS 着信履歴件数_追加",
              "DROP TRIGGER IF EXISTS 着信履歴件数_削除", "DROP TABLE IF EXISTS 着信履歴件数"})
            done = done && q.exec(QString::fromUtf8(drop));
        const QStringList statements = schema::historyCountStatements();
        done =
            done && q.exec(statements.first()) &&
            q.exec(QStringLiteral("INSERT INTO 着信履歴件数 (件数) SELECT COUNT(*) FROM 着信履歴"));
        for (const QString &statement : statements.mid(1))
            done = done && q.exec(statement);
        return done;
    });
    return ok && HistoryCountInPlace(d);
}

bool NuisanceMarksInPlace(const QSqlDatabase &d) {
    if (!d.record(QStringLiteral("着信履歴")).contains(QStringLiteral("迷惑理由")))
        return false;
    const QSqlRecord marks = d.record(QStringLiteral("迷惑電話"));
    for (const char *field : {"ID", "電番", "電番キー", "理由", "登録日"})
        if (!marks.contains(QString::fromUtf8(field)))
            return false;
    // The table as another tool made it is kept; its key triggers and index must be ours.
    return StatementsInPlace(d, QStringLiteral("迷惑電話"),
                             schema::nuisanceMarkStatements().mid(1));
}

bool GiveNuisanceMarks(QSqlDatabase &d) {
    const bool ok = InOneTransaction(d, [&d](QSqlQuery &q) {
        bool done = true;
        if (!d.record(QStringLiteral("着信履歴")).contains(QStringLiteral("迷惑理由")))
            done = q.exec(schema::nuisanceReasonColumnSql());
        const QStringList statements = schema::nuisanceMarkStatements();
        const bool table =
            d.record(QStringLiteral("迷惑電話")).contains(QStringLiteral("電番キー"));
        for (const char *drop : {"DROP TRIGGER IF EXISTS 迷惑電話_電番キー_追加",
                                 "DROP TRIGGER IF EXISTS 迷惑電話_電番キー_変更",
                                 "DROP INDEX IF EXISTS 迷惑電話_電番キー"})
            done = done && q.exec(QString::fromUtf8(drop));
        // A table already there keeps its rows, which get this program's keys.
        if (table) {
            for (const QString &step : schema::markKeyUpdates(QStringLiteral("1")))
                done = done && q.exec(step);
        } else {
            done = done && q.exec(statements.first());
        }
        for (const QString &statement : statements.mid(1))
            done = done && q.exec(statement);
        return done;
    });
    return ok && NuisanceMarksInPlace(d);
}

bool HistorySortInPlace(const QSqlDatabase &d) {
    return StatementsInPlace(d, QStringLiteral("着信履歴"), schema::historySortStatements());
}

bool GiveHistorySort(QSqlDatabase &d) {
    const bool ok = InOneTransaction(d, [&d](QSqlQuery &q) {
        // Only what is missing is made (an index over a million calls takes a moment); an index
        // of ours with another definition goes first.
        const QStringList wanted = schema::historySortStatements();
        QSqlQuery present(d);
        if (!present.exec(QStringLiteral(
                "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND "
                "tbl_name = '着信履歴' AND name LIKE '着信履歴\\_並び\\_%' ESCAPE '\\'")))
            return false;
        QStringList stale, kept;
        while (present.next()) {
            const QString sql = present.value(1).toString();
            if (wanted.contains(sql))
                kept << sql;
            else
                stale << present.value(0).toString();
        }
        present.finish();
        bool done = true;
        for (const QString &name : stale)
            done = done && q.exec(QStringLiteral("DROP INDEX \"%1\"").arg(name));
        for (const QString &statement : wanted)
            if (!kept.contains(statement))
                done = done && q.exec(statement);
        return done;
    });
    return ok && HistorySortInPlace(d);
}

int SystemErrorOf(const QSqlDatabase &d) {
    const QVariant v = d.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return 0;
    sqlite3 *raw = *static_cast<sqlite3 *const *>(v.constData());
    // Read before the version is asked, which runs a statement of its own.
    const int error = raw ? sqlite3_system_errno(raw) : 0;
    return HandleOf(d) == raw ? error : 0;
}

// Whether closing the connection may fold the log into the file (SQLite does so when the last
// connection to a file closes). That costs two syncs of the disk; the call path must not pay
// them for every call, and a file not judged sound must not be written. Only through the very
// SQLite library that Qt's driver runs on.
bool FoldLogOnClose(const QSqlDatabase &d, bool fold) {
    sqlite3 *handle = HandleOf(d);
    if (!handle)
        return false;
    int set = -1;
    return sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, fold ? 0 : 1, &set) ==
               SQLITE_OK &&
           set == (fold ? 0 : 1);
}

namespace {

// The log is folded into the file when a connection closing last finds it this large: about
// a hundred calls, so a call pays the two syncs of that only now and then. (A log that no
// connection keeps open is read through again by the next one, so it must not grow long.)
const qint64 kFoldLogAt = 1024 * 1024;

} // namespace

// Closes one of our connections. A log that holds nothing is removed with it (nothing is
// written to the file for that); a log with a few frames stays beside the file.
void CloseConnection(QSqlDatabase &d, const QString &absolutePath) {
    const qint64 log = QFileInfo(absolutePath + QStringLiteral("-wal")).size();
    if (d.isOpen() && (log == 0 || log >= kFoldLogAt))
        FoldLogOnClose(d, true);
    d.close();
}

namespace {

// A connection that cannot change the file in any way: read only and immutable (no lock
// taken, no -shm made, the log neither replayed nor folded in).
class UnchangingConnection {
public:
    explicit UnchangingConnection(const QString &absolutePath) : name_(NextConnectionName()) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        QUrl url = QUrl::fromLocalFile(absolutePath);
        url.setQuery(QStringLiteral("mode=ro&immutable=1"));
        d.setDatabaseName(url.toString(QUrl::FullyEncoded));
        d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        d.open();
    }
    ~UnchangingConnection() {
        ConnectionNamed(name_).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase database() const { return ConnectionNamed(name_); }

private:
    QString name_;
};

} // namespace

// Whether a file that is there is a Kolvane database, decided without writing to it or to its
// -wal and -shm. The tables are read from the file itself. A file that holds no table at all
// but has a log (one of ours right after it was made, before its tables reached the file) is
// judged on a private copy of the two, where the log can be replayed.
bool HoldsKolvaneTables(const QString &absolutePath, int *readFailure) {
    bool empty = false;
    {
        const UnchangingConnection c(absolutePath);
        const QSqlDatabase d = c.database();
        const auto failed = [readFailure](const QSqlError &e) {
            if (readFailure)
                *readFailure = e.nativeErrorCode().toInt();
            return false;
        };
        if (!d.isOpen())
            return failed(d.lastError());
        if (IsKolvaneDatabase(d))
            return true;
        QSqlQuery q(d);
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !q.next())
            return failed(q.lastError());
        empty = q.value(0).toInt() == 0;
    }
    const QString log = absolutePath + QStringLiteral("-wal");
    if (!empty || QFileInfo(log).size() <= 0)
        return false;
    const QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("judged.db"));
    const auto writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!folder.isValid() || !QFile::copy(absolutePath, copy) ||
        !QFile::copy(log, copy + QStringLiteral("-wal")) ||
        !QFile::setPermissions(copy, writable) ||
        !QFile::setPermissions(copy + QStringLiteral("-wal"), writable))
        return false;
    const QString name = NextConnectionName();
    bool ours = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        d.setDatabaseName(copy);
        ours = d.open() && IsKolvaneDatabase(d);
        d.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ours;
}

} // namespace db
