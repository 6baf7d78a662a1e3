#include "db/Registration.h"

#include "db/Database.h"
#include "phone/NumberKey.h"

#include <QSqlQuery>
#include <QVariant>

namespace db {

namespace {

QVariant NullWhenEmpty(const QString &text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

std::optional<qint32> RegisterToPhonebook(const Database &database,
                                          const CallerToRegister &caller) {
    if (!database.isOpen())
        return std::nullopt;
    QSqlDatabase d = database.sqlDatabase();
    if (!d.transaction())
        return std::nullopt;
    QSqlQuery q(d);
    q.prepare(QStringLiteral("INSERT INTO 住所録 (氏名, 住所, その他, 郵便番号) "
                             "VALUES (:name, :address, :remark, :zip)"));
    q.bindValue(QStringLiteral(":name"),
                caller.Name.isEmpty() ? QStringLiteral("No Name") : caller.Name);
    q.bindValue(QStringLiteral(":address"), NullWhenEmpty(caller.Address));
    q.bindValue(QStringLiteral(":remark"), NullWhenEmpty(caller.Remark));
    q.bindValue(QStringLiteral(":zip"), NullWhenEmpty(caller.Zip));
    bool ok = q.exec();
    // The key of the row just stored, never "the last row" (another entry's after a failure).
    const QVariant id = ok ? q.lastInsertId() : QVariant();
    ok = ok && id.isValid() && !id.isNull();
    if (ok) {
        QSqlQuery n(d);
        n.prepare(QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番) VALUES (:id, :number)"));
        n.bindValue(QStringLiteral(":id"), id);
        n.bindValue(QStringLiteral(":number"), caller.Number);
        ok = n.exec();
    }
    q.finish();
    if (!ok || !d.commit()) {
        d.rollback();
        return std::nullopt;
    }
    return qint32(id.toLongLong());
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

QString MemoOfHistoryRow(const Database &database, qint32 historyId) {
    const std::optional<CallerToRegister> c = CallerOfHistoryRow(database, historyId);
    return c ? c->Remark : QString();
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
