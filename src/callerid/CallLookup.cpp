#include "callerid/CallLookup.h"

#include "callerid/CallReport.h"
#include "db/CallStatements.h"
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

void LookUpOwnPhonebook(db::CallStatements &statements, IncomingCall &call) {
    const std::optional<db::NumberFound> number = statements.findNumber(call.Number);
    if (!number)
        return;
    call.CallerId = number->entryId;
    call.NumberRemark = number->remark;
    const std::optional<db::EntryFound> entry = statements.findEntry(call.CallerId);
    if (!entry)
        return;
    call.CallerName = entry->name;
    call.CallerAddress = entry->address;
    call.CallerZip = entry->zip;
}

void LookUpOwnPhonebook(const db::Database &database, IncomingCall &call) {
    db::CallStatements statements(database);
    LookUpOwnPhonebook(statements, call);
}

QString NuisanceReasonOf(const QString &number, bool inPhonebook, const MarkFoundForCall *mark,
                         bool warnInternational) {
    if (mark && mark->wholeNumber)
        return mark->reason.isEmpty() ? QStringLiteral("迷惑電話") : mark->reason;
    if (inPhonebook)
        return QString();
    if (mark)
        return mark->reason.isEmpty() ? QStringLiteral("迷惑電話") : mark->reason;
    if (warnInternational && IsInternationalNumber(number))
        return QStringLiteral("国際電話");
    return QString();
}

void CheckNuisanceMarks(db::CallStatements &statements, IncomingCall &call,
                        bool warnInternational) {
    const std::optional<db::MarkFound> found = statements.findMark(call.Number);
    MarkFoundForCall mark;
    if (found)
        mark = MarkFoundForCall{found->reason, found->wholeNumber};
    call.NuisanceReason = NuisanceReasonOf(call.Number, call.CallerId != 0, found ? &mark : nullptr,
                                           warnInternational);
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

bool AppendHistoryRow(db::CallStatements &statements, IncomingCall &call,
                      const CallDisplay &display) {
    // Ids start at 1 (a row 0 could never take a memo). An empty table has no largest id: the
    // next after the last call's, so a memo still open on a deleted call never lands here.
    const std::optional<qint32> largest = statements.largestHistoryId();
    call.HistoryId = largest ? *largest + 1 : qMax(call.HistoryId, 0) + 1;
    db::HistoryRecord row;
    row.id = call.HistoryId;
    row.date = call.CallDate;
    row.time = call.CallTime;
    row.number = IsNumeric(call.Number) ? call.Number : display.NumberLine;
    row.name = display.NameLine;
    row.address = display.AddressLine;
    row.zip = call.CallerZip;
    row.callerId = call.CallerId;
    row.nuisanceReason = call.NuisanceReason;
    return statements.appendHistory(row);
}

bool AppendHistoryRow(const db::Database &database, IncomingCall &call,
                      const CallDisplay &display) {
    if (!database.isOpen())
        return false;
    db::CallStatements statements(database);
    return AppendHistoryRow(statements, call, display);
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
