#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

namespace db {

// Rows of a stored query, read into memory on open; positioned on the first row.
class RowSet {
public:
    RowSet() = default;
    RowSet(QStringList fields, QVector<QVector<QVariant>> rows);

    bool isEmpty() const { return rows_.isEmpty(); }
    int recordCount() const { return int(rows_.size()); }
    bool bof() const { return pos_ < 0; }
    bool eof() const { return pos_ >= int(rows_.size()); }
    void moveFirst() { pos_ = rows_.isEmpty() ? 0 : 0; }
    void moveLast() { pos_ = int(rows_.size()) - 1; }
    void moveNext();
    void movePrevious();
    // Null when there is no current row or no such field.
    QVariant field(const QString &name) const;

private:
    QStringList fields_;
    QVector<QVector<QVariant>> rows_;
    int pos_ = 0;
};

class Database;

class Query {
public:
    void setParameter(const QString &name, const QVariant &value);
    RowSet openRows();
    bool execute();

private:
    friend class Database;
    Query(QString connection, QString sql) : connection_(connection), sql_(sql) {}
    QString connection_;
    QString sql_;
    QVariantMap parameters_;
};

// One connection to Kolvane.mdb, closed and released on destruction. A missing file is
// created with the schema; a file that is not a Kolvane database is never written.
class Database {
public:
    explicit Database(const QString &path);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    bool isOpen() const { return open_; }
    Query storedQuery(const QString &name) const;

private:
    QString connection_;
    bool open_ = false;
};

} // namespace db
