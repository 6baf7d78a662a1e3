#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace db {

class Database;

// One row of 迷惑電話: a number (or a prefix ending in "*") the user marked as a nuisance.
struct NuisanceMark {
    qint32 Id = 0;
    QString Number; // 電番, as entered
    QString Reason; // 理由
    QString Date;   // 登録日, "yyyy/MM/dd"
};

// Every mark, in the order they were made. Empty for a file without marks.
QList<NuisanceMark> ReadNuisanceMarks(const Database &database);

// Marks `number` (its key is MarkKey()) with `reason`; a mark of the same key gets the new
// reason. False when the number has no key or the file refused the row.
bool MarkNumber(const Database &database, const QString &number, const QString &reason,
                const QString &date);
// Removes the marks of the same key as `number` (a prefix mark of it stays); how many went,
// -1 when the file refused.
int UnmarkNumber(const Database &database, const QString &number);
// Removes the mark with this ID; false when there is none.
bool RemoveNuisanceMark(const Database &database, qint32 id);

// What adding a list of marks did.
struct MarksAdded {
    bool ok = false;
    int added = 0;
    int already = 0; // a mark of the same key was there (or came earlier in the list)
};
// Adds the marks whose key is not marked yet, in one transaction: all of them or none.
MarksAdded AddNuisanceMarks(const Database &database, const QList<NuisanceMark> &marks);

} // namespace db
