#pragma once

#include <QObject>
#include <QString>

class QThread;

namespace db {

// Compaction of the call database in its folder: "Kolvane.mdb" is rewritten into a fresh
// "KolvaneNEW.mdb", the copy is checked, the file gets a second name "KolvaneOLD.mdb" (the one
// backup kept) and the copy is renamed over "Kolvane.mdb" in one step, so "Kolvane.mdb" is
// there at every instant, even when the program is killed midway. A step that fails leaves
// "Kolvane.mdb" in place, unchanged and usable, and says what failed.
class Compaction {
public:
    enum class Step { None, RemoveLeftovers, WriteCopy, CheckCopy, SetAsideOld, PutCopyInPlace };

    explicit Compaction(const QString &folder);

    QString databasePath() const; // Kolvane.mdb
    QString copyPath() const;     // KolvaneNEW.mdb
    QString backupPath() const;   // KolvaneOLD.mdb

    // Removing leftovers: a copy left by an interrupted run and the previous backup are removed,
    // once Kolvane.mdb itself has been checked (they may be all that is left of the calls).
    bool RemoveLeftovers();
    // Writing the copy: every table, index and row written afresh into the copy, with the same page
    // size, encoding and journal, and the copy checked (integrity, schema, row counts) before it
    // may replace anything. Writers are held off meanwhile, so no row is left behind.
    bool WriteCompactedCopy();
    // Putting the copy in place: the backup name linked to the file, then the copy renamed over
    // it, when no one has written to the file since it was copied and its log is folded in; when
    // the rename is refused the backup name goes again.
    bool PutCopyInPlace();
    // A partial or refused copy is removed.
    void RemoveCopy();
    // The whole compaction, with the copy removed after any failure.
    bool Run();

    Step failedStep() const { return failedStep_; }
    // What failed, for the user.
    QString failure() const { return failure_; }

    // Tests: the next run fails at `step` as if the system had refused it (the copy is still
    // written for WriteCopy, and the backup linked for PutCopyInPlace).
    static void failNextRunAtForTest(Step step);
    // Tests: the next run stops for good once `step` is done, undoing nothing, as when the
    // program is killed there.
    static void abandonNextRunAfterForTest(Step step);

private:
    bool fail(Step step, const QString &what, const QString &detail = QString());

    QString folder_;
    // Kolvane.mdb as the copy left it (its log folded in): a write after the copy would be
    // lost by the renames, so it stops them.
    qint64 copiedSize_ = -1;
    qint64 copiedModified_ = -1;
    Step failedStep_ = Step::None;
    QString failure_;
};

// What the start found when "Kolvane.mdb" was missing.
struct TakeBack {
    enum class Outcome { NothingMissing, FromCopy, FromBackup, NoneIntact, NothingToTake };
    Outcome outcome = Outcome::NothingMissing;
    // What was done, for the user and the log; empty when nothing was.
    QString message;
};

// At start, before anything opens the call database: when "Kolvane.mdb" is missing but a
// compaction left "KolvaneNEW.mdb" or "KolvaneOLD.mdb", the first that passes its integrity
// check becomes "Kolvane.mdb" again, so no empty file is made beside the calls. One that fails
// is kept as "<name>.damaged", out of the next compaction's way.
TakeBack TakeBackCallDatabase(const QString &folder);

// Runs a Compaction off the window's thread, so the windows keep working while a large file
// is copied; finished() comes back on the thread that started it.
class CompactionJob : public QObject {
    Q_OBJECT
public:
    explicit CompactionJob(const QString &folder, QObject *parent = nullptr);
    // Waits for a copy still being written.
    ~CompactionJob() override;

    void start();
    bool isRunning() const;

signals:
    void finished(bool ok, const QString &failure);

private:
    Compaction compaction_;
    QThread *thread_ = nullptr;
    bool ok_ = false;
};

} // namespace db
