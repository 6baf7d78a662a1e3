#pragma once

#include "exchange/Exchange.h"

namespace db {
class Database;
}

namespace exchange {

// Writes every phonebook entry with its numbers to `path` as vCard.
ExportReport ExportPhonebookVCard(const db::Database &database, const QString &path);

// Adds the cards of the vCard file `path` to the phonebook.
ImportReport ImportPhonebookVCard(const db::Database &database, const QString &path);

} // namespace exchange
