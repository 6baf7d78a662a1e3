#include "db/History.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace db {

namespace {

// A file that could not be given 迷惑理由 lists its calls without a reason.
QString ColumnsOf(const Database &d) {
    return QStringLiteral(
               "SELECT 日時, 時間, 電番, 氏名, 住所, メモ, 履歴ID, 郵便番号, %1 FROM 着信履歴 ")
        .arg(d.hasNuisanceMarks() ? QStringLiteral("迷惑理由") : QStringLiteral("NULL"));
}

HistoryRow ReadRow(const QSqlQuery &q) {
    HistoryRow r;
    r.Date = q.value(0).toString();
    r.Time = q.value(1).toString();
    r.Number = q.value(2).toString();
    r.Name = q.value(3).toString();
    r.Address = q.value(4).toString();
    r.Memo = q.value(5).toString();
    r.Id = q.value(6).toInt();
    r.Zip = q.value(7).toString();
    r.NuisanceReason = q.value(8).toString();
    return r;
}

} // namespace

QString HistoryRow::column(int c) const {
    switch (c) {
    case 0:
        return Date;
    case 1:
        return Time;
    case 2:
        return Number;
    case 3:
        return Name;
    case 4:
        return Address;
    case 5:
        return Memo;
    case 6:
        return QString::number(Id);
    case 7:
        return Zip;
    case 8:
        return NuisanceReason;
    default:
        return QString();
    }
}

HistoryList::HistoryList(const QString &databasePath)
    : db_(std::make_unique<Database>(databasePath)) {
    refresh();
}

HistoryList::~HistoryList() = default;

bool HistoryList::isOpen() const {
    return db_ && db_->isOpen();
}

void HistoryList::refresh() {
    pages_.clear();
    firstIds_.clear();
    lastIds_.clear();
    count_ = 0;
    if (!isOpen())
        return;
    QSqlQuery q(db_->sqlDatabase());
    q.setForwardOnly(true);
    // The count the file keeps costs one row; only a file without it is counted through.
    if (q.exec(db_->hasHistoryCount() ? schema::historyCountSql()
                                      : QStringLiteral("SELECT COUNT(*) FROM 着信履歴")) &&
        q.next())
        count_ = std::max(0, q.value(0).toInt());
}

const HistoryRow *HistoryList::row(int index) {
    if (index < 0 || index >= count_)
        return nullptr;
    const int page = index / PageRows;
    auto it = pages_.find(page);
    if (it == pages_.end()) {
        if (!fetchPage(page))
            return nullptr;
        it = pages_.find(page);
    }
    it->second.used = ++clock_;
    const int at = index % PageRows;
    return at < it->second.rows.size() ? &it->second.rows[at] : nullptr;
}

// How a page is read: the SQL text, the key it starts after (none from the top or the
// bottom), its direction and the rows skipped.
struct HistoryList::PageRoute {
    QString sql;
    QVariant key;
    bool ascending = false;
    qint64 skip = 0;
};

// A page is reached from the nearest point whose key is known (the top, the bottom, or a page
// read before), skipping as few rows as possible; a neighbour of a page read is one key step.
HistoryList::PageRoute HistoryList::routeToPage(int page, int first, int rows) const {
    PageRoute route;
    route.skip = first; // from the top, newest first
    route.sql = ColumnsOf(*db_) + QStringLiteral("ORDER BY 履歴ID DESC LIMIT :rows OFFSET :skip");
    // From the bottom, oldest first.
    const qint64 fromBottom = count_ - (first + rows);
    if (fromBottom < route.skip) {
        route.skip = fromBottom;
        route.ascending = true;
        route.sql =
            ColumnsOf(*db_) + QStringLiteral("ORDER BY 履歴ID ASC LIMIT :rows OFFSET :skip");
    }
    // From the nearest page read above this one (newer calls).
    if (auto above = lastIds_.lower_bound(page); above != lastIds_.begin()) {
        --above;
        const qint64 distance = qint64(page - above->first - 1) * PageRows;
        if (distance < route.skip) {
            route.skip = distance;
            route.ascending = false;
            route.key = above->second;
            route.sql = ColumnsOf(*db_) + QStringLiteral("WHERE 履歴ID < :key ORDER BY 履歴ID DESC "
                                                         "LIMIT :rows OFFSET :skip");
        }
    }
    // From the nearest page read below this one (older calls).
    if (auto below = firstIds_.upper_bound(page); below != firstIds_.end()) {
        const int belowFirst = below->first * PageRows;
        const qint64 distance = belowFirst - (first + rows);
        if (distance < route.skip) {
            route.skip = distance;
            route.ascending = true;
            route.key = below->second;
            route.sql = ColumnsOf(*db_) + QStringLiteral("WHERE 履歴ID > :key ORDER BY 履歴ID ASC "
                                                         "LIMIT :rows OFFSET :skip");
        }
    }
    return route;
}

bool HistoryList::fetchPage(int page) {
    if (!isOpen())
        return false;
    const int first = page * PageRows;
    const int rows = std::min(PageRows, count_ - first);
    if (rows <= 0)
        return false;
    const PageRoute route = routeToPage(page, first, rows);
    QVector<HistoryRow> read;
    read.reserve(rows);
    {
        QSqlQuery q(db_->sqlDatabase());
        q.setForwardOnly(true);
        if (!q.prepare(route.sql))
            return false;
        if (route.key.isValid())
            q.bindValue(QStringLiteral(":key"), route.key);
        q.bindValue(QStringLiteral(":rows"), rows);
        q.bindValue(QStringLiteral(":skip"), route.skip);
        if (!q.exec())
            return false;
        while (q.next())
            read.push_back(ReadRow(q));
    }
    if (route.ascending)
        std::reverse(read.begin(), read.end());
    if (read.isEmpty())
        return false;
    if (int(pages_.size()) >= KeptPages)
        forgetOldestPage();
    firstIds_[page] = read.front().Id;
    lastIds_[page] = read.back().Id;
    pages_[page] = Page{std::move(read), ++clock_};
    return true;
}

void HistoryList::forgetOldestPage() {
    auto oldest = std::min_element(pages_.begin(), pages_.end(), [](const auto &a, const auto &b) {
        return a.second.used < b.second.used;
    });
    if (oldest != pages_.end())
        pages_.erase(oldest);
}

int HistoryList::rowOfId(qint32 historyId) {
    if (!isOpen())
        return -1;
    QSqlQuery q(db_->sqlDatabase());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT (SELECT COUNT(*) FROM 着信履歴 WHERE 履歴ID > :id), "
                             "EXISTS (SELECT 1 FROM 着信履歴 WHERE 履歴ID = :id)"));
    q.bindValue(QStringLiteral(":id"), historyId);
    if (!q.exec() || !q.next() || !q.value(1).toBool())
        return -1;
    const int index = q.value(0).toInt();
    return index < count_ ? index : -1;
}

void HistoryList::release() {
    pages_.clear();
    firstIds_.clear();
    lastIds_.clear();
    count_ = 0;
    db_.reset();
}

std::optional<CallMemo> ReadCallMemo(const Database &database, qint32 historyId) {
    Query query = database.storedQuery(QStringLiteral("Q_履歴メモ"));
    query.setParameter(QStringLiteral("MemoID"), historyId);
    RowSet rows = query.openRows();
    if (rows.isEmpty())
        return std::nullopt;
    CallMemo memo;
    memo.Date = rows.field(QStringLiteral("日時")).toString();
    memo.Time = rows.field(QStringLiteral("時間")).toString();
    memo.Number = rows.field(QStringLiteral("電番")).toString();
    memo.Name = rows.field(QStringLiteral("氏名")).toString();
    memo.Memo = rows.field(QStringLiteral("メモ")).toString();
    return memo;
}

bool WriteCallMemo(const Database &database, qint32 historyId, const QString &memo) {
    Query query = database.storedQuery(QStringLiteral("Q_履歴メモ"));
    query.setParameter(QStringLiteral("MemoID"), historyId);
    RowSet rows = query.openRows();
    if (rows.isEmpty() || !rows.edit())
        return false;
    // Saved text is never Null: an emptied memo is an empty memo.
    rows.setField(QStringLiteral("メモ"), memo.isNull() ? QString(QLatin1String("")) : memo);
    return rows.update();
}

bool DeleteHistoryRow(const Database &database, qint32 historyId) {
    RowSet rows = database.openTable(QStringLiteral("着信履歴"));
    if (!rows.findFirst(QStringLiteral("履歴ID=%1").arg(historyId)))
        return false;
    return rows.deleteRow();
}

bool DeleteAllHistory(const Database &database) {
    return database.storedQuery(QStringLiteral("Q_履歴削除")).execute();
}

} // namespace db
