#include "accessreader/AccessReader.h"

#include <QDataStream>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <mdbtools.h>
#include <optional>

namespace {

MdbHandle *OpenAccess(const QByteArray &path) {
    MdbHandle *mdb = mdb_open(path.constData(), MDB_NOFLAGS);
    if (mdb && !mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        return nullptr;
    }
    return mdb;
}

QStringList AccessTables(MdbHandle *mdb) {
    QStringList names;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE)
            names << QString::fromUtf8(entry->object_name);
    }
    return names;
}

QStringList AccessColumns(MdbHandle *mdb, const QString &table) {
    QStringList names;
    QByteArray name = table.toUtf8();
    MdbTableDef *t = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    if (!t)
        return names;
    if (mdb_read_columns(t))
        for (unsigned i = 0; i < t->num_cols; ++i)
            names << QString::fromUtf8(
                static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i))->name);
    mdb_free_tabledef(t);
    return names;
}

// Visits the rows of `table` with the columns `wanted` bound (phone, name, address, zip; an
// empty name is no column): `row` gets a reader of each role's bytes and says whether to go
// on. False when the table or its columns do not read.
bool AccessForEachRow(MdbHandle *mdb, const QString &table, const QStringList &wanted,
                      const std::function<bool(const std::function<QByteArray(int)> &)> &row) {
    QByteArray name = table.toUtf8();
    MdbTableDef *t = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    if (!t)
        return false;
    bool read = false;
    if (mdb_read_columns(t) && mdb_rewind_table(t) == 0) {
        // libmdb keeps one buffer per column, so a column named for two roles (phone and
        // address, say) is bound once and read for both.
        QStringList distinct;
        for (const QString &c : wanted)
            if (!c.isEmpty() && !distinct.contains(c))
                distinct << c;
        QVector<QByteArray> buffers(distinct.size(), QByteArray(MDB_BIND_SIZE, '\0'));
        QVector<int> lengths(distinct.size(), 0);
        bool bound = true;
        for (int i = 0; i < distinct.size(); ++i) {
            QByteArray column = distinct[i].toUtf8();
            bound = bound &&
                    mdb_bind_column_by_name(t, column.data(), buffers[i].data(), &lengths[i]) >= 0;
        }
        const std::function<QByteArray(int)> bytes = [&](int role) {
            const int i = int(distinct.indexOf(wanted[role]));
            // A length outside the buffer is the file's word, not the truth.
            const int length = i < 0 ? 0 : qBound(0, lengths[i], MDB_BIND_SIZE);
            return i < 0 ? QByteArray() : QByteArray(buffers[i].constData(), length);
        };
        read = bound;
        while (bound && mdb_fetch_row(t))
            if (!row(bytes))
                break;
    }
    mdb_free_tabledef(t);
    return read;
}

// The values of the row a lookup found, in the order the answer sends them.
struct FoundRow {
    QString name, address, zip;
};

std::optional<FoundRow> AccessLookup(MdbHandle *mdb, const QString &table,
                                     const QStringList &wanted, const QString &number) {
    std::optional<FoundRow> found;
    AccessForEachRow(mdb, table, wanted, [&](const std::function<QByteArray(int)> &bytes) {
        const auto text = [&](int role) { return QString::fromUtf8(bytes(role)); };
        if (text(0) != number)
            return true;
        found = FoundRow{text(1), text(2), text(3)};
        return false;
    });
    return found;
}

void AppendText(QByteArray &out, const QByteArray &text) {
    const quint32 size = quint32(text.size());
    out.append(reinterpret_cast<const char *>(&size), sizeof size);
    out.append(text);
}

// Opens the file, runs `work` on it and answers "opened" before the work's result.
template <typename Work> QByteArray WithFile(const QByteArray &path, Work work) {
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    MdbHandle *mdb = OpenAccess(path);
    stream << bool(mdb);
    if (mdb) {
        work(mdb, stream);
        mdb_close(mdb);
    }
    return out;
}

bool HasColumns(MdbHandle *mdb, const QString &table, const QStringList &wanted) {
    const QStringList columns = AccessColumns(mdb, table);
    for (const QString &c : wanted)
        if (!c.isEmpty() && !columns.contains(c))
            return false;
    return true;
}

QByteArray Rows(const QByteArray &path, const QString &table, const QStringList &wanted) {
    MdbHandle *mdb = OpenAccess(path);
    if (!mdb)
        return QByteArray(1, AccessReader::NotOpened);
    QByteArray out(1, AccessReader::RowsFollow);
    const bool read =
        HasColumns(mdb, table, wanted) &&
        AccessForEachRow(mdb, table, wanted, [&](const std::function<QByteArray(int)> &text) {
            for (int role = 0; role < 4; ++role)
                AppendText(out, text(role));
            return true;
        });
    mdb_close(mdb);
    return read ? out : QByteArray(1, AccessReader::NoSuchColumns);
}

} // namespace

namespace AccessReader {

QByteArray Answer(const QList<QByteArray> &request) {
    if (request.size() < 2)
        return QByteArray();
    const QByteArray &what = request[0];
    const QByteArray &path = request[1];
    const auto text = [&](int i) { return QString::fromUtf8(request.value(i)); };
    if (what == "tables" && request.size() == 2)
        return WithFile(path, [](MdbHandle *mdb, QDataStream &s) { s << AccessTables(mdb); });
    if (what == "columns" && request.size() == 3)
        return WithFile(path,
                        [&](MdbHandle *mdb, QDataStream &s) { s << AccessColumns(mdb, text(2)); });
    const QStringList wanted = {text(3), text(4), text(5), text(6)};
    if (what == "lookup" && request.size() == 8)
        return WithFile(path, [&](MdbHandle *mdb, QDataStream &s) {
            std::optional<FoundRow> row;
            if (HasColumns(mdb, text(2), wanted))
                row = AccessLookup(mdb, text(2), wanted, text(7));
            s << row.has_value();
            if (row)
                s << row->name << row->address << row->zip;
        });
    if (what == "rows" && request.size() == 7)
        return Rows(path, text(2), wanted);
    return QByteArray();
}

} // namespace AccessReader
