#include "db/History.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace db {

namespace {

const QList<schema::HistoryListColumn> &ListColumns() {
    return schema::historyListColumns();
}

int IdColumn() {
    static const int column = [] {
        for (int c = 0; c < ListColumns().size(); ++c)
            if (ListColumns()[c].field == QStringLiteral("履歴ID"))
                return c;
        return -1;
    }();
    return column;
}

HistoryRow ReadRow(const QSqlQuery &q) {
    HistoryRow r;
    const int n = int(ListColumns().size());
    r.columns.resize(n);
    for (int c = 0; c < n; ++c)
        r.columns[c] = q.value(c).toString();
    r.Id = q.value(IdColumn()).toInt();
    return r;
}

// A statement with its values bound by name, run; false when it could not be.
bool Run(QSqlQuery &q, const QString &sql, const QVariantMap &values) {
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return false;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        q.bindValue(it.key(), it.value());
    return q.exec();
}

} // namespace

HistoryList::HistoryList(const QString &databasePath)
    : db_(std::make_unique<Database>(databasePath)) {
    setOrder(RecordedOrder, false);
    refresh();
}

HistoryList::~HistoryList() = default;

bool HistoryList::isOpen() const {
    return db_ && db_->isOpen();
}

void HistoryList::forgetPages() {
    pages_.clear();
    firstMarks_.clear();
    lastMarks_.clear();
}

void HistoryList::refresh() {
    forgetPages();
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

bool HistoryList::setOrder(int column, bool ascending) {
    QString key;
    if (column != RecordedOrder) {
        if (column < 0 || column >= ListColumns().size() || ListColumns()[column].sortKey.isEmpty())
            return false;
        key = ListColumns()[column].sortKey;
    }
    orderColumn_ = column;
    ascending_ = ascending;
    key_ = key;
    QStringList fields;
    for (const schema::HistoryListColumn &c : ListColumns())
        // A file that could not be given 迷惑理由 (read-only) lists its calls without a reason.
        fields << (c.field == QStringLiteral("迷惑理由") && !db_->hasNuisanceMarks()
                       ? QStringLiteral("NULL AS 迷惑理由")
                       : c.field);
    if (!key_.isEmpty())
        fields << key_ + QStringLiteral(" AS 並びキー");
    select_ = QStringLiteral("SELECT %1 FROM 着信履歴 ").arg(fields.join(QStringLiteral(", ")));
    forgetPages();
    return true;
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

// The list's order (forward) or its reverse, as an ORDER BY that the indexes serve.
QString HistoryList::orderBy(bool forward) const {
    const QString dir = forward == ascending_ ? QStringLiteral("ASC") : QStringLiteral("DESC");
    if (key_.isEmpty())
        return QStringLiteral("ORDER BY 履歴ID %1").arg(dir);
    return QStringLiteral("ORDER BY %1 %2, 履歴ID %2").arg(key_, dir);
}

// The rows after a mark (:key, :id) going forward in the list or back, :skip of them skipped,
// :rows taken. With a key: the rows of an equal key after the mark's 履歴ID, then the rows of
// the keys after it, each read from the key's index (one comparison of the pair would have the
// index read from its start).
QString HistoryList::afterMark(bool forward) const {
    const bool up = forward == ascending_;
    const QString op = up ? QStringLiteral(">") : QStringLiteral("<");
    const QString dir = up ? QStringLiteral("ASC") : QStringLiteral("DESC");
    if (key_.isEmpty())
        return select_ + QStringLiteral("WHERE 履歴ID %1 :id %2 LIMIT :rows OFFSET :skip")
                             .arg(op, orderBy(forward));
    return QStringLiteral("SELECT * FROM (%1WHERE %2 = :key AND 履歴ID %3 :id ORDER BY 履歴ID %4 "
                          "LIMIT :limit) UNION ALL SELECT * FROM (%1WHERE %2 %3 :key %5 "
                          "LIMIT :limit) LIMIT :rows OFFSET :skip")
        .arg(select_, key_, op, dir, orderBy(forward));
}

// How a page is read: the SQL text, the mark it starts after (none from the top or the
// bottom), whether it reads backwards and the rows skipped.
struct HistoryList::PageRoute {
    QString sql;
    std::optional<Mark> mark;
    bool backwards = false;
    qint64 skip = 0;
};

// A page is reached from the nearest point whose place is known (the top, the bottom, or a
// page read before), skipping as few rows as possible; a neighbour of a page read is one step.
HistoryList::PageRoute HistoryList::routeToPage(int page, int first, int rows) const {
    PageRoute route;
    route.skip = first; // from the top
    route.sql = select_ + orderBy(true) + QStringLiteral(" LIMIT :rows OFFSET :skip");
    // From the bottom, backwards.
    const qint64 fromBottom = count_ - (first + rows);
    if (fromBottom < route.skip) {
        route.skip = fromBottom;
        route.backwards = true;
        route.sql = select_ + orderBy(false) + QStringLiteral(" LIMIT :rows OFFSET :skip");
    }
    // From the nearest page read above this one.
    if (auto above = lastMarks_.lower_bound(page); above != lastMarks_.begin()) {
        --above;
        const qint64 distance = qint64(page - above->first - 1) * PageRows;
        if (distance < route.skip) {
            route.skip = distance;
            route.backwards = false;
            route.mark = above->second;
            route.sql = afterMark(true);
        }
    }
    // From the nearest page read below this one, backwards.
    if (auto below = firstMarks_.upper_bound(page); below != firstMarks_.end()) {
        const int belowFirst = below->first * PageRows;
        const qint64 distance = belowFirst - (first + rows);
        if (distance < route.skip) {
            route.skip = distance;
            route.backwards = true;
            route.mark = below->second;
            route.sql = afterMark(false);
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
    QVariantMap values{{QStringLiteral(":rows"), rows}, {QStringLiteral(":skip"), route.skip}};
    if (route.mark) {
        values.insert(QStringLiteral(":id"), route.mark->id);
        if (!key_.isEmpty()) {
            values.insert(QStringLiteral(":key"), route.mark->key);
            values.insert(QStringLiteral(":limit"), route.skip + rows);
        }
    }
    QVector<HistoryRow> read;
    Mark firstRead, lastRead;
    read.reserve(rows);
    {
        QSqlQuery q(db_->sqlDatabase());
        if (!Run(q, route.sql, values))
            return false;
        const int keyColumn = int(ListColumns().size());
        while (q.next()) {
            read.push_back(ReadRow(q));
            lastRead = Mark{key_.isEmpty() ? QVariant() : q.value(keyColumn), read.back().Id};
            if (read.size() == 1)
                firstRead = lastRead;
        }
    }
    if (read.isEmpty())
        return false;
    if (route.backwards) {
        std::reverse(read.begin(), read.end());
        std::swap(firstRead, lastRead);
    }
    if (int(pages_.size()) >= KeptPages)
        forgetOldestPage();
    firstMarks_[page] = firstRead;
    lastMarks_[page] = lastRead;
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
    // The rows before it in the list's order, each counted on an index.
    const QString before = ascending_ ? QStringLiteral("<") : QStringLiteral(">");
    QSqlQuery q(db_->sqlDatabase());
    QVariantMap values{{QStringLiteral(":id"), historyId}};
    if (key_.isEmpty()) {
        if (!Run(q,
                 QStringLiteral("SELECT (SELECT COUNT(*) FROM 着信履歴 WHERE 履歴ID %1 :id) "
                                "FROM 着信履歴 WHERE 履歴ID = :id")
                     .arg(before),
                 values) ||
            !q.next())
            return -1;
    } else {
        if (!Run(q, QStringLiteral("SELECT %1 FROM 着信履歴 WHERE 履歴ID = :id").arg(key_),
                 values) ||
            !q.next())
            return -1;
        values.insert(QStringLiteral(":key"), q.value(0));
        q.finish();
        if (!Run(q,
                 QStringLiteral("SELECT (SELECT COUNT(*) FROM 着信履歴 WHERE %1 %2 :key) + "
                                "(SELECT COUNT(*) FROM 着信履歴 WHERE %1 = :key AND 履歴ID %2 :id)")
                     .arg(key_, before),
                 values) ||
            !q.next())
            return -1;
    }
    const int index = q.value(0).toInt();
    return index < count_ ? index : -1;
}

void HistoryList::release() {
    forgetPages();
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

qint32 StoredCall::id() const {
    return row.value(QStringLiteral("履歴ID")).toInt();
}

std::optional<StoredCall> TakeHistoryRow(const Database &database, qint32 historyId) {
    if (!database.isOpen())
        return std::nullopt;
    QSqlDatabase d = database.sqlDatabase();
    // Read and deleted together: what is kept is what went.
    if (!d.transaction())
        return std::nullopt;
    std::optional<StoredCall> taken;
    {
        QSqlQuery q(d);
        const QVariantMap id{{QStringLiteral("id"), historyId}};
        if (RunSql(q, QStringLiteral("SELECT * FROM 着信履歴 WHERE 履歴ID = :id"), id) &&
            q.next()) {
            StoredCall call{q.record()};
            q.finish();
            if (RunSql(q, QStringLiteral("DELETE FROM 着信履歴 WHERE 履歴ID = :id"), id) &&
                q.numRowsAffected() == 1)
                taken = std::move(call);
        }
    }
    if (!taken || !d.commit()) {
        d.rollback();
        return std::nullopt;
    }
    return taken;
}

std::optional<qint32> PutBackHistoryRow(const Database &database, const StoredCall &call) {
    if (!database.isOpen() || call.row.isEmpty())
        return std::nullopt;
    QSqlDatabase d = database.sqlDatabase();
    if (!d.transaction())
        return std::nullopt;
    std::optional<qint32> placed;
    {
        QSqlQuery q(d);
        // A call recorded since the deletion takes the largest 履歴ID + 1, which may have been
        // this call's: it then comes back after the newest.
        qint32 id = call.id();
        if (RunSql(q,
                   QStringLiteral("SELECT EXISTS (SELECT 1 FROM 着信履歴 WHERE 履歴ID = :id), "
                                  "(SELECT MAX(履歴ID) FROM 着信履歴)"),
                   {{QStringLiteral("id"), id}}) &&
            q.next()) {
            if (q.value(0).toBool())
                id = q.value(1).toInt() + 1;
            q.finish();
            // Every field by its own name, with the value and type it had (Null stays Null).
            QStringList names, places;
            QVariantMap values;
            for (int i = 0; i < call.row.count(); ++i) {
                const QString slot = QStringLiteral("f%1").arg(i);
                names << SqlIdentifier(d, call.row.fieldName(i));
                places << QLatin1Char(':') + slot;
                values.insert(slot, call.row.fieldName(i) == QStringLiteral("履歴ID")
                                        ? QVariant(id)
                                        : call.row.value(i));
            }
            if (RunSql(
                    q,
                    QStringLiteral("INSERT INTO 着信履歴 (%1) VALUES (%2)")
                        .arg(names.join(QStringLiteral(", ")), places.join(QStringLiteral(", "))),
                    values))
                placed = id;
        }
    }
    if (!placed || !d.commit()) {
        d.rollback();
        return std::nullopt;
    }
    return placed;
}

bool DeleteAllHistory(const Database &database) {
    return database.storedQuery(QStringLiteral("Q_履歴削除")).execute();
}

} // namespace db
