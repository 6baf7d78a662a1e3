#pragma once

#include <QAbstractTableModel>
#include <memory>

namespace db {
class HistoryList;
}

// The history list as the grid shows it: the columns of the history SELECT with their field
// names as headings, read-only, rows read a page at a time as they come into view, newest
// first or by a column (sort()).
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The column of a field of the list; -1 when the list has none.
    static int ColumnOf(const QString &field);
    // Whether the list shows the column (the key and the postal code are only carried).
    static bool IsShown(int column);
    // Whether a click on the column's heading sorts by it.
    static bool IsSortable(int column);

    explicit HistoryModel(const QString &databasePath, QObject *parent = nullptr);
    ~HistoryModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Orders the list by the column (its key, in the database), or as recorded, newest first,
    // for column -1. A column that does not sort leaves the order as it is.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Reads the list again from the top (the count and the rows in view).
    void refresh();
    // The 履歴ID of a row; 0 when there is no such row.
    qint32 historyId(int row) const;
    // Where a call stands now; -1 when it is gone.
    int rowOfId(qint32 historyId) const;
    // Gives the connection back; the list is empty afterwards.
    void release();
    const db::HistoryList &list() const { return *list_; }

private:
    std::unique_ptr<db::HistoryList> list_;
};
