#pragma once

#include <QString>
#include <QStringList>

namespace db {

// The call database's tables, stored queries and the SQL texts the windows issue, kept in
// one place so every user of Kolvane.mdb reads the same definitions.
namespace schema {

// CREATE statements for a fresh Kolvane.mdb, in execution order.
QStringList createStatements();

// Tables every Kolvane database holds, with their fields in column order.
QStringList tableNames();
QStringList fieldNames(const QString &table);
// The key field of a table (履歴ID, ID, TelID); empty for an unknown table.
QString keyField(const QString &table);

// SQL of a stored query by its name (TELNOsach, VALsach, Q_履歴の最大, Q_履歴メモ,
// Q_電番既存確認, Q_履歴削除); empty when there is no such query. Parameters are
// written :TelNo, :IDs, :MemoID.
QString storedQuery(const QString &name);
// The table whose rows a stored query returns with their key, so they can be edited;
// empty when the rows are read only.
QString storedQueryTable(const QString &name);

// SQL texts of the windows. Values travel as the named parameters shown.
QString historyListSql();              // all history rows, newest first
QString phonebookEntriesSql();         // 氏名, ID of every entry
QString phonebookEntriesByLetterSql(); // :Letter — entries of one index letter
QString phonebookNumbersSql();         // every number row
QString phonebookNumbersOfEntrySql();  // :ID — one entry's numbers by TelID
QString phonebookHistoryOfEntrySql(); // :ID — 着信日時 (日時 CR 時間), メモ of one entry's calls

} // namespace schema
} // namespace db
