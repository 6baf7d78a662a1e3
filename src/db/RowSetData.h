#pragma once

// The rows behind a RowSet; shared by the row sets and the connection that opens them.

#include "db/Connection.h"

#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace db {

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

    QSqlDatabase database() const { return ConnectionNamed(connection); }

    std::optional<qint64> keyOf(const QString &sql, const QVariantMap &parameters = {}) const {
        QSqlQuery q(database());
        if (!RunSql(q, sql, parameters) || !q.next() || q.value(0).isNull())
            return std::nullopt;
        return q.value(0).toLongLong();
    }

    QString tableSql() const { return SqlIdentifier(database(), table); }
    QString keySql() const { return SqlIdentifier(database(), key); }

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
            if (!RunSql(
                    q, QStringLiteral("SELECT * FROM %1 WHERE %2 = :key").arg(tableSql(), keySql()),
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

} // namespace db
