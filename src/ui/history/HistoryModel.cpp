#include "ui/history/HistoryModel.h"

#include "db/History.h"
#include "db/Schema.h"

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
    return parent.isValid() ? 0 : list_->rowCount();
}

int HistoryModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(Columns().size());
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const db::HistoryRow *row = list_->row(index.row());
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
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void HistoryModel::refresh() {
    beginResetModel();
    list_->refresh();
    endResetModel();
}

qint32 HistoryModel::historyId(int row) const {
    const db::HistoryRow *r = list_->row(row);
    return r ? r->Id : 0;
}

int HistoryModel::rowOfId(qint32 historyId) const {
    return list_->rowOfId(historyId);
}

void HistoryModel::release() {
    beginResetModel();
    list_->release();
    endResetModel();
}
