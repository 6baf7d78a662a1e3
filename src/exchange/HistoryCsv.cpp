#include "exchange/HistoryCsv.h"

namespace exchange {

ExportReport ExportHistoryCsv(const db::Database &, const QList<int> &, const QString &) {
    ExportReport r;
    r.error = QStringLiteral("not built yet");
    return r;
}

} // namespace exchange
