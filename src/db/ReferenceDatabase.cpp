#include "db/ReferenceDatabase.h"

#include <QAtomicInt>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVector>
#include <mdbtools.h>

struct ReferenceDatabase::Impl {
    Kind kind = Kind::None;
    MdbHandle *mdb = nullptr;
    QString connection;

    ~Impl() {
        if (mdb)
            mdb_close(mdb);
        if (!connection.isEmpty()) {
            QSqlDatabase::database(connection, false).close();
            QSqlDatabase::removeDatabase(connection);
        }
    }
    QSqlDatabase sql() const { return QSqlDatabase::database(connection, false); }
};

ReferenceDatabase::Kind ReferenceDatabase::detectKind(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
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

bool ReferenceDatabase::open(const QString &path) {
    close();
    const Kind kind = detectKind(path);
    auto impl = std::make_unique<Impl>();
    impl->kind = kind;
    if (kind == Kind::Access) {
        impl->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
        if (!impl->mdb || !mdb_read_catalog(impl->mdb, MDB_TABLE))
            return false;
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
            return false;
    } else {
        return false;
    }
    d = std::move(impl);
    return true;
}

bool ReferenceDatabase::isOpen() const {
    return d != nullptr;
}

void ReferenceDatabase::close() {
    d.reset();
}

QStringList ReferenceDatabase::tableNames() const {
    QStringList names;
    if (!d)
        return names;
    if (d->kind == Kind::Access) {
        for (unsigned i = 0; i < d->mdb->num_catalog; ++i) {
            auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(d->mdb->catalog, i));
            if (entry->object_type == MDB_TABLE)
                names << QString::fromUtf8(entry->object_name);
        }
        return names;
    }
    QSqlQuery q(d->sql());
    if (q.exec(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid")))
        while (q.next())
            names << q.value(0).toString();
    return names;
}

QStringList ReferenceDatabase::columnNames(const QString &table) const {
    QStringList names;
    if (!d)
        return names;
    if (d->kind == Kind::Access) {
        QByteArray name = table.toUtf8();
        MdbTableDef *t = mdb_read_table_by_name(d->mdb, name.data(), MDB_TABLE);
        if (!t)
            return names;
        if (mdb_read_columns(t))
            for (unsigned i = 0; i < t->num_cols; ++i)
                names << QString::fromUtf8(
                    static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i))->name);
        mdb_free_tabledef(t);
        return names;
    }
    const QSqlRecord record = d->sql().record(table);
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

std::optional<ReferenceRow>
ReferenceDatabase::lookup(const QString &table, const QString &phoneField, const QString &nameField,
                          const QString &addressField, const QString &zipField,
                          const QString &number) const {
    if (!d || table.isEmpty() || phoneField.isEmpty() || nameField.isEmpty())
        return std::nullopt;
    const QStringList columns = columnNames(table);
    for (const QString &c : {phoneField, nameField, addressField, zipField})
        if (!c.isEmpty() && !columns.contains(c))
            return std::nullopt;
    if (d->kind == Kind::Access) {
        QByteArray name = table.toUtf8();
        MdbTableDef *t = mdb_read_table_by_name(d->mdb, name.data(), MDB_TABLE);
        if (!t)
            return std::nullopt;
        std::optional<ReferenceRow> found;
        if (mdb_read_columns(t) && mdb_rewind_table(t) == 0) {
            // libmdb keeps one buffer per column, so a column named for two roles (phone and
            // address, say) is bound once and read for both.
            const QStringList wanted = {phoneField, nameField, addressField, zipField};
            QStringList distinct;
            for (const QString &c : wanted)
                if (!c.isEmpty() && !distinct.contains(c))
                    distinct << c;
            QVector<QByteArray> buffers(distinct.size(), QByteArray(MDB_BIND_SIZE, '\0'));
            QVector<int> lengths(distinct.size(), 0);
            bool bound = true;
            for (int i = 0; i < distinct.size(); ++i) {
                QByteArray column = distinct[i].toUtf8();
                bound = bound && mdb_bind_column_by_name(t, column.data(), buffers[i].data(),
                                                         &lengths[i]) >= 0;
            }
            const auto text = [&](int role) {
                const int i = int(distinct.indexOf(wanted[role]));
                return i < 0 ? QString() : QString::fromUtf8(buffers[i].constData(), lengths[i]);
            };
            while (bound && mdb_fetch_row(t)) {
                if (text(0) == number) {
                    found = ReferenceRow{text(1), text(2), text(3)};
                    break;
                }
            }
        }
        mdb_free_tabledef(t);
        return found;
    }
    const QSqlDatabase s = d->sql();
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
