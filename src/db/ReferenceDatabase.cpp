#include "db/ReferenceDatabase.h"

#include "accessreader/AccessReader.h"
#include "platform/DiagnosticLog.h"
#include "platform/Isolated.h"
#include "platform/RegularFile.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVector>
#include <algorithm>
#include <cstring>

namespace {

// Every read of an Access file is one run of the Access reader (accessreader/AccessReader.h): a
// crash or a hang there costs that one answer. A lookup in a sound file takes milliseconds.
constexpr int kAccessTimeoutMs = 5000;

// The first check, before libmdb sees the file: the page size its header names (2048 for
// Jet 3, 4096 for Jet 4 and ACE), a whole number of pages, and at least the pages up to the
// catalog (page 2).
bool PlausibleAccessFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(0x20);
    if (head.size() < 0x15)
        return false;
    const int pageSize = head.at(0x14) == 0 ? 2048 : 4096;
    return f.size() >= 3 * pageSize && f.size() % pageSize == 0;
}

// Where the Access reader is: beside the program (a build folder, or a program moved with its
// files), in the libexec folder of an installed one, or where this build made it (the tests).
QByteArray AccessReaderProgram() {
    QStringList places;
    if (QCoreApplication::instance()) {
        const QString folder = QCoreApplication::applicationDirPath();
        places << folder + QLatin1Char('/') + QLatin1String(AccessReader::ProgramName)
               << folder + QStringLiteral("/../libexec/kolvane/") +
                      QLatin1String(AccessReader::ProgramName);
    }
    places << QStringLiteral(KOLVANE_ACCESS_READER_INSTALLED)
           << QStringLiteral(KOLVANE_ACCESS_READER_BUILT);
    for (const QString &place : places)
        if (QFileInfo(place).isExecutable())
            return QFile::encodeName(QFileInfo(place).absoluteFilePath());
    return QByteArray();
}

// Asks the Access reader one request (accessreader/AccessReader.h) on the file `path`.
std::optional<QByteArray> AskAccessReader(const QByteArray &what, const QByteArray &path,
                                          const QStringList &arguments, int timeoutMs, QString *why,
                                          const std::atomic<bool> *cancelled) {
    const QByteArray program = AccessReaderProgram();
    if (program.isEmpty()) {
        if (why)
            *why =
                QStringLiteral("%1 is not installed").arg(QLatin1String(AccessReader::ProgramName));
        return std::nullopt;
    }
    QList<QByteArray> request = {what, path};
    for (const QString &a : arguments)
        request << a.toUtf8();
    return RunIsolatedProgram(program, request, timeoutMs, why, cancelled);
}

// A request answered in QDataStream's form: "opened", then the result. False when the file
// could not be opened or the reader failed.
template <typename Result>
bool InAccessFile(const QByteArray &what, const QByteArray &path, const QStringList &arguments,
                  Result &result, QString *why, const std::atomic<bool> *cancelled = nullptr) {
    const std::optional<QByteArray> bytes =
        AskAccessReader(what, path, arguments, kAccessTimeoutMs, why, cancelled);
    if (!bytes)
        return false;
    QDataStream stream(*bytes);
    bool opened = false;
    stream >> opened;
    if (!opened) {
        if (why)
            *why = QStringLiteral("not a readable Access file");
        return false;
    }
    stream >> result;
    if (stream.status() != QDataStream::Ok) {
        if (why)
            *why = QStringLiteral("an answer that does not read");
        return false;
    }
    return true;
}

// Whether every column named (an empty name is a column not chosen) is one of `columns`.
bool HasColumns(const QStringList &columns, const QStringList &named) {
    return std::all_of(named.begin(), named.end(),
                       [&](const QString &c) { return c.isEmpty() || columns.contains(c); });
}

// The columns a row is read back with: the phone as text, the name, the address, the postal
// code (NULL for a column not named).
QStringList SelectedColumns(const QSqlDatabase &s, const ReferenceFields &fields) {
    const auto id = [&](const QString &n) {
        return s.driver()->escapeIdentifier(n, QSqlDriver::FieldName);
    };
    QStringList select = {QStringLiteral("CAST(%1 AS TEXT)").arg(id(fields.phone)),
                          id(fields.name)};
    select << (fields.address.isEmpty() ? QStringLiteral("NULL") : id(fields.address));
    select << (fields.zip.isEmpty() ? QStringLiteral("NULL") : id(fields.zip));
    return select;
}

} // namespace

bool DecodeReferenceRows(const QByteArray &bytes, const ReferenceRowSink &sink) {
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    QByteArray fields[4];
    while (p != end) {
        for (QByteArray &field : fields) {
            quint32 size = 0;
            if (end - p < qsizetype(sizeof size))
                return false;
            std::memcpy(&size, p, sizeof size);
            p += sizeof size;
            if (quint64(end - p) < size)
                return false;
            field = QByteArray(p, qsizetype(size));
            p += size;
        }
        sink(fields[0], fields[1], fields[2], fields[3]);
    }
    return true;
}

QDataStream &operator<<(QDataStream &s, const std::optional<ReferenceRow> &row) {
    s << row.has_value();
    if (row)
        s << row->name << row->address << row->zip;
    return s;
}

QDataStream &operator>>(QDataStream &s, std::optional<ReferenceRow> &row) {
    bool has = false;
    s >> has;
    row.reset();
    if (has) {
        ReferenceRow r;
        s >> r.name >> r.address >> r.zip;
        row = r;
    }
    return s;
}

struct ReferenceDatabase::Impl {
    Kind kind = Kind::None;
    QByteArray accessPath;    // the Access file, as libmdb is given it
    QStringList accessTables; // read once at open
    QString connection;

    ~Impl() {
        if (!connection.isEmpty()) {
            QSqlDatabase::database(connection, false).close();
            QSqlDatabase::removeDatabase(connection);
        }
    }
    QSqlDatabase sql() const { return QSqlDatabase::database(connection, false); }
};

ReferenceDatabase::Kind ReferenceDatabase::detectKind(const QString &path) {
    // Only a regular file: a FIFO under the name would hold the call path in open().
    QFile f;
    if (!OpenRegularFile(f, path))
        return Kind::None;
    const QByteArray head = f.read(32);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return Kind::SQLite;
    // Both signatures are 15 characters at offset 4: Jet 3 and Jet 4 files say "Jet", files
    // of Access 2007 and later say "ACE".
    const QByteArray signature = head.mid(4, 15);
    if (signature == "Standard Jet DB" || signature == "Standard ACE DB")
        return Kind::Access;
    return Kind::None;
}

ReferenceDatabase::ReferenceDatabase() = default;
ReferenceDatabase::~ReferenceDatabase() = default;

bool ReferenceDatabase::open(const QString &path, const std::atomic<bool> *cancelled) {
    close();
    const Kind kind = detectKind(path);
    const auto unreadable = [&](const QString &why) {
        DiagnosticLog::failure(QStringLiteral("reference phonebook unreadable"),
                               path + QLatin1String(": ") + why);
        return false;
    };
    auto impl = std::make_unique<Impl>();
    impl->kind = kind;
    if (kind == Kind::Access) {
        if (!PlausibleAccessFile(path))
            return unreadable(QStringLiteral("a damaged Access file (its size does not match "
                                             "its pages)"));
        impl->accessPath = QFile::encodeName(path);
        QString why;
        if (!InAccessFile<QStringList>("tables", impl->accessPath, {}, impl->accessTables, &why,
                                       cancelled))
            return unreadable(QStringLiteral("the Access reader: ") + why);
    } else if (kind == Kind::SQLite) {
        static QAtomicInt counter;
        impl->connection = QStringLiteral("kolvane-ref-%1").arg(counter.fetchAndAddRelaxed(1));
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), impl->connection);
        QUrl url = QUrl::fromLocalFile(path);
        url.setQuery(QStringLiteral("mode=ro"));
        s.setDatabaseName(url.toString(QUrl::FullyEncoded));
        s.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=1000"));
        if (!s.open())
            return unreadable(s.lastError().text());
    } else {
        return unreadable(QFileInfo::exists(path) ? QStringLiteral("neither Access nor SQLite")
                                                  : QStringLiteral("no such file"));
    }
    d_ = std::move(impl);
    return true;
}

bool ReferenceDatabase::isOpen() const {
    return d_ != nullptr;
}

void ReferenceDatabase::close() {
    d_.reset();
}

QStringList ReferenceDatabase::tableNames() const {
    QStringList names;
    if (!d_)
        return names;
    if (d_->kind == Kind::Access)
        return d_->accessTables;
    QSqlQuery q(d_->sql());
    if (q.exec(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid")))
        while (q.next())
            names << q.value(0).toString();
    return names;
}

QStringList ReferenceDatabase::columnNames(const QString &table) const {
    QStringList names;
    if (!d_)
        return names;
    if (d_->kind == Kind::Access) {
        QString why;
        if (!InAccessFile<QStringList>("columns", d_->accessPath, {table}, names, &why))
            DiagnosticLog::failure(QStringLiteral("reference phonebook unreadable"),
                                   QString::fromLocal8Bit(d_->accessPath) +
                                       QLatin1String(": the Access reader: ") + why);
        return names;
    }
    const QSqlRecord record = d_->sql().record(table);
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

std::optional<ReferenceRow>
ReferenceDatabase::lookup(const QString &table, const QString &phoneField, const QString &nameField,
                          const QString &addressField, const QString &zipField,
                          const QString &number) const {
    if (!d_ || table.isEmpty() || phoneField.isEmpty() || nameField.isEmpty())
        return std::nullopt;
    const QStringList wanted = {phoneField, nameField, addressField, zipField};
    if (d_->kind == Kind::Access) {
        // The columns are checked and the rows read in one visit of the child process.
        std::optional<ReferenceRow> found;
        QString why;
        const bool ok = InAccessFile<std::optional<ReferenceRow>>(
            "lookup", d_->accessPath, QStringList{table} + wanted + QStringList{number}, found,
            &why);
        if (!ok)
            DiagnosticLog::failure(QStringLiteral("reference phonebook unreadable"),
                                   QString::fromLocal8Bit(d_->accessPath) +
                                       QLatin1String(": the Access reader: ") + why);
        return found;
    }
    if (!HasColumns(columnNames(table), wanted))
        return std::nullopt;
    const QSqlDatabase s = d_->sql();
    const auto id = [&](const QString &n) {
        return s.driver()->escapeIdentifier(n, QSqlDriver::FieldName);
    };
    QStringList select = {id(nameField)};
    select << (addressField.isEmpty() ? QStringLiteral("NULL") : id(addressField));
    select << (zipField.isEmpty() ? QStringLiteral("NULL") : id(zipField));
    QSqlQuery q(s);
    q.setForwardOnly(true);
    // CAST: a phone column of numbers still compares as text with the received number.
    if (!q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE CAST(%3 AS TEXT) = :number LIMIT 1")
                       .arg(select.join(QStringLiteral(", ")),
                            s.driver()->escapeIdentifier(table, QSqlDriver::TableName),
                            id(phoneField))))
        return std::nullopt;
    q.bindValue(QStringLiteral(":number"), number);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return ReferenceRow{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
}

bool ReferenceDatabase::readRows(const ReferenceFields &fields, const ReferenceRowSink &sink,
                                 int accessTimeoutMs, const std::atomic<bool> *cancelled,
                                 QString *why) const {
    const auto fail = [&](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (!d_)
        return fail(QStringLiteral("not open"));
    if (fields.table.isEmpty() || fields.phone.isEmpty() || fields.name.isEmpty())
        return fail(QStringLiteral("no table, phone or name column chosen"));
    const QStringList wanted = {fields.phone, fields.name, fields.address, fields.zip};
    if (d_->kind == Kind::Access) {
        const std::optional<QByteArray> bytes =
            AskAccessReader("rows", d_->accessPath, QStringList{fields.table} + wanted,
                            accessTimeoutMs, why, cancelled);
        if (!bytes)
            return false;
        if (bytes->isEmpty() || bytes->at(0) == AccessReader::NotOpened)
            return fail(QStringLiteral("not a readable Access file"));
        if (bytes->at(0) == AccessReader::NoSuchColumns)
            return fail(QStringLiteral("no such table or column"));
        if (!DecodeReferenceRows(QByteArray::fromRawData(bytes->constData() + 1, bytes->size() - 1),
                                 sink))
            return fail(QStringLiteral("an answer that does not read"));
        return true;
    }
    if (!HasColumns(columnNames(fields.table), wanted))
        return fail(QStringLiteral("no such table or column"));
    const QSqlDatabase s = d_->sql();
    // As lookup reads them: the phone as text, the rows in the table's own order.
    const QStringList select = SelectedColumns(s, fields);
    QSqlQuery q(s);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2")
                    .arg(select.join(QStringLiteral(", ")),
                         s.driver()->escapeIdentifier(fields.table, QSqlDriver::TableName))))
        return fail(q.lastError().text());
    while (q.next()) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return fail(QStringLiteral("cancelled"));
        sink(q.value(0).toString().toUtf8(), q.value(1).toString().toUtf8(),
             q.value(2).toString().toUtf8(), q.value(3).toString().toUtf8());
    }
    if (q.lastError().isValid())
        return fail(q.lastError().text());
    return true;
}

bool ReferenceDatabase::readKeys(const ReferenceFields &fields, const ReferenceKeySink &sink,
                                 const std::atomic<bool> *cancelled, QString *why,
                                 bool *noRowids) const {
    *noRowids = false;
    const auto fail = [&](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (!d_ || d_->kind != Kind::SQLite) {
        *noRowids = true;
        return fail(QStringLiteral("not an SQLite file"));
    }
    const QStringList columns = columnNames(fields.table);
    if (!HasColumns(columns, {fields.phone, fields.name, fields.address, fields.zip}))
        return fail(QStringLiteral("no such table or column"));
    const QSqlDatabase s = d_->sql();
    QSqlQuery q(s);
    q.setForwardOnly(true);
    // "_rowid_" is the rowid unless a column took the name; a view or a table without rowids
    // has none, and a column so named is not the rowid: both are read whole instead.
    if (columns.contains(QStringLiteral("_rowid_"), Qt::CaseInsensitive) ||
        !q.exec(QStringLiteral("SELECT CAST(%1 AS TEXT), _rowid_ FROM %2")
                    .arg(s.driver()->escapeIdentifier(fields.phone, QSqlDriver::FieldName),
                         s.driver()->escapeIdentifier(fields.table, QSqlDriver::TableName)))) {
        *noRowids = true;
        return fail(QStringLiteral("no rowids"));
    }
    while (q.next()) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return fail(QStringLiteral("cancelled"));
        const QVariant rowid = q.value(1);
        if (rowid.isNull()) {
            *noRowids = true;
            return fail(QStringLiteral("no rowids"));
        }
        sink(q.value(0).toString().toUtf8(), rowid.toLongLong());
    }
    if (q.lastError().isValid())
        return fail(q.lastError().text());
    return true;
}

std::vector<ReferenceRowAt> ReferenceDatabase::rowsAt(const ReferenceFields &fields,
                                                      const std::vector<qint64> &rowids) const {
    std::vector<ReferenceRowAt> rows;
    if (!d_ || d_->kind != Kind::SQLite || rowids.empty())
        return rows;
    const QSqlDatabase s = d_->sql();
    QSqlQuery q(s);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = :rowid")
                       .arg(SelectedColumns(s, fields).join(QStringLiteral(", ")),
                            s.driver()->escapeIdentifier(fields.table, QSqlDriver::TableName))))
        return rows;
    for (const qint64 rowid : rowids) {
        q.bindValue(QStringLiteral(":rowid"), rowid);
        if (q.exec() && q.next())
            rows.push_back(ReferenceRowAt{
                q.value(0).toString(),
                ReferenceRow{q.value(1).toString(), q.value(2).toString(), q.value(3).toString()}});
        q.finish();
    }
    return rows;
}
