#include "db/Registration.h"

#include "db/Database.h"
#include "db/Phonebook.h"
#include "phone/NumberKey.h"

#include <QVariant>

namespace db {

std::optional<qint32> RegisterToPhonebook(const Database &database,
                                          const CallerToRegister &caller) {
    if (!database.isOpen())
        return std::nullopt;
    QSqlDatabase d = database.sqlDatabase();
    if (!d.transaction())
        return std::nullopt;
    PhonebookEntry entry;
    entry.name = caller.Name.isEmpty() ? phonebook::NamelessName() : caller.Name;
    entry.address = caller.Address;
    entry.other = caller.Remark;
    entry.zip = caller.Zip;
    const std::optional<qint32> id = AddPhonebookEntry(database, entry);
    const bool ok = id && AddPhonebookNumber(database, *id, caller.Number);
    if (!ok || !d.commit()) {
        d.rollback();
        return std::nullopt;
    }
    return id;
}

RegistrationCheck CheckRegistrationFromMainWindow(const QString &number) {
    return IsNumeric(number) ? RegistrationCheck::Allowed : RegistrationCheck::NotNumeric;
}

RegistrationCheck CheckRegistrationFromHistory(const Database &database, const QString &number) {
    if (!IsNumeric(number))
        return RegistrationCheck::NotNumeric;
    Query q = database.storedQuery(QStringLiteral("Q_電番既存確認"));
    q.setParameter(QStringLiteral("TelNo"), number);
    const RowSet rows = q.openRows();
    return rows.recordCount() != 0 ? RegistrationCheck::AlreadyInPhonebook
                                   : RegistrationCheck::Allowed;
}

std::optional<CallerToRegister> CallerOfHistoryRow(const Database &database, qint32 historyId) {
    Query q = database.storedQuery(QStringLiteral("Q_履歴メモ"));
    q.setParameter(QStringLiteral("MemoID"), historyId);
    const RowSet rows = q.openRows();
    if (rows.isEmpty())
        return std::nullopt;
    CallerToRegister c;
    c.Number = rows.field(QStringLiteral("電番")).toString();
    c.Name = rows.field(QStringLiteral("氏名")).toString();
    c.Address = rows.field(QStringLiteral("住所")).toString();
    c.Remark = rows.field(QStringLiteral("メモ")).toString();
    c.Zip = rows.field(QStringLiteral("郵便番号")).toString();
    return c;
}

QString RegistrationRefusalText(RegistrationCheck check) {
    switch (check) {
    case RegistrationCheck::NotNumeric:
        return QStringLiteral("電話番号が非通知の場合電話帳に登録できません。");
    case RegistrationCheck::AlreadyInPhonebook:
        return QStringLiteral("既に電話番号が電話帳に登録されています。");
    case RegistrationCheck::Allowed:
        break;
    }
    return QString();
}

QString RegistrationRefusalTitle() {
    return QStringLiteral("電話番号がありません。");
}

} // namespace db
