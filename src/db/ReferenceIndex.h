#pragma once

#include "db/ReferenceDatabase.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

// The reference phonebook the settings name: its file and where its values are.
struct ReferenceSource {
    QString path; // absolute
    ReferenceFields fields;
    bool isEmpty() const { return path.isEmpty(); }
    bool operator==(const ReferenceSource &o) const { return path == o.path && fields == o.fields; }
    bool operator!=(const ReferenceSource &o) const { return !(*this == o); }
};

// What says a file has changed: its size and its times, as the file system keeps them.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    qint64 modifiedMs = 0; // content written
    qint64 changedMs = 0;  // content or entry changed (a file put in place by a rename)
    static FileStamp of(const QString &path);
    bool operator==(const FileStamp &o) const {
        return exists == o.exists && size == o.size && modifiedMs == o.modifiedMs &&
               changedMs == o.changedMs;
    }
    bool operator!=(const FileStamp &o) const { return !(*this == o); }
};

// The rows of one reference phonebook by the digits of their phone (NumberKey), read once,
// so that a call is looked up in memory instead of by reading the whole table. Immutable once
// built; shared by the index and a lookup in progress.
//
// Only what finds a row is held: its key and where it is. In an SQLite table that is its
// rowid, and the one row found is read back from the file (microseconds); an Access file is
// read by a child process far too slow for a call, so its rows' values are held in a pool.
class ReferenceTable {
public:
    // The rows of an Access file (or an SQLite view) as the file gives them, in its order.
    void add(const QByteArray &phone, const QByteArray &name, const QByteArray &address,
             const QByteArray &zip);
    // The rows of an SQLite table, in its order. Not mixed with add().
    void addRowid(const QByteArray &phone, qint64 rowid);
    // Sorts what was added; false when the rows are too many for the index (then unused).
    bool finish();

    // Whether the rows are found by rowid (read back from the file) rather than held.
    bool byRowid() const { return byRowid_; }
    // As the scan answers, for a number with at least one digit: of the held rows whose digits
    // are the number's, the first whose phone is the number exactly, else the first of them.
    std::optional<ReferenceRow> find(const QString &number) const;
    // Of a table found by rowid: the rowids of the number's digits, first in the file first.
    std::vector<qint64> rowidsOf(const QString &number) const;

    qsizetype rowCount() const { return qsizetype(entries_.size() + longEntries_.size()); }
    // The memory held by the index, in bytes.
    qsizetype bytes() const;

    ReferenceSource source_;
    FileStamp stamp_; // the file as it was when reading began

private:
    // Keys of up to 18 digits are held as a number: a leading 1, then the digits, so that
    // "03…" and "3…" differ.
    static constexpr int NumericKeyDigits = 18;
    // Twelve bytes a row: the key in two halves keeps the entry free of padding.
    struct Entry {
        quint32 keyHigh, keyLow;
        quint32 place; // the row's offset in pool_, or its rowid
        quint64 key() const { return (quint64(keyHigh) << 32) | keyLow; }
    };
    struct LongEntry {
        QString key;
        quint32 place;
    };
    void addPlace(const QString &key, quint64 place);
    std::vector<quint32> placesOf(const QString &number) const;
    // The field at offset, which is moved past it.
    QByteArrayView field(quint32 &offset) const;
    ReferenceRow rowAt(quint32 offset) const;

    std::vector<Entry> entries_;
    std::vector<LongEntry> longEntries_;
    // Every held row's phone, name, address and postal code, each as a length and UTF-8.
    QByteArray pool_;
    bool byRowid_ = false;
    bool tooLarge_ = false;
};

// Keeps the index of the reference phonebook the settings name: built on a thread of its own
// (the Access reader in its child process) when the source is set or its file changes, used by
// the call path once built. It lives on the thread of the call path; find() never waits.
class ReferenceIndex : public QObject {
    Q_OBJECT
public:
    enum class State {
        Off,      // no reference phonebook chosen
        Building, // being read; lookups scan meanwhile
        Ready,    // lookups use the index
        Failed,   // not indexed: lookups find nothing when the file, table or columns do not
                  // read, and scan when it held too many rows
    };
    Q_ENUM(State)

    // A whole Access table is read in one visit of the child process: far longer than one
    // lookup there, and still an end to a file that makes libmdb loop.
    static constexpr int AccessBuildTimeoutMs = 120000;
    // How often the file is looked at for a change, besides at each lookup.
    static constexpr int CheckIntervalMs = 5000;

    explicit ReferenceIndex(QObject *parent = nullptr);
    // Cancels a build in progress and waits for it (a tenth of a second for the child process).
    ~ReferenceIndex() override;

    // The phonebook to index. A different source drops the index and builds anew; the same
    // source only has its file looked at. An empty source (none chosen) drops it.
    void setSource(const ReferenceSource &source);
    const ReferenceSource &source() const { return source_; }
    State state() const { return state_; }
    // Why the last build failed.
    const QString &failure() const { return failure_; }
    // The index in force (null while there is none), for figures and tests.
    std::shared_ptr<const ReferenceTable> table() const { return table_; }

    enum class Answer {
        Scan,     // the index cannot say: not built for this source, or the file changed since
        Found,    // *row set
        NotFound, // no row has the number's digits
    };
    // The number's row by the index, when it is built for `source` and the file is as it was
    // read; a changed file is indexed anew (and Scan is answered until then).
    Answer find(const ReferenceSource &source, const QString &number, ReferenceRow *row);

    // Looks at the file now; a changed one is indexed anew.
    void checkFile();

signals:
    void stateChanged(ReferenceIndex::State state);

private:
    struct Build {
        std::thread thread;
        std::atomic<bool> cancelled{false};
        std::atomic<bool> done{false};
    };
    void startBuild();
    void buildDone(quint64 generation, std::shared_ptr<ReferenceTable> table,
                   const QString &failure, const FileStamp &stamp, bool unreadable);
    void cancelBuilds();
    void reapBuilds();
    void setState(State state);
    Answer readBack(const QString &number, ReferenceRow *row);

    ReferenceSource source_;
    State state_ = State::Off;
    QString failure_;
    FileStamp failedStamp_; // the file as the failed build found it
    // The failed build could not read the file, table or columns (not: too many rows, or the
    // file changed meanwhile): lookups find nothing in it rather than scan.
    bool failedUnreadable_ = false;
    std::shared_ptr<const ReferenceTable> table_;
    // The file the rows found by rowid are read back from, opened at the first such lookup.
    std::unique_ptr<ReferenceDatabase> rowReader_;
    quint64 generation_ = 0; // of the build whose result counts
    std::vector<std::unique_ptr<Build>> builds_;
    QTimer check_;
};
