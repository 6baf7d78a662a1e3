#pragma once

// What the connection, its row sets and the checks of the file share inside db/; not for
// use outside it.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantMap>

namespace db {

// One of our connections by name; invalid when there is none.
QSqlDatabase ConnectionNamed(const QString &name);
// A name no connection of this run has had.
QString NextConnectionName();
// A table or field name as SQL writes it (quoted).
QString SqlIdentifier(const QSqlDatabase &d, const QString &name);
// Binds the parameters that the text names (":Name" as a whole word) and runs it.
bool RunSql(QSqlQuery &q, const QString &sql, const QVariantMap &parameters);
// Keeps the reason of a statement that failed for LastStatementProblem (RunSql does so itself).
void RememberStatementFailure(const QSqlQuery &q);

} // namespace db
