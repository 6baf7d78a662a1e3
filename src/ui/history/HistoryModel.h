#pragma once

#include <QAbstractTableModel>
#include <memory>

namespace db {
class HistoryList;
}

// The history list as the grid shows it: the columns of the history SELECT with their field
// names as headings, read-only, rows read a page at a time as they come into view, newest
// first or by a column (sort()).
//
// The grid holds a window of the list, WindowRows long, around the place in view (the grid
// keeps a record for each of its rows, 40 MB and a long wait for five million calls). A
// "row" is a row of the window; a "list row" is the call's place in the whole list. A list
// no longer than the window is the window, from its first row.
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
    // Where a call stands now in the list; -1 when it is gone.
    int listRowOfId(qint32 historyId) const;

    static constexpr int WindowRows = 2000;
    // A shorter window (for a test of the window over a short list).
    void setWindowRows(int rows);
    // Every call in the list.
    int listRowCount() const;
    // The list row of the window's first row.
    int windowStart() const { return start_; }
    // The row of a list row in the window; -1 outside it.
    int rowInWindow(int listRow) const;
    // Moves the window, when it must, so that the list rows [first, first + count) lie in it
    // with a quarter of the window to spare on each side where the list goes on. Rows
    // leaving the window leave the selection. True when it moved.
    bool holdInWindow(int first, int count);
    // Gives the connection back; the list is empty afterwards.
    void release();
    const db::HistoryList &list() const { return *list_; }

private:
    void moveWindow(int start);

    std::unique_ptr<db::HistoryList> list_;
    int windowRows_ = WindowRows;
    int start_ = 0;
};
