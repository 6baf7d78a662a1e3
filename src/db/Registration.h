#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace db {

class Database;

// A caller as the phonebook receives them from a call: the number and what the call showed.
struct CallerToRegister {
    QString Number;
    QString Name;
    QString Address;
    QString Remark; // goes to その他
    QString Zip;
};

// Adds a 住所録 entry for the caller ("No Name" without a name; address, remark and postal
// code only when not empty) and one 電話番号 row with the number, owned by the entry just
// stored. Both rows or neither: when the entry cannot be stored no number is written, so a
// number is never attached to another entry. Returns the new entry's ID.
std::optional<qint32> RegisterToPhonebook(const Database &database, const CallerToRegister &caller);

// Why a caller cannot be registered.
enum class RegistrationCheck { Allowed, NotNumeric, AlreadyInPhonebook };

// From the main window: any numeric number may be registered.
RegistrationCheck CheckRegistrationFromMainWindow(const QString &number);
// From the history window: numeric, and not yet in 電話番号 (Q_電番既存確認).
RegistrationCheck CheckRegistrationFromHistory(const Database &database, const QString &number);

// The caller of a 着信履歴 row (電番, 氏名, 住所, メモ, 郵便番号); nullopt when there is no
// such row.
std::optional<CallerToRegister> CallerOfHistoryRow(const Database &database, qint32 historyId);

// The message that refuses a registration (empty for Allowed), and its title.
QString RegistrationRefusalText(RegistrationCheck check);
QString RegistrationRefusalTitle();

} // namespace db
