#include "callerid/CallLookup.h"

#include "callerid/CallReport.h"
#include "db/Database.h"
#include "db/ReferenceDatabase.h"
#include "db/ReferenceIndex.h"
#include "phone/NumberKey.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <optional>

QString CallerNumberOfField(const QString &field) {
    qsizetype end = field.size();
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == QLatin1Char('\r') || field.at(i) == QLatin1Char('\n')) {
            end = i;
            break;
        }
    }
    return field.left(end);
}

void LookUpOwnPhonebook(const db::Database &database, IncomingCall &call) {
    if (!database.isOpen())
        return;
    db::Query byNumber = database.storedQuery(QStringLiteral("TELNOsach"));
    byNumber.setParameter(QStringLiteral("TelNo"), call.Number);
    db::RowSet numbers = byNumber.openRows();
    if (!numbers.moveFirst())
        return;
    call.CallerId = numbers.field(QStringLiteral("IDsub")).toInt();
    call.NumberRemark = numbers.field(QStringLiteral("摘要")).toString();
    numbers.close();

    db::Query entry = database.storedQuery(QStringLiteral("VALsach"));
    entry.setParameter(QStringLiteral("IDs"), call.CallerId);
    db::RowSet entries = entry.openRows();
    if (!entries.moveFirst())
        return;
    call.CallerName = entries.field(QStringLiteral("氏名")).toString();
    call.CallerAddress = entries.field(QStringLiteral("住所")).toString();
    call.CallerZip = entries.field(QStringLiteral("郵便番号")).toString();
}

ReferenceSource ReferenceSourceOf(const Settings &settings) {
    ReferenceSource source;
    if (!settings.RefEnabled || settings.RefDatabasePath.isEmpty())
        return source;
    source.path = QFileInfo(settings.RefDatabasePath).absoluteFilePath();
    source.fields =
        ReferenceFields{settings.RefTable, settings.RefPhoneField, settings.RefNameField,
                        settings.RefAddressField, settings.RefZipField};
    return source;
}

void LookUpReferencePhonebook(const Settings &settings, IncomingCall &call, ReferenceIndex *index) {
    if (!settings.RefEnabled)
        return;
    std::optional<ReferenceRow> row;
    ReferenceRow indexed;
    const ReferenceIndex::Answer answer =
        index ? index->find(ReferenceSourceOf(settings), call.Number, &indexed)
              : ReferenceIndex::Answer::Scan;
    if (answer == ReferenceIndex::Answer::Found) {
        row = indexed;
    } else if (answer == ReferenceIndex::Answer::Scan) {
        // While the index is built (or when it could not be): an SQLite table is read for the
        // call. An Access file is read by a program of its own, which a damaged file keeps for
        // seconds: the call does not wait for it and goes without the reference name.
        if (index && ReferenceDatabase::detectKind(settings.RefDatabasePath) !=
                         ReferenceDatabase::Kind::SQLite)
            return;
        ReferenceDatabase reference;
        if (!reference.open(settings.RefDatabasePath))
            return;
        row = reference.lookup(settings.RefTable, settings.RefPhoneField, settings.RefNameField,
                               settings.RefAddressField, settings.RefZipField, call.Number);
    }
    if (!row)
        return;
    if (call.CallerName.isEmpty())
        call.CallerName = row->name;
    if (call.CallerAddress.isEmpty())
        call.CallerAddress = row->address;
    if (call.CallerZip.isEmpty())
        call.CallerZip = row->zip;
}

CallDisplay DescribeCall(const IncomingCall &call) {
    CallDisplay display;
    if (const std::optional<QString> reason = ReasonText(call.Number)) {
        display.Withheld = true;
        display.NumberLine = *reason;
        display.ClockText = QStringLiteral("-----------");
        return display;
    }
    display.ClockText = call.Number;
    display.NumberLine = call.NumberRemark.isEmpty() ? call.Number
                                                     : call.Number + QStringLiteral(" （") +
                                                           call.NumberRemark + QStringLiteral("）");
    display.NameLine = call.CallerName;
    display.AddressLine = call.CallerAddress;
    display.InPhonebook = call.CallerId != 0;
    return display;
}

bool AppendHistoryRow(const db::Database &database, IncomingCall &call,
                      const CallDisplay &display) {
    if (!database.isOpen())
        return false;
    db::RowSet largest = database.storedQuery(QStringLiteral("Q_履歴の最大")).openRows();
    const QVariant maximum = largest.field(QStringLiteral("履歴IDの最大"));
    // An empty table has no largest id: the id of the last call stands (0 in a fresh run).
    if (!maximum.isNull())
        call.HistoryId = maximum.toInt() + 1;
    largest.close();

    db::RowSet history = database.openTable(QStringLiteral("着信履歴"));
    if (!history.addNew())
        return false;
    history.setField(QStringLiteral("履歴ID"), call.HistoryId);
    history.setField(QStringLiteral("日時"), call.CallDate);
    history.setField(QStringLiteral("時間"), call.CallTime);
    history.setField(QStringLiteral("電番"),
                     IsNumeric(call.Number) ? call.Number : display.NumberLine);
    if (!display.NameLine.isEmpty())
        history.setField(QStringLiteral("氏名"), display.NameLine);
    if (!display.AddressLine.isEmpty())
        history.setField(QStringLiteral("住所"), display.AddressLine);
    if (!call.CallerZip.isEmpty())
        history.setField(QStringLiteral("郵便番号"), call.CallerZip);
    history.setField(QStringLiteral("着信者ID"), call.CallerId);
    return history.update();
}

bool CompleteHistoryRow(const db::Database &database, const IncomingCall &call,
                        const CallDisplay &display) {
    if (!database.isOpen())
        return false;
    db::Query query = database.storedQuery(QStringLiteral("Q_履歴メモ"));
    query.setParameter(QStringLiteral("MemoID"), call.HistoryId);
    db::RowSet rows = query.openRows();
    if (rows.isEmpty() || !rows.edit())
        return false;
    const auto fill = [&rows](const char *field, const QString &text) {
        if (!text.isEmpty())
            rows.setField(QString::fromUtf8(field), text);
    };
    fill("氏名", display.NameLine);
    fill("住所", display.AddressLine);
    fill("郵便番号", call.CallerZip);
    return rows.update();
}
