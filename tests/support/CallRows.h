#pragma once

// Long call histories and files changed behind the program's back, for the tests of the
// run's first reading of the file.

#include "db/Database.h"

#include <QDateTime>
#include <QFile>
#include <QSqlQuery>

// Calls 1 to `calls` from one number, written in one statement and folded into the file itself.
inline bool fillCalls(const QString &path, int calls) {
    {
        db::Database d(path);
        QSqlQuery q(d.sqlDatabase());
        if (!q.exec(QStringLiteral(
                        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c LIMIT %1) "
                        "INSERT INTO 着信履歴 (履歴ID, 電番, 着信者ID) SELECT x, '0312345678', 0 "
                        "FROM c")
                        .arg(calls)))
            return false;
    }
    return db::CheckpointDatabase(path);
}

// The file changed since this process last found it sound: its next opening reads it through.
inline bool changedElsewhere(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                                         QFileDevice::FileModificationTime);
}
