#include "db/Database.h"

#include "db/Connection.h"
#include "db/DatabaseHealth.h"
#include "db/RowSetData.h"
#include "db/Schema.h"
#include "platform/PrivateFiles.h"
#include "platform/RegularFile.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QUrl>
#include <cerrno>
#include <sqlite3.h>

namespace db {

QSqlDatabase ConnectionNamed(const QString &name) {
    return QSqlDatabase::database(name, false);
}

QString SqlIdentifier(const QSqlDatabase &d, const QString &name) {
    return d.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

namespace {
// Each thread runs its own statements (the call path, a window, an import).
thread_local Database::Problem lastStatementProblem = Database::Problem::NotWritable;
} // namespace

// Binds the parameters that the text names (":Name" as a whole word) and runs it.
bool RunSql(QSqlQuery &q, const QString &sql, const QVariantMap &parameters) {
    if (!q.prepare(sql))
        return false;
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        const QRegularExpression named(
            QStringLiteral(":%1(?!\\w)").arg(QRegularExpression::escape(it.key())));
        if (named.match(sql).hasMatch())
            q.bindValue(QLatin1Char(':') + it.key(), it.value());
    }
    if (q.exec())
        return true;
    RememberStatementFailure(q);
    return false;
}

void RememberStatementFailure(const QSqlQuery &q) {
    lastStatementProblem = ProblemOf(q.lastError());
}

QString NextConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("kolvane-db-%1").arg(counter.fetchAndAddRelaxed(1));
}

namespace {

// A fresh file is made; an existing one is opened without create, so a foreign file is never
// replaced.
void SetFileToOpen(QSqlDatabase &d, const QString &path, const QString &absolute, bool fresh) {
    if (fresh) {
        d.setDatabaseName(path);
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        return;
    }
    QUrl url = QUrl::fromLocalFile(absolute);
    url.setQuery(QStringLiteral("mode=rw"));
    d.setDatabaseName(url.toString(QUrl::FullyEncoded));
    d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_URI"));
}

// The schema of a fresh file, in one transaction: all of it or nothing.
bool CreateTables(QSqlDatabase &d, QSqlQuery &q) {
    // Readers (the open history and phonebook windows) never block the call path's writes in
    // WAL mode; with a rollback journal an open grid would lock out recording.
    q.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    bool created = d.transaction();
    for (const QString &sql : schema::createStatements())
        created = created && q.exec(sql);
    if (created && d.commit())
        return true;
    d.rollback();
    return false;
}

// Why a file that opened does not show its tables: a read that fails says why (locked, damaged,
// a folder where its log cannot be made); one that reads is simply not ours.
Database::Problem ReadProblem(const QSqlDatabase &d) {
    QSqlQuery probe(d);
    if (probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && probe.next())
        return Database::Problem::NotOurs;
    return ProblemOf(d, probe.lastError());
}

bool BeginsAsSqlite(const QString &absolutePath) {
    QFile file(absolutePath);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

// The first of the errors that carries SQLite's result code.
Database::Problem ProblemOfFirst(std::initializer_list<QSqlError> errors) {
    for (const QSqlError &e : errors)
        if (!e.nativeErrorCode().isEmpty())
            return ProblemOf(e);
    return Database::Problem::NotWritable;
}

} // namespace

Database::Database(const QString &path) : Database(path, false, nullptr) {}

Database::Database(const QString &path, CheckStop &stop) : Database(path, false, &stop) {}

Database::Problem Database::Judge(const QString &path) {
    return Database(path, true, nullptr).problem();
}

Database::Database(const QString &path, bool judgeOnly, CheckStop *stop) : path_(path) {
    connection_ = NextConnectionName();
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    const bool fresh = !info.exists() || (info.isFile() && info.size() == 0 &&
                                          !QFileInfo::exists(absolute + QStringLiteral("-wal")));
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    // A FIFO or a device under the name would hold the opening (and the call) for ever; a
    // folder in the file's place cannot be opened at all.
    if (info.exists() && !IsRegularFile(absolute)) {
        problem_ = info.isDir() ? Problem::CannotOpen : Problem::NotOurs;
        return;
    }
    // A file that is there is judged before anything may write to it: a read-write open of a
    // database in WAL mode replays and folds in its log, which changes a file not ours.
    // A folder (or a device) where the file should be is no file to open.
    if (info.exists() && !info.isFile()) {
        problem_ = Problem::CannotOpen;
        return;
    }
    int readFailure = 0;
    if (!fresh && !HoldsKolvaneTables(absolute, &readFailure)) {
        problem_ = readFailure != 0 ? ProblemOfSqliteCode(readFailure) : Problem::NotOurs;
        // A file that does not even begin as an SQLite file (a text, another program's file)
        // is not a damaged database but none at all.
        if (problem_ == Problem::Damaged && !BeginsAsSqlite(absolute))
            problem_ = Problem::NotOurs;
        return;
    }
    // A new file, and the log and index files SQLite makes beside it with its mode, are
    // readable by the user alone.
    if (fresh)
        CreatePrivateFile(absolute);
    SetFileToOpen(d, path, absolute, fresh);
    if (!d.open()) {
        problem_ = ProblemOfFirst({d.lastError()});
        return;
    }
    // No close of ours folds the log into the file (CloseConnection says when it may).
    FoldLogOnClose(d, false);
    QSqlQuery q(d);
    if (fresh) {
        if (!CreateTables(d, q)) {
            problem_ = ProblemOfFirst({q.lastError(), d.lastError()});
            CloseConnection(d, absolute);
            return;
        }
        // The tables go into the file itself, where the next opening looks for them.
        q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }
    // Judged only: ours and writable, nothing read through and nothing changed.
    if (judgeOnly) {
        if (!IsKolvaneDatabase(d))
            problem_ = Problem::NotOurs;
        q.finish();
        CloseConnection(d, absolute);
        return;
    }
    if (!IsKolvaneDatabase(d) || (!fresh && !KnownIntact(absolute) && !IsIntact(d, stop))) {
        problem_ = IsKolvaneDatabase(d) ? Problem::Damaged : ReadProblem(d);
        ForgetIntact(absolute);
        q.finish();
        CloseConnection(d, absolute);
        return;
    }
    RememberIntact(absolute);
    q.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    numberKeys_ = NumberKeysInPlace(d) || GiveNumberKeys(d);
    historyCount_ = HistoryCountInPlace(d) || GiveHistoryCount(d);
    nuisanceMarks_ = NuisanceMarksInPlace(d) || GiveNuisanceMarks(d);
    // Without them the list still sorts, by reading the whole table for each page.
    historySort_ = HistorySortInPlace(d) || GiveHistorySort(d);
    // A committed call then costs no sync of the disk and survives a crash of the program;
    // the log is synced when it is folded into the file (every 1000 pages).
    if (q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() &&
        q.value(0).toString() != QLatin1String("wal"))
        q.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    q.finish();
    open_ = true;
}

Database::~Database() {
    close();
    QSqlDatabase::removeDatabase(connection_);
}

void Database::close() {
    const bool wasOpen = open_;
    open_ = false;
    QSqlDatabase d = ConnectionNamed(connection_);
    const QString absolute = QFileInfo(path_).absoluteFilePath();
    if (d.isValid())
        CloseConnection(d, absolute);
    // Our own writes (and the log written back on close) change the file, not its health.
    if (wasOpen)
        RememberIntact(absolute);
}

QSqlDatabase Database::sqlDatabase() const {
    return ConnectionNamed(connection_);
}

Query Database::storedQuery(const QString &name) const {
    return Query(open_ ? connection_ : QString(),
                 numberKeys_ ? schema::storedQuery(name) : schema::exactStoredQuery(name),
                 schema::storedQueryTable(name));
}

Query Database::createQuery(const QString &sql) const {
    return Query(open_ ? connection_ : QString(), sql, QString());
}

RowSet Database::openTable(const QString &table) const {
    const QString key = schema::keyField(table);
    if (!open_ || key.isEmpty())
        return RowSet();
    auto data = std::make_unique<RowSetData>();
    data->connection = connection_;
    data->table = table;
    data->key = key;
    data->fields = schema::fieldNames(table);
    data->lazy = true;
    RowSet rows(std::move(data));
    rows.moveFirst();
    return rows;
}

RowSet Database::openRows(const QString &sql, const QVariantMap &parameters) const {
    Query q = createQuery(sql);
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        q.setParameter(it.key(), it.value());
    return q.openRows();
}

QString ProblemText(Database::Problem problem) {
    switch (problem) {
    case Database::Problem::NotWritable:
        return QStringLiteral("書き込めません");
    case Database::Problem::NotOurs:
        return QStringLiteral("Kolvaneのデータベースではありません");
    case Database::Problem::Damaged:
        return QStringLiteral("ファイルが壊れています");
    case Database::Problem::Busy:
        return QStringLiteral("使用中です");
    case Database::Problem::Full:
        return QStringLiteral("ディスクがいっぱいです");
    case Database::Problem::ReadOnly:
        return QStringLiteral("読み取り専用です");
    case Database::Problem::CannotOpen:
        return QStringLiteral("開けません");
    case Database::Problem::None:
        break;
    }
    return QString();
}

Database::Problem ProblemOfSqliteCode(int code) {
    switch (code & 0xff) {
    case SQLITE_FULL:
        return Database::Problem::Full;
    case SQLITE_READONLY:
        return Database::Problem::ReadOnly;
    case SQLITE_CANTOPEN:
        return Database::Problem::CannotOpen;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Database::Problem::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Database::Problem::Busy;
    default:
        return Database::Problem::NotWritable;
    }
}

Database::Problem ProblemOfSqliteCode(int code, int systemError) {
    const int primary = code & 0xff;
    if (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN) {
        if (systemError == ENOSPC)
            return Database::Problem::Full;
        if (systemError == EROFS || systemError == EACCES || systemError == EPERM)
            return Database::Problem::ReadOnly;
    }
    return ProblemOfSqliteCode(code);
}

Database::Problem ProblemOf(const QSqlError &error) {
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number ? ProblemOfSqliteCode(code) : Database::Problem::NotWritable;
}

Database::Problem ProblemOf(const QSqlDatabase &connection, const QSqlError &error) {
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    if (!number)
        return Database::Problem::NotWritable;
    const Database::Problem problem = ProblemOfSqliteCode(code, SystemErrorOf(connection));
    if (problem != Database::Problem::CannotOpen && problem != Database::Problem::NotWritable)
        return problem;
    // The log and its index are made beside the file: a folder that cannot be written to
    // (read-only, or not ours) is why a file there does not open.
    const QString name = connection.databaseName();
    const QString file = name.startsWith(QLatin1String("file:")) ? QUrl(name).toLocalFile() : name;
    return QFileInfo(QFileInfo(file).absolutePath()).isWritable() ? problem
                                                                  : Database::Problem::ReadOnly;
}

Database::Problem LastStatementProblem() {
    return lastStatementProblem;
}

bool CheckpointDatabase(const QString &path) {
    if (!QFileInfo(path).isFile())
        return false;
    Database d(path);
    if (!d.isOpen())
        return false;
    QSqlDatabase s = d.sqlDatabase();
    bool whole = false;
    {
        QSqlQuery q(s);
        whole = q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")) && q.next() &&
                q.value(0).toInt() == 0;
    }
    // With the log folded in and empty, closing removes it (when no other connection is open).
    d.close();
    return whole;
}

bool CompactDatabase(const QString &source, const QString &destination) {
    if (QFileInfo::exists(destination) || !QFileInfo::exists(source))
        return false;
    Database d(source);
    if (!d.isOpen())
        return false;
    QSqlQuery q(d.sqlDatabase());
    CreatePrivateFile(destination);
    return q.prepare(QStringLiteral("VACUUM INTO :destination")) &&
           (q.bindValue(QStringLiteral(":destination"), destination), q.exec());
}

} // namespace db
