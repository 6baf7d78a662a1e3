#include "ui/history/HistoryModel.h"

#include "db/History.h"

namespace {
const char *const Headings[] = {"日時", "時間",   "電番",     "氏名",    "住所",
                                "メモ", "履歴ID", "郵便番号", "迷惑理由"};
}

HistoryModel::HistoryModel(const QString &databasePath, QObject *parent)
    : QAbstractTableModel(parent), list_(std::make_unique<db::HistoryList>(databasePath)) {}

HistoryModel::~HistoryModel() = default;

int HistoryModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : list_->rowCount();
}

int HistoryModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
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
        return index.column() == 4 || index.column() == MemoColumn ? QVariant(text) : QVariant();
    return text;
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= ColumnCount)
        return QVariant();
    return QString::fromUtf8(Headings[section]);
}

Qt::ItemFlags HistoryModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
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
