#pragma once

#include "exchange/Exchange.h"

#include <QList>

namespace db {
class Database;
}

namespace exchange {

// Writes calls of the history to `path` as CSV: the calls whose 履歴ID is in `historyIds`,
// or every call when it is empty, newest first.
ExportReport ExportHistoryCsv(const db::Database &database, const QList<int> &historyIds,
                              const QString &path, Wording wording = Wording::English);

} // namespace exchange
