#pragma once

#include "network/NcidLines.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace ncid {

// The calls of Kolvane.mdb at `path` from the 24 hours before `now`, oldest first, as a
// server sends them in its call log: at most the last `limit` calls stored. Reads only; a
// file that cannot be read gives no calls.
QList<AnnouncedCall> RecentCalls(const QString &path, const QDateTime &now, int limit = 1000);

} // namespace ncid
