#include "db/Phonebook.h"

#include "db/Connection.h"
#include "db/Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace db {

namespace {

QVariant NullWhenEmpty(const QString &text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// Runs the prepared insert; the key of its row, or nullopt with the reason.
std::optional<qint32> InsertedId(QSqlQuery &insert, QString *whyNot) {
    if (!insert.exec()) {
        RememberStatementFailure(insert);
        if (whyNot)
            *whyNot = insert.lastError().text();
        return std::nullopt;
    }
    const QVariant id = insert.lastInsertId();
    if (!id.isValid() || id.isNull()) {
        if (whyNot)
            *whyNot = QStringLiteral("no key for the new row");
        return std::nullopt;
    }
    return qint32(id.toLongLong());
}

bool RefuseClosed(const Database &database, QString *whyNot) {
    if (database.isOpen())
        return false;
    if (whyNot)
        *whyNot = QStringLiteral("the database is not open");
    return true;
}

} // namespace

std::optional<qint32> AddPhonebookEntry(const Database &database, const PhonebookEntry &entry,
                                        QString *whyNot) {
    if (RefuseClosed(database, whyNot))
        return std::nullopt;
    QSqlQuery q(database.sqlDatabase());
    q.prepare(QStringLiteral("INSERT INTO 住所録 (氏名, 索引インデックス, 住所, 郵便番号, 誕生日, "
                             "Ｅメール1, Ｅメール2, その他) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    const QString fields[] = {entry.name,     entry.indexLetter, entry.address, entry.zip,
                              entry.birthday, entry.mail1,       entry.mail2,   entry.other};
    for (int i = 0; i < 8; ++i)
        q.bindValue(i, NullWhenEmpty(fields[i]));
    return InsertedId(q, whyNot);
}

std::optional<qint32> AddPhonebookNumber(const Database &database, qint32 entryId,
                                         const QString &number, const QString &kind,
                                         QString *whyNot) {
    if (RefuseClosed(database, whyNot))
        return std::nullopt;
    QSqlQuery q(database.sqlDatabase());
    q.prepare(QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番, 摘要) VALUES (?, ?, ?)"));
    q.bindValue(0, entryId);
    q.bindValue(1, number);
    q.bindValue(2, NullWhenEmpty(kind));
    return InsertedId(q, whyNot);
}

} // namespace db

namespace db::phonebook {

namespace {

// The boxes' values by field name as an entry; names that are no field of 住所録 are left out.
PhonebookEntry EntryOfFields(const QMap<QString, QString> &values) {
    PhonebookEntry e;
    e.name = values.value(QStringLiteral("氏名"));
    e.indexLetter = values.value(QStringLiteral("索引インデックス"));
    e.address = values.value(QStringLiteral("住所"));
    e.zip = values.value(QStringLiteral("郵便番号"));
    e.birthday = values.value(QStringLiteral("誕生日"));
    e.mail1 = values.value(QStringLiteral("Ｅメール1"));
    e.mail2 = values.value(QStringLiteral("Ｅメール2"));
    e.other = values.value(QStringLiteral("その他"));
    return e;
}

} // namespace

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

QString NamelessName() {
    return QStringLiteral("No Name");
}

QString NamelessShown() {
    return QStringLiteral("（名前なし）");
}

QString ShownName(const QString &stored) {
    return stored == NamelessName() ? NamelessShown() : stored;
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
    if (entryId == 0)
        return std::nullopt;
    return AddPhonebookNumber(database, entryId, QString());
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
    const std::optional<qint32> id = AddPhonebookEntry(database_, EntryOfFields(values));
    // The new entry is the one shown (the last row in table order).
    if (id)
        moveToId(*id);
    return id;
}

bool EntryCursor::deleteCurrent() {
    const bool deleted = onEntry() && rows_.deleteRow();
    rows_ = database_.openTable(QStringLiteral("住所録"));
    return deleted;
}

} // namespace db::phonebook
