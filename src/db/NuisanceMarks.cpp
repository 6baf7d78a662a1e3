#include "db/NuisanceMarks.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "phone/NumberKey.h"

#include <QSqlQuery>
#include <QVariant>

namespace db {

namespace {

QVariant NullWhenEmpty(const QString &text) {
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

} // namespace

QList<NuisanceMark> ReadNuisanceMarks(const Database &database) {
    QList<NuisanceMark> marks;
    if (!database.hasNuisanceMarks())
        return marks;
    QSqlQuery q(database.sqlDatabase());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT ID, 電番, 理由, 登録日 FROM 迷惑電話 ORDER BY ID")))
        return marks;
    while (q.next())
        marks.append({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(),
                      q.value(3).toString()});
    return marks;
}

bool MarkNumber(const Database &database, const QString &number, const QString &reason,
                const QString &date) {
    const QString key = MarkKey(number);
    if (!database.hasNuisanceMarks() || key.isEmpty())
        return false;
    QSqlQuery q(database.sqlDatabase());
    q.prepare(QStringLiteral("UPDATE 迷惑電話 SET 理由 = :Reason WHERE 電番キー = :Key"));
    q.bindValue(QStringLiteral(":Reason"), NullWhenEmpty(reason));
    q.bindValue(QStringLiteral(":Key"), key);
    if (!q.exec())
        return false;
    if (q.numRowsAffected() > 0)
        return true;
    q.prepare(QStringLiteral(
        "INSERT INTO 迷惑電話 (電番, 理由, 登録日) VALUES (:Number, :Reason, :Date)"));
    q.bindValue(QStringLiteral(":Number"), number);
    q.bindValue(QStringLiteral(":Reason"), NullWhenEmpty(reason));
    q.bindValue(QStringLiteral(":Date"), date);
    return q.exec();
}

int UnmarkNumber(const Database &database, const QString &number) {
    const QString key = MarkKey(number);
    if (!database.hasNuisanceMarks())
        return -1;
    if (key.isEmpty())
        return 0;
    QSqlQuery q(database.sqlDatabase());
    q.prepare(QStringLiteral("DELETE FROM 迷惑電話 WHERE 電番キー = :Key"));
    q.bindValue(QStringLiteral(":Key"), key);
    return q.exec() ? q.numRowsAffected() : -1;
}

bool RemoveNuisanceMark(const Database &database, qint32 id) {
    if (!database.hasNuisanceMarks())
        return false;
    QSqlQuery q(database.sqlDatabase());
    q.prepare(QStringLiteral("DELETE FROM 迷惑電話 WHERE ID = :ID"));
    q.bindValue(QStringLiteral(":ID"), id);
    return q.exec() && q.numRowsAffected() > 0;
}

MarksAdded AddNuisanceMarks(const Database &database, const QList<NuisanceMark> &marks) {
    MarksAdded r;
    if (!database.hasNuisanceMarks())
        return r;
    QSqlDatabase d = database.sqlDatabase();
    if (!d.transaction())
        return r;
    bool ok = true;
    {
        QSqlQuery known(d), insert(d);
        known.setForwardOnly(true);
        // The key worked out here equals the one the file's trigger gives (MarkKey's twin), so
        // the index finds a mark already there, also one added earlier in the same list.
        ok = known.prepare(QStringLiteral("SELECT 1 FROM 迷惑電話 WHERE 電番キー = ? LIMIT 1")) &&
             insert.prepare(
                 QStringLiteral("INSERT INTO 迷惑電話 (電番, 理由, 登録日) VALUES (?, ?, ?)"));
        for (qsizetype i = 0; ok && i < marks.size(); ++i) {
            const NuisanceMark &m = marks.at(i);
            const QString key = MarkKey(m.Number);
            if (key.isEmpty())
                continue;
            known.bindValue(0, key);
            ok = known.exec();
            if (!ok)
                RememberStatementFailure(known);
            const bool there = ok && known.next();
            known.finish();
            if (!ok)
                break;
            if (there) {
                ++r.already;
                continue;
            }
            insert.bindValue(0, m.Number);
            insert.bindValue(1, NullWhenEmpty(m.Reason));
            insert.bindValue(2, m.Date);
            ok = insert.exec();
            if (!ok)
                RememberStatementFailure(insert);
            r.added += ok ? 1 : 0;
        }
    }
    if (ok && d.commit()) {
        r.ok = true;
        return r;
    }
    d.rollback();
    return MarksAdded{};
}

} // namespace db
