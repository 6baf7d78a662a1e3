#pragma once

#include "db/Database.h"

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

namespace db {

// What TELNOsach gives the call path: the entry that owns the number and its kind (摘要).
struct NumberFound {
    qint32 entryId = 0;
    QString remark;
};
// What VALsach gives the call path.
struct EntryFound {
    QString name, address, zip;
};
// One 着信履歴 row as the call path stores it; an empty name, address, postal code or
// nuisance reason is stored as Null.
struct HistoryRecord {
    qint32 id = 0;
    QString date, time, number, name, address, zip;
    qint32 callerId = 0;
    QString nuisanceReason;
};
// A nuisance mark that matches a call: on the number itself, or on a prefix of it.
struct MarkFound {
    QString reason;
    bool wholeNumber = false;
};

// The statements of one call on a connection, each prepared the first time it is used and
// run again from then on: SQLite then parses the long number-key lookup once per connection,
// not once per call. The connection must outlive this object.
class CallStatements {
public:
    explicit CallStatements(const Database &database);
    ~CallStatements();
    CallStatements(const CallStatements &) = delete;
    CallStatements &operator=(const CallStatements &) = delete;

    // TELNOsach: the first number row of the number (as sent, else by its digits).
    std::optional<NumberFound> findNumber(const QString &number);
    // VALsach: the entry with this ID.
    std::optional<EntryFound> findEntry(qint32 entryId);
    // The mark of the number: one on the whole number first, else the longest prefix. One
    // indexed lookup of every key the number may be marked under (MarkCandidates).
    std::optional<MarkFound> findMark(const QString &number);
    // Q_履歴の最大: the largest 履歴ID; nullopt for an empty table (or a failed read).
    std::optional<qint32> largestHistoryId();
    bool appendHistory(const HistoryRecord &record);

    // Why the last begin, commit or history row failed (what the file said).
    Database::Problem lastProblem() const { return lastProblem_; }

    // The call's work in one transaction, taken for writing from the start so that the row
    // at its end never finds another writer's change in between. False when the write lock
    // could not be had in time; the statements then run one by one.
    bool begin();
    bool commit();
    void rollback();

private:
    struct Prepared;
    bool prepared();
    const Database &database_;
    std::unique_ptr<Prepared> p_;
    Database::Problem lastProblem_ = Database::Problem::NotWritable;
};

// The call path's own connection to Kolvane.mdb, kept from call to call with its statements
// prepared: opened at the first call, opened again when the file is gone, replaced or no
// longer writable (so the reason is told as before), and closed while the file is compacted.
class CallConnection {
public:
    CallConnection();
    ~CallConnection();
    CallConnection(const CallConnection &) = delete;
    CallConnection &operator=(const CallConnection &) = delete;

    // The statements on the file at `path`, opening it when needed; null when it cannot be
    // used (problem() tells why).
    CallStatements *use(const QString &path);
    bool isOpen() const;
    // Why the file could not be used at the last use(); None when it is open.
    Database::Problem problem() const;
    QString path() const { return path_; }
    // The open file (for the rare change outside the prepared statements); null when closed.
    const Database *database() const { return statements_ ? database_.get() : nullptr; }
    // Lets the file go (before compaction and at the end of the run).
    void close();

private:
    bool stillTheFile() const;

    QString path_;
    qint64 birth_ = 0;
    std::unique_ptr<Database> database_;
    std::unique_ptr<CallStatements> statements_;
};

} // namespace db
