#include "db/Phonebook.h"

#include "db/Schema.h"

#include <QSqlQuery>
#include <QVariant>

namespace db::phonebook {

QStringList IndexLetters() {
    QStringList letters;
    for (char16_t c = 0xFF71; c <= 0xFF9C; ++c)
        letters << QString(QChar(c));
    letters << QString(QChar(0xFF66)) << QString(QChar(0xFF9D));
    return letters;
}

QStringList NumberKinds() {
    return {QStringLiteral("自宅"), QStringLiteral("携帯"), QStringLiteral("Ｆａｘ"),
            QStringLiteral("勤務先")};
}

QStringList EntryFields() {
    return {QStringLiteral("氏名"),      QStringLiteral("索引インデックス"),
            QStringLiteral("住所"),      QStringLiteral("郵便番号"),
            QStringLiteral("誕生日"),    QStringLiteral("Ｅメール1"),
            QStringLiteral("Ｅメール2"), QStringLiteral("その他")};
}

qint32 IdOfText(const QString &text) {
    bool ok = false;
    const qint32 id = text.trimmed().toInt(&ok);
    return ok ? id : 0;
}

QVector<NumberRow> NumbersOfEntry(const Database &database, qint32 entryId) {
    QVector<NumberRow> numbers;
    RowSet r =
        database.openRows(schema::phonebookNumbersOfEntrySql(), {{QStringLiteral("ID"), entryId}});
    for (bool on = !r.isEmpty(); on && !r.eof(); on = r.moveNext()) {
        NumberRow n;
        n.TelId = r.field(QStringLiteral("TelID")).toInt();
        n.Number = r.field(QStringLiteral("電番")).toString();
        n.Kind = r.field(QStringLiteral("摘要")).toString();
        numbers << n;
    }
    return numbers;
}

std::optional<qint32> CreateNumberRow(const Database &database, qint32 entryId) {
    if (!database.isOpen() || entryId == 0)
        return std::nullopt;
    QSqlQuery q(database.sqlDatabase());
    q.prepare(QStringLiteral("INSERT INTO 電話番号 (IDsub) VALUES (:id)"));
    q.bindValue(QStringLiteral(":id"), entryId);
    if (!q.exec())
        return std::nullopt;
    const QVariant id = q.lastInsertId();
    if (!id.isValid() || id.isNull())
        return std::nullopt;
    return qint32(id.toLongLong());
}

bool SetNumberField(const Database &database, qint32 telId, const QString &field,
                    const QString &text) {
    RowSet t = database.openTable(QStringLiteral("電話番号"));
    if (!t.findFirst(QStringLiteral("TelID=%1").arg(telId)))
        return false;
    return t.edit() && t.setField(field, text) && t.update();
}

bool DeleteNumberRow(const Database &database, qint32 telId) {
    RowSet t = database.openTable(QStringLiteral("電話番号"));
    if (!t.findFirst(QStringLiteral("TelID=%1").arg(telId)))
        return false;
    return t.deleteRow();
}

EntryCursor::EntryCursor(const Database &database)
    : database_(database), rows_(database.openTable(QStringLiteral("住所録"))) {}

bool EntryCursor::onEntry() const {
    return !rows_.bof() && !rows_.eof();
}

qint32 EntryCursor::id() const {
    return onEntry() ? rows_.field(QStringLiteral("ID")).toInt() : 0;
}

QString EntryCursor::field(const QString &name) const {
    return onEntry() ? rows_.field(name).toString() : QString();
}

QMap<QString, QString> EntryCursor::fields() const {
    QMap<QString, QString> values;
    for (const QString &f : EntryFields())
        values.insert(f, field(f));
    return values;
}

bool EntryCursor::moveToId(qint32 id) {
    rows_.moveFirst();
    return rows_.findFirst(QStringLiteral("ID=%1").arg(id));
}

int EntryCursor::count() const {
    return rows_.recordCount();
}

int EntryCursor::position() const {
    if (!onEntry())
        return 0;
    QSqlQuery q(database_.sqlDatabase());
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM 住所録 WHERE ID < :id"));
    q.bindValue(QStringLiteral(":id"), id());
    if (!q.exec() || !q.next())
        return 0;
    return q.value(0).toInt() + 1;
}

bool EntryCursor::writeChanges(const QMap<QString, QString> &values) {
    if (!onEntry())
        return false;
    QMap<QString, QString> changed;
    for (auto it = values.begin(); it != values.end(); ++it)
        if (EntryFields().contains(it.key()) && field(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    // An unchanged row is not written.
    if (changed.isEmpty())
        return true;
    if (!rows_.edit())
        return false;
    for (auto it = changed.begin(); it != changed.end(); ++it)
        rows_.setField(it.key(), it.value().isEmpty() ? QVariant() : QVariant(it.value()));
    return rows_.update();
}

std::optional<qint32> EntryCursor::storeNew(const QMap<QString, QString> &values) {
    if (!database_.isOpen())
        return std::nullopt;
    QStringList columns, parameters;
    QVariantList bound;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!EntryFields().contains(it.key()) || it.value().isEmpty())
            continue;
        columns << it.key();
        parameters << QStringLiteral(":p%1").arg(bound.size());
        bound << it.value();
    }
    QSqlQuery q(database_.sqlDatabase());
    q.prepare(columns.isEmpty() ? QStringLiteral("INSERT INTO 住所録 DEFAULT VALUES")
                                : QStringLiteral("INSERT INTO 住所録 (%1) VALUES (%2)")
                                      .arg(columns.join(QStringLiteral(", ")),
                                           parameters.join(QStringLiteral(", "))));
    for (int i = 0; i < bound.size(); ++i)
        q.bindValue(parameters.at(i), bound.at(i));
    if (!q.exec())
        return std::nullopt;
    const QVariant id = q.lastInsertId();
    if (!id.isValid() || id.isNull())
        return std::nullopt;
    // The new entry is the one shown (the last row in table order).
    moveToId(qint32(id.toLongLong()));
    return qint32(id.toLongLong());
}

bool EntryCursor::deleteCurrent() {
    const bool deleted = onEntry() && rows_.deleteRow();
    rows_ = database_.openTable(QStringLiteral("住所録"));
    return deleted;
}

} // namespace db::phonebook
