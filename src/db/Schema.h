#pragma once

#include <QString>
#include <QStringList>

namespace db {

// The call database's tables, stored queries and the SQL texts the windows issue, kept in
// one place so every user of Kolvane.mdb reads the same definitions.
namespace schema {

// CREATE statements for a fresh Kolvane.mdb, in execution order.
QStringList createStatements();

// The number key of an SQL operand (a column, NEW.電番, a parameter) as one SQL expression of
// SQLite's own functions, so rows written by any tool get the same key: the digits, ASCII or
// full-width, with the separators people type left out, and "+81"/"81" before a national
// number written as its trunk "0". NULL when the text holds no digit or anything that is not
// a known separator; such a number matches only as written. Where it gives a key, the key
// equals NumberKey() of the same text.
QString numberKeySql(const QString &operand);
// The triggers that keep 電話番号.電番キー the key of 電番 for every insert and update, and
// the index on it (part of createStatements()).
QStringList numberKeyStatements();
// Sets 電番キー of every number row whose key is missing or stale.
QString numberKeyFillSql();

// The one-row table 着信履歴件数 and the triggers that keep its 件数 the number of 着信履歴
// rows on every insert and delete (part of createStatements(), with its row).
QStringList historyCountStatements();
// The number of calls as the table keeps it.
QString historyCountSql();

// The statements that set 迷惑電話.電番キー of the rows `rows` (an SQL condition) from their
// 電番: the number key of a number; for a prefix (a number ending in "*"), the key of what
// comes before it with "*" after it, a "+" at its start kept ("+*", "+1*"). The SQL twin of
// MarkKey().
QStringList markKeyUpdates(const QString &rows);
// The table 迷惑電話, the triggers that keep its 電番キー for every insert and update, its
// index, and the column 着信履歴.迷惑理由 (part of createStatements(), the column in
// 着信履歴's own statement there).
QStringList nuisanceMarkStatements();
// The same column for a file made before it.
QString nuisanceReasonColumnSql();
// One mark of any of the keys :K0 … :K<MarkKeysAsked-1> (the number's own key and its
// prefixes): 電番キー, 理由, in ID order.
constexpr int MarkKeysAsked = 48;
QString markLookupSql();
// The history list's columns, in the list's order: the field shown, whether the list shows it
// (the key and the postal code are carried, never shown), and the SQL key a click on its
// heading sorts by (empty: the column does not sort). A key is never Null, so the list can go on
// from any row it has read; the call's 履歴ID decides between rows of equal keys. One more
// column is one more row of this table (and its index comes with it).
struct HistoryListColumn {
    QString field;
    bool shown;
    QString sortKey;
};
const QList<HistoryListColumn> &historyListColumns();
// The indexes that give the list each column's order without sorting the table (part of
// createStatements()).
QStringList historySortStatements();
// The name of the index that gives the list the order of the column of `field`.
QString historySortIndexName(const QString &field);

// Tables every Kolvane database holds, with the fields the program reads and writes in
// column order (電話番号 also holds 電番キー, which only the database itself writes).
QStringList tableNames();
QStringList fieldNames(const QString &table);
// The key field of a table (履歴ID, ID, TelID); empty for an unknown table.
QString keyField(const QString &table);

// SQL of a stored query by its name (TELNOsach, VALsach, Q_履歴の最大, Q_履歴メモ,
// Q_電番既存確認, Q_履歴削除); empty when there is no such query. Parameters are
// written :TelNo, :IDs, :MemoID. TELNOsach and Q_電番既存確認 find a number as sent, else
// by its key (電番キー).
QString storedQuery(const QString &name);
// The same for a file without number keys (one that could not be given them): numbers are
// found only as written.
QString exactStoredQuery(const QString &name);
// The table whose rows a stored query returns with their key, so they can be edited;
// empty when the rows are read only.
QString storedQueryTable(const QString &name);

// SQL texts of the windows. Values travel as the named parameters shown.
// All history rows, newest first, with 迷惑理由 last (as Null for a file without it).
QString historyListSql(bool withNuisanceReason = true);
QString phonebookEntriesSql();         // 氏名, ID of every entry
QString phonebookEntriesByLetterSql(); // :Letter — entries of one index letter
QString phonebookNumbersOfEntrySql();  // :ID — one entry's numbers by TelID
QString phonebookHistoryOfEntrySql(); // :ID — 着信日時 (日時 CR 時間), メモ of one entry's calls

} // namespace schema
} // namespace db
