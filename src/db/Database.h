#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <memory>

namespace db {

class CheckStop;
class RowSetData;

// A row set of the call database: either the rows of a query (read on open) or a whole
// table (positioned by primary key, so a table of a million rows is never loaded just to
// add one). Before-first and after-last are positions of their own, as bof() / eof() tell.
// An operation that cannot be done (no current row, unknown field, a locked file) does
// nothing and returns false, so the call path goes on.
class RowSet {
public:
    RowSet();
    ~RowSet();
    RowSet(RowSet &&) noexcept;
    RowSet &operator=(RowSet &&) noexcept;

    bool isEmpty() const { return recordCount() == 0; }
    int recordCount() const;
    bool bof() const;
    bool eof() const;
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    // Criterion "<field>=<integer>", e.g. "履歴ID=12"; anything else matches nothing.
    bool findFirst(const QString &criterion);
    bool noMatch() const;
    // The value of a field of the current row: Null when the field holds Null, when there
    // is no current row, or when there is no such field.
    QVariant field(const QString &name) const;

    bool addNew();
    bool edit();
    bool setField(const QString &name, const QVariant &value);
    bool update();
    bool deleteRow();
    void close();

private:
    friend class Database;
    friend class Query;
    explicit RowSet(std::unique_ptr<RowSetData> data);
    std::unique_ptr<RowSetData> d_;
};

// A stored query by name or a temporary one of an SQL text; parameters by name.
class Query {
public:
    void setParameter(const QString &name, const QVariant &value);
    // Rows positioned on the first row. Rows of a query over one table with its key
    // (Q_履歴メモ) accept edit and update.
    RowSet openRows();
    bool execute();

private:
    friend class Database;
    Query(QString connection, QString sql, QString baseTable);
    QString connection_;
    QString sql_;
    QString baseTable_;
    QVariantMap parameters_;
};

// One connection to Kolvane.mdb, released on destruction. A missing (or empty) file is
// created with the schema; an existing file that is not a Kolvane database is never
// written: isOpen() is false and every query on it does nothing.
class Database {
public:
    explicit Database(const QString &path);
    // The same, the reading of the whole file for damage (the first opening of a run) cut
    // short when `stop` is stopped: the opening then fails and its problem means nothing.
    Database(const QString &path, CheckStop &stop);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    bool isOpen() const { return open_; }
    // Whether numbers are found by their digits (電番キー kept by the file's triggers). A file
    // made before number keys gets them when it is first opened; one that cannot be changed
    // then finds numbers only as written.
    bool hasNumberKeys() const { return open_ && numberKeys_; }
    // Whether the file keeps the number of calls (着信履歴件数, kept by its triggers). A file
    // made before it gets it when it is first opened; one that cannot be changed then has its
    // calls counted.
    bool hasHistoryCount() const { return open_ && historyCount_; }
    // Whether the file has the nuisance marks (迷惑電話) and 着信履歴.迷惑理由. A file made
    // before them gets them when it is first opened; one that cannot be changed then has no
    // marks and its calls no reason.
    bool hasNuisanceMarks() const { return open_ && nuisanceMarks_; }
    // Whether the file has the indexes the history list sorts by. A file made before them gets
    // them when it is first opened.
    bool hasHistorySort() const { return open_ && historySort_; }

    // Why the file cannot be used, when it cannot.
    enum class Problem { None, NotWritable, NotOurs, Damaged, Busy, Full, ReadOnly, CannotOpen };
    Problem problem() const { return problem_; }
    // Why the file cannot be used, told without reading it through (a moment at any size):
    // a foreign or unwritable file at once; damage inside only by an opening (the first of a
    // run reads the whole file). A missing file is made, as an opening makes it.
    static Problem Judge(const QString &path);
    QString path() const { return path_; }
    // The connection, for the models of windows that stay open (QSqlQueryModel); release
    // every model on it before this object goes.
    QSqlDatabase sqlDatabase() const;

    Query storedQuery(const QString &name) const;
    Query createQuery(const QString &sql = QString()) const;
    // A row set over a whole table (着信履歴, 住所録 or 電話番号), on its first row.
    RowSet openTable(const QString &table) const;
    // The rows of an SQL text of the catalogue, with named parameters.
    RowSet openRows(const QString &sql, const QVariantMap &parameters = {}) const;
    void close();

private:
    Database(const QString &path, bool judgeOnly, CheckStop *stop);
    QString path_;
    QString connection_;
    bool open_ = false;
    bool numberKeys_ = false;
    bool historyCount_ = false;
    bool nuisanceMarks_ = false;
    bool historySort_ = false;
    Problem problem_ = Problem::None;
};

// The reason in the program's words ("書き込めません", "ファイルが壊れています" …), empty for None.
QString ProblemText(Database::Problem problem);

// What an SQLite result code (an extended one counts as its primary code) says about the file:
// SQLITE_FULL, _READONLY, _CANTOPEN, _CORRUPT and _NOTADB, _BUSY and _LOCKED each their own
// problem; any other failure NotWritable. Every reason the program gives for a database that
// refused something comes through here.
Database::Problem ProblemOfSqliteCode(int code);
// A failure to read or write the disk (SQLITE_IOERR, _CANTOPEN) says more with the system's
// error beside it: a full disk (ENOSPC), a read-only one or folder (EROFS, EACCES).
Database::Problem ProblemOfSqliteCode(int code, int systemError);
// The same for an error of Qt's SQLite driver, which carries the result code.
Database::Problem ProblemOf(const QSqlError &error);
// The same, with the system's error of the connection's last failure.
Database::Problem ProblemOf(const QSqlDatabase &connection, const QSqlError &error);
// The problem met by the last statement of a row set or stored query that failed on this thread
// (NotWritable when none is known): the reason for a write that returned false.
Database::Problem LastStatementProblem();

// Folds the log (Kolvane.mdb-wal) of our own database into the file; the log is removed when
// no other connection has the file open. Our connections leave the log beside the file when
// they close, so that a call costs no sync of the disk; call this at the end of a run and
// before the file is renamed or moved (compaction). False when the file is not ours or the
// log could not be folded in whole (another connection is reading).
bool CheckpointDatabase(const QString &path);

// A compacted copy of a Kolvane database under destination (which must not exist).
bool CompactDatabase(const QString &source, const QString &destination);

} // namespace db
