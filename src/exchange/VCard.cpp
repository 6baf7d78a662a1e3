#include "exchange/VCard.h"

namespace exchange {

ExportReport ExportPhonebookVCard(const db::Database &, const QString &) {
    ExportReport r;
    r.error = QStringLiteral("not built yet");
    return r;
}

ImportReport ImportPhonebookVCard(const db::Database &, const QString &) {
    ImportReport r;
    r.error = QStringLiteral("not built yet");
    return r;
}

} // namespace exchange
