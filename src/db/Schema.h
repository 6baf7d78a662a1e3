#pragma once

#include <QString>
#include <QStringList>

namespace db {

// The call database's tables, stored queries and the SQL texts the windows issue,
// kept in one place so every user of Kolvane.mdb reads the same definitions.
namespace schema {

// CREATE statements for a fresh Kolvane.mdb, in execution order.
QStringList createStatements();

// Tables every Kolvane database must hold.
QStringList tableNames();

// SQL of a stored query by its name ("TELNOsach", "VALsach", "Q_履歴の最大", "Q_履歴メモ",
// "Q_電番既存確認", "Q_履歴削除"); empty when there is no such query. Parameters are
// written as :Name.
QString storedQuery(const QString &name);

} // namespace schema
} // namespace db
