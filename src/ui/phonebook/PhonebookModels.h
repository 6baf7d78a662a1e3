#pragma once

#include <QSqlQueryModel>

namespace db {
class Database;
}

// MSFlexGrid2's rows: one entry's calls, newest first, the date above the time in one cell.
class HistoryOfEntryModel : public QSqlQueryModel {
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    // The calls whose 着信者ID is entryId (-1 lists none).
    void setEntry(const db::Database &database, qint32 entryId);
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

// MSFlexGrid1's rows: every entry, or the entries of one index letter.
class EntryListModel : public QSqlQueryModel {
    Q_OBJECT
public:
    using QSqlQueryModel::QSqlQueryModel;
    void showAll(const db::Database &database);
    void showLetter(const db::Database &database, const QString &letter);
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The number value of the ID in line `row` (0 when the line holds none).
    qint32 idOfLine(int row) const;
};
