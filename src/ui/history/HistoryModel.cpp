#include "ui/history/HistoryModel.h"

#include "db/History.h"
#include "db/Schema.h"

#include <algorithm>

namespace {

const QList<db::schema::HistoryListColumn> &Columns() {
    return db::schema::historyListColumns();
}

bool IsColumn(int column) {
    return column >= 0 && column < Columns().size();
}

} // namespace

int HistoryModel::ColumnOf(const QString &field) {
    for (int c = 0; c < Columns().size(); ++c)
        if (Columns()[c].field == field)
            return c;
    return -1;
}

bool HistoryModel::IsShown(int column) {
    return IsColumn(column) && Columns()[column].shown;
}

bool HistoryModel::IsSortable(int column) {
    return IsColumn(column) && !Columns()[column].sortKey.isEmpty();
}

HistoryModel::HistoryModel(const QString &databasePath, QObject *parent)
    : QAbstractTableModel(parent), list_(std::make_unique<db::HistoryList>(databasePath)) {}

HistoryModel::~HistoryModel() = default;

int HistoryModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : std::min(windowRows_, list_->rowCount() - start_);
}

int HistoryModel::listRowCount() const {
    return list_->rowCount();
}

void HistoryModel::setWindowRows(int rows) {
    beginResetModel();
    windowRows_ = std::max(1, rows);
    start_ = 0;
    endResetModel();
}

int HistoryModel::rowInWindow(int listRow) const {
    const int row = listRow - start_;
    return row >= 0 && row < rowCount() ? row : -1;
}

bool HistoryModel::holdInWindow(int first, int count) {
    const int total = list_->rowCount();
    if (total <= windowRows_)
        return false;
    const int spare = windowRows_ / 4;
    const int end = start_ + windowRows_;
    const bool roomAbove = start_ == 0 || first - start_ >= spare;
    const bool roomBelow = end >= total || end - (first + count) >= spare;
    if (roomAbove && roomBelow)
        return false;
    const int to = std::clamp(first + count / 2 - windowRows_ / 2, 0, total - windowRows_);
    if (to == start_)
        return false;
    moveWindow(to);
    return true;
}

// The window's rows stay as many: the grid keeps its rows and moves what it holds (the current
// row, the selection) with the calls, or lets it go when the call leaves the window.
void HistoryModel::moveWindow(int start) {
    emit layoutAboutToBeChanged();
    const QModelIndexList held = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(held.size());
    for (const QModelIndex &index : held) {
        const int row = index.row() + start_ - start;
        moved << (row >= 0 && row < rowCount() ? createIndex(row, index.column()) : QModelIndex());
    }
    changePersistentIndexList(held, moved);
    start_ = start;
    emit layoutChanged();
}

int HistoryModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(Columns().size());
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const db::HistoryRow *row = list_->row(start_ + index.row());
    if (!row)
        return QVariant();
    const QString text = row->column(index.column());
    // The whole of a long address or memo, with its line breaks, when the pointer rests on it.
    if (role == Qt::ToolTipRole)
        return index.column() == ColumnOf(QStringLiteral("住所")) ||
                       index.column() == ColumnOf(QStringLiteral("メモ"))
                   ? QVariant(text)
                   : QVariant();
    return text;
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !IsColumn(section))
        return QVariant();
    if (role == Qt::DisplayRole)
        return Columns()[section].field;
    // A heading clicked first sorts from the smallest up.
    if (role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return QVariant();
}

Qt::ItemFlags HistoryModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void HistoryModel::sort(int column, Qt::SortOrder order) {
    if (column != db::HistoryList::RecordedOrder && !IsSortable(column))
        return;
    // The same rows in another order: the headings keep their widths.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    list_->setOrder(column, order == Qt::AscendingOrder);
    start_ = 0;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void HistoryModel::refresh() {
    beginResetModel();
    list_->refresh();
    start_ = std::clamp(start_, 0, std::max(0, list_->rowCount() - windowRows_));
    endResetModel();
}

qint32 HistoryModel::historyId(int row) const {
    const db::HistoryRow *r = row >= 0 && row < rowCount() ? list_->row(start_ + row) : nullptr;
    return r ? r->Id : 0;
}

int HistoryModel::listRowOfId(qint32 historyId) const {
    return list_->rowOfId(historyId);
}

void HistoryModel::release() {
    beginResetModel();
    list_->release();
    start_ = 0;
    endResetModel();
}
