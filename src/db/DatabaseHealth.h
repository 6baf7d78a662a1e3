#pragma once

// What a file is before and while a connection has it: a Kolvane database or not, intact or
// damaged, with number keys or without, and when its log is folded in. Inside db/ only.

#include <QMutex>
#include <QSqlDatabase>
#include <QString>

struct sqlite3;

namespace db {

// Whether the file holds the three tables with every field the program uses.
bool IsKolvaneDatabase(const QSqlDatabase &d);
// Whether a file that is there is a Kolvane database, decided without writing to it or to its
// -wal and -shm. When the file could not be read at all, `readFailure` gets SQLite's result
// code (it stays 0 for a file that reads but holds other tables).
bool HoldsKolvaneTables(const QString &absolutePath, int *readFailure = nullptr);

// Lets another thread cut short a reading of the whole file (the program ending while the
// first opening of a run still reads a file of millions of calls).
class CheckStop {
public:
    // From any thread: the reading under way gives up at once, and any later one at its start.
    void stop();

private:
    friend bool IsIntact(const QSqlDatabase &d, CheckStop *stop);
    QMutex mutex_;
    sqlite3 *reading_ = nullptr;
    bool stopped_ = false;
};

// Whether every page of the file reads (a quick check of the whole file). False too when
// `stop` cut it short.
bool IsIntact(const QSqlDatabase &d, CheckStop *stop = nullptr);
// Whether the file is as our connections last left it after it was found intact: the whole
// file need not be read again.
bool KnownIntact(const QString &absolutePath);
void RememberIntact(const QString &absolutePath);
void ForgetIntact(const QString &absolutePath);

// Whether 電話番号 has its number keys as this program keeps them.
bool NumberKeysInPlace(const QSqlDatabase &d);
// Gives a file made before number keys (or with other ones) the keys, all or nothing.
bool GiveNumberKeys(QSqlDatabase &d);

// Whether 着信履歴件数 is there with its one row and its triggers as this program makes them.
bool HistoryCountInPlace(const QSqlDatabase &d);
// Gives a file made before the kept count (or with another one) the table, its row (the
// calls counted once) and its triggers, all or nothing.
bool GiveHistoryCount(QSqlDatabase &d);
// Whether 迷惑電話 is there with its key triggers and index as this program makes them, and
// 着信履歴 has 迷惑理由.
bool NuisanceMarksInPlace(const QSqlDatabase &d);
// Gives a file made before marks the column, the table (or, for a table of other triggers,
// this program's triggers and every row's key), all or nothing.
bool GiveNuisanceMarks(QSqlDatabase &d);
// Whether 着信履歴 has the indexes the history list sorts by, as this program makes them.
bool HistorySortInPlace(const QSqlDatabase &d);
// Gives a file made before them (or with other ones) those indexes, all or nothing.
bool GiveHistorySort(QSqlDatabase &d);
// The system's error (errno) of the connection's last failed reading or writing of the disk; 0
// when there was none or it cannot be asked.
int SystemErrorOf(const QSqlDatabase &d);

// Whether closing the connection may fold the log into the file; false when it cannot be set.
bool FoldLogOnClose(const QSqlDatabase &d, bool fold);
// Closes one of our connections, folding the log in when it is empty or long.
void CloseConnection(QSqlDatabase &d, const QString &absolutePath);

} // namespace db
