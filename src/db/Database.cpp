#include "db/Database.h"

#include "db/Schema.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>
#include <QVector>
#include <optional>
#include <sqlite3.h>

namespace db {

namespace {

QSqlDatabase connectionNamed(const QString &name) {
    return QSqlDatabase::database(name, false);
}

QString identifier(const QSqlDatabase &d, const QString &name) {
    return d.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

// Binds the parameters that the text names (":Name" as a whole word) and runs it.
bool run(QSqlQuery &q, const QString &sql, const QVariantMap &parameters) {
    if (!q.prepare(sql))
        return false;
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        const QRegularExpression named(
            QStringLiteral(":%1(?!\\w)").arg(QRegularExpression::escape(it.key())));
        if (named.match(sql).hasMatch())
            q.bindValue(QLatin1Char(':') + it.key(), it.value());
    }
    return q.exec();
}

// "<field>=<integer>" with the field found among fields (any letter case).
bool parseCriterion(const QString &criterion, const QStringList &fields, QString *field,
                    qint64 *value) {
    static const QRegularExpression form(QStringLiteral("^\\s*([^\\s=]+)\\s*=\\s*(-?\\d+)\\s*$"));
    const QRegularExpressionMatch m = form.match(criterion);
    if (!m.hasMatch())
        return false;
    bool ok = false;
    *value = m.captured(2).toLongLong(&ok);
    if (!ok)
        return false;
    for (const QString &f : fields)
        if (f.compare(m.captured(1), Qt::CaseInsensitive) == 0) {
            *field = f;
            return true;
        }
    return false;
}

} // namespace

class RowSetData {
public:
    enum class Editing { None, Adding, Changing };

    QString connection;
    QString table; // the table rows are written to; empty for read-only rows
    QString key;
    QStringList fields;
    bool lazy = false; // a whole table, positioned by key

    // Rows of a query, read on open.
    QVector<QVector<QVariant>> rows;
    QVector<bool> deleted;
    int pos = 0;

    // A whole table: the current key, or before-first / after-last.
    bool atBof = true;
    bool atEof = true;
    qint64 current = 0;
    mutable std::optional<QVector<QVariant>> cached;

    bool noMatch = false;
    Editing editing = Editing::None;
    QVariantMap buffer;

    QSqlDatabase database() const { return connectionNamed(connection); }

    std::optional<qint64> keyOf(const QString &sql, const QVariantMap &parameters = {}) const {
        QSqlQuery q(database());
        if (!run(q, sql, parameters) || !q.next() || q.value(0).isNull())
            return std::nullopt;
        return q.value(0).toLongLong();
    }

    QString tableSql() const { return identifier(database(), table); }
    QString keySql() const { return identifier(database(), key); }

    bool onRow() const {
        if (lazy)
            return !atBof && !atEof;
        return pos >= 0 && pos < rows.size() && !deleted[pos];
    }

    void setCurrent(std::optional<qint64> found, bool forward) {
        cached.reset();
        if (found) {
            current = *found;
            atBof = atEof = false;
        } else if (forward) {
            atEof = true;
        } else {
            atBof = true;
        }
    }

    QVariant value(const QString &name) const {
        const int column = int(fields.indexOf(name));
        if (column < 0 || !onRow())
            return QVariant();
        if (!lazy)
            return rows[pos][column];
        if (!cached) {
            QSqlQuery q(database());
            if (!run(q,
                     QStringLiteral("SELECT * FROM %1 WHERE %2 = :key").arg(tableSql(), keySql()),
                     {{QStringLiteral("key"), current}}) ||
                !q.next())
                return QVariant();
            QVector<QVariant> row;
            for (const QString &f : fields)
                row << q.value(f);
            cached = row;
        }
        return (*cached)[column];
    }
};

RowSet::RowSet() = default;
RowSet::~RowSet() = default;
RowSet::RowSet(RowSet &&) noexcept = default;
RowSet &RowSet::operator=(RowSet &&) noexcept = default;
RowSet::RowSet(std::unique_ptr<RowSetData> data) : d(std::move(data)) {}

int RowSet::recordCount() const {
    if (!d)
        return 0;
    if (!d->lazy)
        return int(d->deleted.count(false));
    QSqlQuery q(d->database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(d->tableSql())) || !q.next())
        return 0;
    return q.value(0).toInt();
}

bool RowSet::bof() const {
    if (!d)
        return true;
    return d->lazy ? d->atBof : d->pos < 0 || d->rows.isEmpty();
}

bool RowSet::eof() const {
    if (!d)
        return true;
    return d->lazy ? d->atEof : d->pos >= d->rows.size() || d->rows.isEmpty();
}

bool RowSet::moveFirst() {
    if (!d)
        return false;
    if (d->lazy) {
        d->setCurrent(
            d->keyOf(QStringLiteral("SELECT MIN(%1) FROM %2").arg(d->keySql(), d->tableSql())),
            true);
        d->atBof = d->atEof;
        return d->onRow();
    }
    d->pos = 0;
    while (d->pos < d->rows.size() && d->deleted[d->pos])
        ++d->pos;
    return d->onRow();
}

bool RowSet::moveLast() {
    if (!d)
        return false;
    if (d->lazy) {
        d->setCurrent(
            d->keyOf(QStringLiteral("SELECT MAX(%1) FROM %2").arg(d->keySql(), d->tableSql())),
            false);
        d->atEof = d->atBof;
        return d->onRow();
    }
    d->pos = int(d->rows.size()) - 1;
    while (d->pos >= 0 && d->deleted[d->pos])
        --d->pos;
    return d->onRow();
}

bool RowSet::moveNext() {
    if (!d || eof())
        return false;
    if (d->lazy) {
        if (d->atBof)
            return moveFirst();
        d->setCurrent(d->keyOf(QStringLiteral("SELECT MIN(%1) FROM %2 WHERE %1 > :key")
                                   .arg(d->keySql(), d->tableSql()),
                               {{QStringLiteral("key"), d->current}}),
                      true);
        return d->onRow();
    }
    do
        ++d->pos;
    while (d->pos < d->rows.size() && d->deleted[d->pos]);
    return d->onRow();
}

bool RowSet::movePrevious() {
    if (!d || bof())
        return false;
    if (d->lazy) {
        if (d->atEof)
            return moveLast();
        d->setCurrent(d->keyOf(QStringLiteral("SELECT MAX(%1) FROM %2 WHERE %1 < :key")
                                   .arg(d->keySql(), d->tableSql()),
                               {{QStringLiteral("key"), d->current}}),
                      false);
        return d->onRow();
    }
    do
        --d->pos;
    while (d->pos >= 0 && d->deleted[d->pos]);
    return d->onRow();
}

bool RowSet::findFirst(const QString &criterion) {
    if (!d)
        return false;
    QString name;
    qint64 wanted = 0;
    d->noMatch = true;
    if (!parseCriterion(criterion, d->fields, &name, &wanted))
        return false;
    if (d->lazy) {
        const auto found =
            d->keyOf(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :value ORDER BY %1 LIMIT 1")
                         .arg(d->keySql(), d->tableSql(), identifier(d->database(), name)),
                     {{QStringLiteral("value"), wanted}});
        if (!found)
            return false;
        d->setCurrent(found, true);
    } else {
        const int column = int(d->fields.indexOf(name));
        int i = 0;
        for (; i < d->rows.size(); ++i) {
            bool ok = false;
            const QVariant &v = d->rows[i][column];
            if (!d->deleted[i] && !v.isNull() && v.toLongLong(&ok) == wanted && ok)
                break;
        }
        if (i == d->rows.size())
            return false;
        d->pos = i;
    }
    d->noMatch = false;
    return true;
}

bool RowSet::noMatch() const {
    return !d || d->noMatch;
}

QVariant RowSet::field(const QString &name) const {
    return d ? d->value(name) : QVariant();
}

bool RowSet::addNew() {
    if (!d || d->table.isEmpty())
        return false;
    d->editing = RowSetData::Editing::Adding;
    d->buffer.clear();
    return true;
}

bool RowSet::edit() {
    if (!d || d->table.isEmpty() || !d->onRow())
        return false;
    d->editing = RowSetData::Editing::Changing;
    d->buffer.clear();
    return true;
}

bool RowSet::setField(const QString &name, const QVariant &value) {
    if (!d || d->editing == RowSetData::Editing::None || !d->fields.contains(name))
        return false;
    d->buffer.insert(name, value);
    return true;
}

bool RowSet::update() {
    if (!d || d->editing == RowSetData::Editing::None)
        return false;
    const RowSetData::Editing editing = d->editing;
    d->editing = RowSetData::Editing::None;
    const QSqlDatabase database = d->database();
    QStringList columns, values, assignments;
    QVariantMap parameters;
    int n = 0;
    for (auto it = d->buffer.begin(); it != d->buffer.end(); ++it, ++n) {
        const QString column = identifier(database, it.key());
        const QString parameter = QStringLiteral("p%1").arg(n);
        columns << column;
        values << QLatin1Char(':') + parameter;
        assignments << column + QStringLiteral(" = :") + parameter;
        parameters.insert(parameter, it.value());
    }
    QSqlQuery q(database);
    if (editing == RowSetData::Editing::Adding) {
        const QString sql = columns.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(d->tableSql())
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(d->tableSql(), columns.join(QStringLiteral(", ")),
                                           values.join(QStringLiteral(", ")));
        if (!run(q, sql, parameters))
            return false;
        if (!d->lazy) {
            QVector<QVariant> row;
            for (const QString &f : d->fields)
                row << (f == d->key && !d->buffer.contains(f) ? q.lastInsertId()
                                                              : d->buffer.value(f));
            d->rows << row;
            d->deleted << false;
        }
        return true;
    }
    if (assignments.isEmpty())
        return true;
    const QVariant key = d->lazy ? QVariant(d->current) : d->value(d->key);
    parameters.insert(QStringLiteral("key"), key);
    if (!run(q,
             QStringLiteral("UPDATE %1 SET %2 WHERE %3 = :key")
                 .arg(d->tableSql(), assignments.join(QStringLiteral(", ")), d->keySql()),
             parameters))
        return false;
    if (d->lazy) {
        d->cached.reset();
    } else {
        for (auto it = d->buffer.begin(); it != d->buffer.end(); ++it)
            d->rows[d->pos][int(d->fields.indexOf(it.key()))] = it.value();
    }
    return true;
}

bool RowSet::deleteRow() {
    if (!d || d->table.isEmpty() || !d->onRow())
        return false;
    const QVariant key = d->lazy ? QVariant(d->current) : d->value(d->key);
    QSqlQuery q(d->database());
    if (!run(q, QStringLiteral("DELETE FROM %1 WHERE %2 = :key").arg(d->tableSql(), d->keySql()),
             {{QStringLiteral("key"), key}}))
        return false;
    // The deleted row stays current (reading Null) until the next move.
    if (d->lazy)
        d->cached = QVector<QVariant>(d->fields.size());
    else
        d->deleted[d->pos] = true;
    return true;
}

void RowSet::close() {
    d.reset();
}

Query::Query(QString connection, QString sql, QString baseTable)
    : connection_(std::move(connection)), sql_(std::move(sql)), baseTable_(std::move(baseTable)) {}

void Query::setParameter(const QString &name, const QVariant &value) {
    parameters_.insert(name, value);
}

RowSet Query::openRows() {
    if (connection_.isEmpty() || sql_.isEmpty())
        return RowSet();
    QSqlQuery q(connectionNamed(connection_));
    q.setForwardOnly(true);
    if (!run(q, sql_, parameters_))
        return RowSet();
    auto data = std::make_unique<RowSetData>();
    data->connection = connection_;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        data->fields << record.fieldName(i);
    while (q.next()) {
        QVector<QVariant> row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << q.value(i);
        data->rows << row;
        data->deleted << false;
    }
    const QString key = schema::keyField(baseTable_);
    if (!key.isEmpty() && data->fields.contains(key)) {
        data->table = baseTable_;
        data->key = key;
    }
    return RowSet(std::move(data));
}

bool Query::execute() {
    if (connection_.isEmpty() || sql_.isEmpty())
        return false;
    QSqlQuery q(connectionNamed(connection_));
    return run(q, sql_, parameters_);
}

namespace {

// Whether the file holds the three tables with every field the program uses.
bool isKolvaneDatabase(const QSqlDatabase &d) {
    for (const QString &table : schema::tableNames()) {
        const QSqlRecord record = d.record(table);
        for (const QString &field : schema::fieldNames(table))
            if (!record.contains(field))
                return false;
    }
    return true;
}

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

FileState stateOf(const QString &absolutePath) {
    const QFileInfo info(absolutePath);
    return {info.size(), info.lastModified()};
}

bool knownIntact(const QString &absolutePath) {
    const QMutexLocker lock(&intactFilesMutex);
    const auto it = intactFiles.constFind(absolutePath);
    return it != intactFiles.constEnd() && *it == stateOf(absolutePath);
}

void rememberIntact(const QString &absolutePath) {
    const QMutexLocker lock(&intactFilesMutex);
    intactFiles.insert(absolutePath, stateOf(absolutePath));
}

void forgetIntact(const QString &absolutePath) {
    const QMutexLocker lock(&intactFilesMutex);
    intactFiles.remove(absolutePath);
}

bool isIntact(const QSqlDatabase &d) {
    QSqlQuery q(d);
    return q.exec(QStringLiteral("PRAGMA quick_check(1)")) && q.next() &&
           q.value(0).toString() == QLatin1String("ok");
}

// Whether 電話番号 has its number keys as this program keeps them: the column, and the
// triggers and index exactly as numberKeyStatements() makes them (older or other definitions
// would leave keys that do not match ours).
bool numberKeysInPlace(const QSqlDatabase &d) {
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
bool giveNumberKeys(QSqlDatabase &d) {
    QSqlQuery q(d);
    // Another writer is not waited for long: this may be a call being looked up.
    q.exec(QStringLiteral("PRAGMA busy_timeout = 250"));
    bool ok = d.transaction();
    if (ok && !d.record(QStringLiteral("電話番号")).contains(QStringLiteral("電番キー")))
        ok = q.exec(QStringLiteral("ALTER TABLE 電話番号 ADD COLUMN 電番キー TEXT"));
    for (const char *drop : {"DROP TRIGGER IF EXISTS 電話番号_電番キー_追加",
                             "DROP TRIGGER IF EXISTS 電話番号_電番キー_変更",
                             "DROP INDEX IF EXISTS 電話番号_電番キー"})
        ok = ok && q.exec(QString::fromUtf8(drop));
    // The keys before the index, so the index is built once rather than row by row.
    ok = ok && q.exec(schema::numberKeyFillSql());
    for (const QString &statement : schema::numberKeyStatements())
        ok = ok && q.exec(statement);
    q.finish();
    ok = ok && d.commit();
    if (!ok)
        d.rollback();
    q.exec(QStringLiteral("PRAGMA busy_timeout = 2000"));
    return ok && numberKeysInPlace(d);
}

QString nextConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("kolvane-db-%1").arg(counter.fetchAndAddRelaxed(1));
}

// Whether closing the connection may fold the log into the file (SQLite does so when the last
// connection to a file closes). That costs two syncs of the disk; the call path must not pay
// them for every call, and a file not judged sound must not be written. Only through the very
// SQLite library that Qt's driver runs on.
bool foldLogOnClose(const QSqlDatabase &d, bool fold) {
    const QVariant v = d.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *handle = *static_cast<sqlite3 *const *>(v.constData());
    QSqlQuery version(d);
    if (!handle || !version.exec(QStringLiteral("SELECT sqlite_version()")) || !version.next() ||
        version.value(0).toString() != QLatin1String(sqlite3_libversion()))
        return false;
    int set = -1;
    return sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, fold ? 0 : 1, &set) ==
               SQLITE_OK &&
           set == (fold ? 0 : 1);
}

// The log is folded into the file when a connection closing last finds it this large: about
// a hundred calls, so a call pays the two syncs of that only now and then. (A log that no
// connection keeps open is read through again by the next one, so it must not grow long.)
const qint64 kFoldLogAt = 1024 * 1024;

// Closes one of our connections. A log that holds nothing is removed with it (nothing is
// written to the file for that); a log with a few frames stays beside the file.
void closeConnection(QSqlDatabase &d, const QString &absolutePath) {
    const qint64 log = QFileInfo(absolutePath + QStringLiteral("-wal")).size();
    if (d.isOpen() && (log == 0 || log >= kFoldLogAt))
        foldLogOnClose(d, true);
    d.close();
}

// A connection that cannot change the file in any way: read only and immutable (no lock
// taken, no -shm made, the log neither replayed nor folded in).
class UnchangingConnection {
public:
    explicit UnchangingConnection(const QString &absolutePath) : name_(nextConnectionName()) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        QUrl url = QUrl::fromLocalFile(absolutePath);
        url.setQuery(QStringLiteral("mode=ro&immutable=1"));
        d.setDatabaseName(url.toString(QUrl::FullyEncoded));
        d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        d.open();
    }
    ~UnchangingConnection() {
        connectionNamed(name_).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase database() const { return connectionNamed(name_); }

private:
    QString name_;
};

// Whether a file that is there is a Kolvane database, decided without writing to it or to its
// -wal and -shm. The tables are read from the file itself. A file that holds no table at all
// but has a log (one of ours right after it was made, before its tables reached the file) is
// judged on a private copy of the two, where the log can be replayed.
bool holdsKolvaneTables(const QString &absolutePath) {
    bool empty = false;
    {
        const UnchangingConnection c(absolutePath);
        const QSqlDatabase d = c.database();
        if (!d.isOpen())
            return false;
        if (isKolvaneDatabase(d))
            return true;
        QSqlQuery q(d);
        empty = q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && q.next() &&
                q.value(0).toInt() == 0;
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
    const QString name = nextConnectionName();
    bool ours = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        d.setDatabaseName(copy);
        ours = d.open() && isKolvaneDatabase(d);
        d.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ours;
}

} // namespace

Database::Database(const QString &path) : path_(path) {
    connection_ = nextConnectionName();
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    const bool fresh = !info.exists() || (info.isFile() && info.size() == 0 &&
                                          !QFileInfo::exists(absolute + QStringLiteral("-wal")));
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    // A file that is there is judged before anything may write to it: a read-write open of a
    // database in WAL mode replays and folds in its log, which changes a file not ours.
    if (!fresh && !holdsKolvaneTables(absolute)) {
        problem_ = Problem::NotOurs;
        return;
    }
    if (fresh) {
        d.setDatabaseName(path);
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    } else {
        // An existing file is opened without create, so a foreign file is never replaced.
        QUrl url = QUrl::fromLocalFile(absolute);
        url.setQuery(QStringLiteral("mode=rw"));
        d.setDatabaseName(url.toString(QUrl::FullyEncoded));
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_URI"));
    }
    if (!d.open()) {
        problem_ = Problem::NotWritable;
        return;
    }
    // No close of ours folds the log into the file (closeConnection says when it may).
    foldLogOnClose(d, false);
    QSqlQuery q(d);
    if (fresh) {
        // Readers (the open history and phonebook windows) never block the call path's
        // writes in WAL mode; with a rollback journal an open grid would lock out recording.
        q.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        bool created = d.transaction();
        for (const QString &sql : schema::createStatements())
            created = created && q.exec(sql);
        if (!(created && d.commit())) {
            d.rollback();
            closeConnection(d, absolute);
            problem_ = Problem::NotWritable;
            return;
        }
        // The tables go into the file itself, where the next opening looks for them.
        q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }
    if (!isKolvaneDatabase(d) || (!fresh && !knownIntact(absolute) && !isIntact(d))) {
        problem_ = isKolvaneDatabase(d) ? Problem::Damaged : Problem::NotOurs;
        forgetIntact(absolute);
        q.finish();
        closeConnection(d, absolute);
        return;
    }
    rememberIntact(absolute);
    q.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    numberKeys_ = numberKeysInPlace(d) || giveNumberKeys(d);
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
    QSqlDatabase d = connectionNamed(connection_);
    const QString absolute = QFileInfo(path_).absoluteFilePath();
    if (d.isValid())
        closeConnection(d, absolute);
    // Our own writes (and the log written back on close) change the file, not its health.
    if (wasOpen)
        rememberIntact(absolute);
}

QSqlDatabase Database::sqlDatabase() const {
    return connectionNamed(connection_);
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
    case Database::Problem::None:
        break;
    }
    return QString();
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
    return q.prepare(QStringLiteral("VACUUM INTO :destination")) &&
           (q.bindValue(QStringLiteral(":destination"), destination), q.exec());
}

} // namespace db
