#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

namespace db {

class Database;

// One call of the history list, in the list's column order (日時, 時間, 電番, 氏名, 住所,
// メモ, 履歴ID, 郵便番号, 迷惑理由). A Null field reads as empty text.
struct HistoryRow {
    QString Date, Time, Number, Name, Address, Memo;
    qint32 Id = 0;
    QString Zip;
    QString NuisanceReason;
    // Column 0-8 as text, as the list shows it.
    QString column(int c) const;
};

// The history list (every call, newest first) read a page at a time as rows are asked for:
// a million calls open as fast as ten, and only the pages looked at stay in memory. The list
// keeps one connection of its own until release().
class HistoryList {
public:
    static constexpr int PageRows = 128;
    static constexpr int KeptPages = 48;

    explicit HistoryList(const QString &databasePath);
    ~HistoryList();
    HistoryList(const HistoryList &) = delete;
    HistoryList &operator=(const HistoryList &) = delete;

    bool isOpen() const;
    // Counts the calls again and forgets every page read: the next rows asked for are read
    // anew. Reads the count the file keeps (a file without it is counted through).
    void refresh();
    int rowCount() const { return count_; }
    // The row at `index` (0 = newest); null when out of range or unreadable.
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
    struct PageRoute;
    PageRoute routeToPage(int page, int first, int rows) const;
    bool fetchPage(int page);
    void forgetOldestPage();

    std::unique_ptr<Database> db_;
    int count_ = 0;
    quint64 clock_ = 0;
    std::unordered_map<int, Page> pages_;
    // First and last id of every page read since the last refresh, kept when the page's rows
    // are dropped: a neighbouring page is then found by its key, not by counting rows.
    std::map<int, qint32> firstIds_;
    std::map<int, qint32> lastIds_;
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
// Q_履歴削除: every call goes.
bool DeleteAllHistory(const Database &database);

} // namespace db
