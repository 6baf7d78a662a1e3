#pragma once

#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVector>
#include <QtGlobal>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

namespace db {

class Database;

// One call of the history list: its fields as text in the list's column order
// (schema::historyListColumns(): 日時, 時間, 電番, 氏名, 住所, メモ, 履歴ID, 郵便番号). A Null
// field reads as empty text.
struct HistoryRow {
    QVector<QString> columns;
    qint32 Id = 0;
    // A column as the list shows it; empty out of range.
    QString column(int c) const { return c >= 0 && c < columns.size() ? columns[c] : QString(); }
};

// The history list read a page at a time as rows are asked for: a million calls open as fast
// as ten, and only the pages looked at stay in memory. Newest first, or by a column's key (the
// file's indexes give that order without sorting the table). The list keeps one connection of
// its own until release().
class HistoryList {
public:
    static constexpr int PageRows = 128;
    static constexpr int KeptPages = 48;
    // The order as recorded (by 履歴ID), not a column's.
    static constexpr int RecordedOrder = -1;

    explicit HistoryList(const QString &databasePath);
    ~HistoryList();
    HistoryList(const HistoryList &) = delete;
    HistoryList &operator=(const HistoryList &) = delete;

    bool isOpen() const;
    // Counts the calls again and forgets every page read: the next rows asked for are read
    // anew. Reads the count the file keeps (a file without it is counted through).
    void refresh();
    int rowCount() const { return count_; }
    // Orders the list by a column's key (RecordedOrder: by 履歴ID) and forgets every page read;
    // false, and the order unchanged, for a column that does not sort.
    bool setOrder(int column, bool ascending);
    int orderColumn() const { return orderColumn_; }
    bool orderAscending() const { return ascending_; }
    // The row at `index` (0 = the first in the list's order); null when out of range or
    // unreadable.
    const HistoryRow *row(int index);
    // Where the call `historyId` stands now; -1 when it is not in the list.
    int rowOfId(qint32 historyId);
    // Gives the connection back (compaction needs the file closed everywhere).
    void release();
    // Pages held now (for the memory figures).
    int pagesHeld() const { return int(pages_.size()); }

private:
    struct Page {
        QVector<HistoryRow> rows;
        quint64 used = 0;
    };
    // Where a row stands in the order: its key (when the order has one) and its 履歴ID.
    struct Mark {
        QVariant key;
        qint32 id = 0;
    };
    struct PageRoute;
    PageRoute routeToPage(int page, int first, int rows) const;
    QString orderBy(bool forward) const;
    QString afterMark(bool forward) const;
    bool fetchPage(int page);
    void forgetPages();
    void forgetOldestPage();

    std::unique_ptr<Database> db_;
    int count_ = 0;
    int orderColumn_ = RecordedOrder;
    bool ascending_ = false;
    // The key of the order as SQL; empty for the recorded order.
    QString key_;
    QString select_;
    quint64 clock_ = 0;
    std::unordered_map<int, Page> pages_;
    // First and last row of every page read since the last refresh, kept when the page's rows
    // are dropped: a neighbouring page is then found by its key, not by counting rows.
    std::map<int, Mark> firstMarks_;
    std::map<int, Mark> lastMarks_;
};

// The date, time, number, name and memo of one call, read through Q_履歴メモ.
struct CallMemo {
    QString Date, Time, Number, Name, Memo;
};
std::optional<CallMemo> ReadCallMemo(const Database &database, qint32 historyId);
// Writes the memo of the call through Q_履歴メモ; false when there is no such call.
bool WriteCallMemo(const Database &database, qint32 historyId, const QString &memo);
// Deletes the one call with this 履歴ID; false when there is none.
bool DeleteHistoryRow(const Database &database, qint32 historyId);

// A call as it was stored: every field of its row, those this program does not know included.
struct StoredCall {
    QSqlRecord row;
    qint32 id() const;
};
// Deletes the one call with this 履歴ID and gives its row as it was; none when there is no such
// call or it could not be deleted.
std::optional<StoredCall> TakeHistoryRow(const Database &database, qint32 historyId);
// Puts a deleted call back as it was, under its own 履歴ID, or under the next free one when a
// newer call has taken it since; gives the 履歴ID it has now, none when it could not be written.
std::optional<qint32> PutBackHistoryRow(const Database &database, const StoredCall &call);
// Q_履歴削除: every call goes.
bool DeleteAllHistory(const Database &database);

} // namespace db
