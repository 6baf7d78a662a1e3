#include "network/NcidCallLog.h"

#include "callerid/CallReport.h"
#include "db/Database.h"

#include <QFileInfo>

namespace ncid {
namespace {

// The history's 電番 back to the call's Number: a reason text to its letter, a number shown
// with its remark ("0312345678 （自宅）") to the number.
QString NumberOfStored(const QString &stored) {
    for (const QString &letter :
         {QStringLiteral("P"), QStringLiteral("O"), QStringLiteral("C"), QStringLiteral("S")}) {
        if (stored == *ReasonText(letter))
            return letter;
    }
    const qsizetype remark = stored.indexOf(QStringLiteral(" （"));
    return remark >= 0 ? stored.left(remark) : stored;
}

} // namespace

QList<AnnouncedCall> RecentCalls(const QString &path, const QDateTime &now, int limit) {
    QList<AnnouncedCall> calls;
    // Opening a missing file would make it: the program makes it, not a client's connection.
    if (!QFileInfo(path).isFile())
        return calls;
    db::Database database(path);
    if (!database.isOpen())
        return calls;
    // The newest rows by their key (a cheap read at any size); the dates are the stored texts.
    db::RowSet rows = database.openRows(
        QStringLiteral(
            "SELECT 日時, 時間, 電番, 氏名 FROM 着信履歴 ORDER BY 履歴ID DESC LIMIT :limit"),
        {{QStringLiteral("limit"), limit}});
    const QDateTime since = now.addSecs(-24 * 3600);
    for (; !rows.eof(); rows.moveNext()) {
        const QString date = rows.field(QStringLiteral("日時")).toString().trimmed();
        const QString time = rows.field(QStringLiteral("時間")).toString().trimmed();
        const QDateTime when = QDateTime::fromString(date + QLatin1Char(' ') + time,
                                                     QStringLiteral("yyyy/MM/dd H:mm:ss"));
        if (!when.isValid() || when < since || when > now.addSecs(60))
            continue;
        AnnouncedCall call;
        call.when = when;
        call.number = NumberOfStored(rows.field(QStringLiteral("電番")).toString());
        call.name = rows.field(QStringLiteral("氏名")).toString();
        calls.prepend(call);
    }
    return calls;
}

} // namespace ncid
