#pragma once

#include <QObject>
#include <QString>

class QThread;

namespace db {

// Compaction of the call database in its folder: "Kolvane.mdb" is rewritten into a fresh
// "KolvaneNEW.mdb", the copy is checked, the file becomes "KolvaneOLD.mdb" (the one backup
// kept) and the copy takes its name. A step that fails leaves "Kolvane.mdb" in place,
// unchanged and usable, and says what failed.
class Compaction {
public:
    enum class Step { None, RemoveLeftovers, WriteCopy, CheckCopy, SetAsideOld, PutCopyInPlace };

    explicit Compaction(const QString &folder);

    QString databasePath() const; // Kolvane.mdb
    QString copyPath() const;     // KolvaneNEW.mdb
    QString backupPath() const;   // KolvaneOLD.mdb

    // Removing leftovers: a copy left by an interrupted run and the previous backup are removed.
    bool RemoveLeftovers();
    // Writing the copy: every table, index and row written afresh into the copy, with the same page
    // size, encoding and journal, and the copy checked (integrity, schema, row counts) before it
    // may replace anything. Writers are held off meanwhile, so no row is left behind.
    bool WriteCompactedCopy();
    // Putting the copy in place: the two renames, when no one has written to the file since it was
    // copied and its log is folded in; when the second rename is refused the first is undone.
    bool PutCopyInPlace();
    // A partial or refused copy is removed.
    void RemoveCopy();
    // The whole compaction, with the copy removed after any failure.
    bool Run();

    Step failedStep() const { return failedStep_; }
    // What failed, for the user.
    QString failure() const { return failure_; }

    // Tests: the next run fails at `step` as if the system had refused it (the copy is still
    // written for WriteCopy, and the first rename done for PutCopyInPlace).
    static void failNextRunAtForTest(Step step);

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
