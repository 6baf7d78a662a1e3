#pragma once

#include <QAbstractTableModel>
#include <memory>

namespace db {
class HistoryList;
}

// The history list as the grid shows it: the nine columns of the history SELECT with their
// field names as headings, read-only, rows read a page at a time as they come into view.
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int IdColumn = 6;
    static constexpr int ZipColumn = 7;
    static constexpr int MemoColumn = 5;
    // Why the call was taken for a nuisance; empty for most calls.
    static constexpr int NuisanceColumn = 8;
    static constexpr int ColumnCount = 9;

    explicit HistoryModel(const QString &databasePath, QObject *parent = nullptr);
    ~HistoryModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

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
