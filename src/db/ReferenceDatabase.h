#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct ReferenceRow {
    QString name, address, zip;
};

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

    bool open(const QString &path);
    bool isOpen() const;
    void close();
    QStringList tableNames() const;
    QStringList columnNames(const QString &table) const;
    // The first row whose phone field equals number, compared as text.
    std::optional<ReferenceRow> lookup(const QString &table, const QString &phoneField,
                                       const QString &nameField, const QString &addressField,
                                       const QString &zipField, const QString &number) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
