#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct ReferenceRow {
    QString name, address, zip;
};

// Where the reference phonebook's values are: the table and its phone, name, address and
// postal-code columns (address and postal code may be left empty).
struct ReferenceFields {
    QString table, phone, name, address, zip;
    bool operator==(const ReferenceFields &o) const {
        return table == o.table && phone == o.phone && name == o.name && address == o.address &&
               zip == o.zip;
    }
    bool operator!=(const ReferenceFields &o) const { return !(*this == o); }
};

// One row as read for the index: phone, name, address and postal code, as UTF-8 (empty for a
// column not named or a Null value).
using ReferenceRowSink = std::function<void(const QByteArray &phone, const QByteArray &name,
                                            const QByteArray &address, const QByteArray &zip)>;

// One row of an SQLite table as read for the index: its phone, as UTF-8, and its rowid.
using ReferenceKeySink = std::function<void(const QByteArray &phone, qint64 rowid)>;

// A row read back by its rowid: its phone as the file holds it, and its values.
struct ReferenceRowAt {
    QString phone;
    ReferenceRow row;
};

// The rows an Access file's reader sends back from its child process, as the parent reads them:
// four length-prefixed texts a row. False, with no row taken after the fault, when the bytes do
// not divide into whole rows.
bool DecodeReferenceRows(const QByteArray &bytes, const ReferenceRowSink &sink);

// An external phonebook chosen by the user, read only: an Access file (Jet 3, Jet 4,
// ACE) through libmdb or an SQLite file. Any fault (missing file, not a database, no such
// table or column) gives no rows rather than an error.
class ReferenceDatabase {
public:
    enum class Kind { None, Access, SQLite };
    static Kind detectKind(const QString &path);

    ReferenceDatabase();
    ~ReferenceDatabase();
    ReferenceDatabase(const ReferenceDatabase &) = delete;
    ReferenceDatabase &operator=(const ReferenceDatabase &) = delete;

    // `cancelled`, when given, ends the reading of an Access file's catalog early.
    bool open(const QString &path, const std::atomic<bool> *cancelled = nullptr);
    bool isOpen() const;
    void close();
    QStringList tableNames() const;
    QStringList columnNames(const QString &table) const;
    // The first row whose phone field equals number, compared as text.
    std::optional<ReferenceRow> lookup(const QString &table, const QString &phoneField,
                                       const QString &nameField, const QString &addressField,
                                       const QString &zipField, const QString &number) const;
    // Every row of the table, in the order lookup visits them, to `sink`. False, with `why`,
    // when the table or a named column is not there, the file does not read, or `cancelled`
    // was set. An Access file is read whole in one visit of the child process, which is given
    // `accessTimeoutMs`.
    bool readRows(const ReferenceFields &fields, const ReferenceRowSink &sink, int accessTimeoutMs,
                  const std::atomic<bool> *cancelled, QString *why) const;

    // Of an SQLite table with rowids: every row's phone and rowid, in the order lookup visits
    // them. False, with `why`, as readRows; a table without rowids (a view) answers false with
    // `*noRowids` set, and is read whole with readRows instead.
    bool readKeys(const ReferenceFields &fields, const ReferenceKeySink &sink,
                  const std::atomic<bool> *cancelled, QString *why, bool *noRowids) const;
    // The rows of an SQLite table at `rowids`, in that order; a rowid no longer there is left out.
    std::vector<ReferenceRowAt> rowsAt(const ReferenceFields &fields,
                                       const std::vector<qint64> &rowids) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};
