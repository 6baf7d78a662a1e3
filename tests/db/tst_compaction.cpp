// Compaction of Kolvane.mdb in a folder of its own: the copy holds every row and passes its
// check, the previous file is kept as the one backup, and every failing step leaves
// Kolvane.mdb where it was, unchanged and usable.
#include "db/Compaction.h"
#include "db/Database.h"
#include "support/PhonebookRows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <memory>

using db::Compaction;

Q_DECLARE_METATYPE(Compaction::Step)
Q_DECLARE_METATYPE(db::TakeBack::Outcome)

namespace {

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Row counts and a digest of every row of the three tables, through the program's own
// connection.
struct Content {
    int history = -1, entries = -1, numbers = -1;
    QByteArray digest;
    bool operator==(const Content &o) const {
        return history == o.history && entries == o.entries && numbers == o.numbers &&
               digest == o.digest;
    }
};

Content contentOf(const QString &path) {
    Content c;
    db::Database d(path);
    if (!d.isOpen())
        return c;
    QSqlQuery q(d.sqlDatabase());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto read = [&](const QString &sql) {
        int n = 0;
        q.exec(sql);
        while (q.next()) {
            ++n;
            for (int i = 0; i < 9; ++i)
                hash.addData(q.value(i).toString().toUtf8() + '\x1f');
        }
        return n;
    };
    c.history = read(QStringLiteral("SELECT * FROM 着信履歴 ORDER BY 履歴ID"));
    c.entries = read(QStringLiteral("SELECT * FROM 住所録 ORDER BY ID"));
    c.numbers = read(QStringLiteral("SELECT * FROM 電話番号 ORDER BY TelID"));
    c.digest = hash.result();
    return c;
}

// Folds the log that the program's connections leave beside the file into the file itself,
// so the file's bytes are the whole database.
void foldLog(const QString &path) {
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fold");
        d.setDatabaseName(path);
        if (d.open()) {
            QSqlQuery q(d);
            q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        }
        d.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fold"));
}

QString pragmaOf(const QString &path, const QString &name) {
    QString value;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "pragma");
        d.setDatabaseName(path);
        if (d.open()) {
            QSqlQuery q(d);
            if (q.exec(QStringLiteral("PRAGMA ") + name) && q.next())
                value = q.value(0).toString();
        }
        d.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pragma"));
    return value;
}

} // namespace

class CompactionTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        fill(400);
    }
    void cleanup() {
        Compaction::failNextRunAtForTest(Compaction::Step::None);
        Compaction::abandonNextRunAfterForTest(Compaction::Step::None);
        dir_.reset();
    }

    void copyHoldsEveryRowAndTheOldFileIsKept() {
        const Content before = contentOf(path());
        const QByteArray oldBytes = bytesOf(path());
        const qint64 oldSize = QFileInfo(path()).size();
        Compaction c(dir_->path());
        QVERIFY2(c.Run(), qPrintable(c.failure()));
        QCOMPARE(c.failedStep(), Compaction::Step::None);
        // Nothing beside the file: it alone holds every row.
        QVERIFY(!QFileInfo::exists(path() + QStringLiteral("-wal")));
        QVERIFY(!QFileInfo::exists(path() + QStringLiteral("-shm")));
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
        QCOMPARE(bytesOf(file("KolvaneOLD.mdb")), oldBytes);
        // Deleted rows leave free pages behind; the copy has none.
        QVERIFY(QFileInfo(path()).size() < oldSize);
        QCOMPARE(pragmaOf(path(), "integrity_check"), QStringLiteral("ok"));
        QCOMPARE(pragmaOf(path(), "freelist_count"), QStringLiteral("0"));
        QCOMPARE(pragmaOf(path(), "page_size"), pragmaOf(file("KolvaneOLD.mdb"), "page_size"));
        QCOMPARE(pragmaOf(path(), "encoding"), QStringLiteral("UTF-8"));
        QCOMPARE(pragmaOf(path(), "journal_mode"), QStringLiteral("wal"));
        QCOMPARE(contentOf(path()), before);
        // The copy is the user's alone, as the file it replaces was made.
        QCOMPARE(QFileInfo(path()).permissions() &
                     ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner | QFile::WriteOwner),
                 QFile::Permissions());
        // The indexes came along: the numbers are still searched, not scanned.
        QCOMPARE(pragmaOf(path(), "index_info(電話番号_電番)").isEmpty(), false);
        // The program goes on recording into it.
        {
            db::Database d(path());
            QVERIFY(d.isOpen());
            addEntry(d, QStringLiteral("後から"));
        }
        QCOMPARE(contentOf(path()).entries, before.entries + 1);
    }

    // Calls the program recorded last may still sit in the log beside the file: they are in
    // the copy, and in the backup too.
    void rowsInTheLogAreKept() {
        {
            db::Database d(path());
            addEntry(d, QStringLiteral("ログの中"));
        }
        QVERIFY(QFileInfo(path() + QStringLiteral("-wal")).size() > 0);
        const Content before = contentOf(path());
        Compaction c(dir_->path());
        QVERIFY2(c.Run(), qPrintable(c.failure()));
        QCOMPARE(contentOf(path()), before);
        QCOMPARE(contentOf(file("KolvaneOLD.mdb")), before);
        QVERIFY(!QFileInfo::exists(file("KolvaneOLD.mdb-wal")));
    }

    void secondCompactionKeepsOneBackup() {
        Compaction first(dir_->path());
        QVERIFY(first.Run());
        {
            db::Database d(path());
            addEntry(d, QStringLiteral("二回目の前"));
        }
        foldLog(path());
        const QByteArray between = bytesOf(path());
        Compaction second(dir_->path());
        QVERIFY2(second.Run(), qPrintable(second.failure()));
        QCOMPARE(bytesOf(file("KolvaneOLD.mdb")), between);
        const QStringList files = QDir(dir_->path()).entryList({QStringLiteral("Kolvane*")});
        QCOMPARE(files,
                 QStringList({QStringLiteral("Kolvane.mdb"), QStringLiteral("KolvaneOLD.mdb")}));
    }

    void leftoversAreRemovedFirst() {
        writeJunk(file("KolvaneNEW.mdb"));
        writeJunk(file("KolvaneNEW.mdb-wal"));
        writeJunk(file("KolvaneOLD.mdb-wal"));
        const Content before = contentOf(path());
        Compaction c(dir_->path());
        QVERIFY2(c.Run(), qPrintable(c.failure()));
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb-wal")));
        QVERIFY(!QFileInfo::exists(file("KolvaneOLD.mdb-wal")));
        QCOMPARE(contentOf(path()), before);
        QCOMPARE(contentOf(file("KolvaneOLD.mdb")), before);
    }

    // Whatever step fails, Kolvane.mdb stays as it was and no copy is left.
    void failingStepLeavesTheFile_data() {
        QTest::addColumn<Compaction::Step>("step");
        QTest::addColumn<bool>("backupRemoved");
        QTest::newRow("leftovers refused") << Compaction::Step::RemoveLeftovers << false;
        QTest::newRow("disk full while copying") << Compaction::Step::WriteCopy << true;
        QTest::newRow("copy fails its check") << Compaction::Step::CheckCopy << true;
        QTest::newRow("first rename refused") << Compaction::Step::SetAsideOld << true;
        QTest::newRow("second rename refused") << Compaction::Step::PutCopyInPlace << true;
    }
    void failingStepLeavesTheFile() {
        QFETCH(Compaction::Step, step);
        QFETCH(bool, backupRemoved);
        writeJunk(file("KolvaneOLD.mdb"));
        const QByteArray before = bytesOf(path());
        const Content content = contentOf(path());
        Compaction::failNextRunAtForTest(step);
        Compaction c(dir_->path());
        QVERIFY(!c.Run());
        QCOMPARE(c.failedStep(), step);
        QVERIFY(!c.failure().isEmpty());
        QCOMPARE(bytesOf(path()), before);
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
        QCOMPARE(QFileInfo::exists(file("KolvaneOLD.mdb")), !backupRemoved);
        QCOMPARE(contentOf(path()), content);
        // And the next compaction goes through.
        Compaction again(dir_->path());
        QVERIFY2(again.Run(), qPrintable(again.failure()));
        QCOMPARE(contentOf(path()), content);
    }

    // Killed at any point of a compaction, the program finds Kolvane.mdb whole at its next start
    // (nothing to take back), and the next compaction keeps every call.
    void killedMidwayKeepsEveryCall_data() {
        QTest::addColumn<Compaction::Step>("after");
        QTest::newRow("leftovers removed") << Compaction::Step::RemoveLeftovers;
        QTest::newRow("copy written and checked") << Compaction::Step::CheckCopy;
        QTest::newRow("backup linked") << Compaction::Step::SetAsideOld;
        QTest::newRow("copy in place") << Compaction::Step::PutCopyInPlace;
    }
    void killedMidwayKeepsEveryCall() {
        QFETCH(Compaction::Step, after);
        const Content before = contentOf(path());
        Compaction::abandonNextRunAfterForTest(after);
        Compaction killed(dir_->path());
        killed.Run();
        QVERIFY(QFileInfo(path()).isFile());
        QCOMPARE(db::TakeBackCallDatabase(dir_->path()).outcome,
                 db::TakeBack::Outcome::NothingMissing);
        QCOMPARE(contentOf(path()), before);
        Compaction next(dir_->path());
        QVERIFY2(next.Run(), qPrintable(next.failure()));
        QCOMPARE(contentOf(path()), before);
        QCOMPARE(contentOf(file("KolvaneOLD.mdb")), before);
    }

    // A folder without Kolvane.mdb but with what a cut-short compaction leaves: the first whole
    // file is taken back (the copy before the backup); a damaged one is kept aside, never
    // removed, and no empty file is made while a whole one is there.
    void startTakesTheCallsBack_data() {
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("backup");
        QTest::addColumn<db::TakeBack::Outcome>("outcome");
        QTest::addColumn<QStringList>("kept");
        using O = db::TakeBack::Outcome;
        QTest::newRow("both whole") << "whole"
                                    << "whole" << O::FromCopy << QStringList();
        QTest::newRow("copy alone") << "whole"
                                    << "none" << O::FromCopy << QStringList();
        QTest::newRow("backup alone") << "none"
                                      << "whole" << O::FromBackup << QStringList();
        QTest::newRow("copy damaged")
            << "junk"
            << "whole" << O::FromBackup << QStringList{"KolvaneNEW.mdb.damaged"};
        QTest::newRow("both damaged")
            << "junk"
            << "junk" << O::NoneIntact
            << QStringList{"KolvaneNEW.mdb.damaged", "KolvaneOLD.mdb.damaged"};
        QTest::newRow("nothing left") << "none"
                                      << "none" << O::NothingToTake << QStringList();
    }
    void startTakesTheCallsBack() {
        QFETCH(QString, copy);
        QFETCH(QString, backup);
        QFETCH(db::TakeBack::Outcome, outcome);
        QFETCH(QStringList, kept);
        const Content before = contentOf(path());
        for (const auto &[state, name] : {std::pair{copy, QStringLiteral("KolvaneNEW.mdb")},
                                          std::pair{backup, QStringLiteral("KolvaneOLD.mdb")}}) {
            if (state == QLatin1String("whole"))
                QVERIFY(QFile::copy(path(), file(name)));
            else if (state == QLatin1String("junk"))
                writeJunk(file(name));
        }
        QVERIFY(QFile::remove(path()));
        const db::TakeBack back = db::TakeBackCallDatabase(dir_->path());
        QCOMPARE(back.outcome, outcome);
        for (const QString &name : kept)
            QVERIFY2(QFileInfo::exists(file(name)), qPrintable(name));
        if (outcome == db::TakeBack::Outcome::FromCopy ||
            outcome == db::TakeBack::Outcome::FromBackup) {
            QVERIFY(back.message.contains(outcome == db::TakeBack::Outcome::FromCopy
                                              ? QStringLiteral("KolvaneNEW.mdb")
                                              : QStringLiteral("KolvaneOLD.mdb")));
            QCOMPARE(contentOf(path()), before);
            Compaction next(dir_->path());
            QVERIFY2(next.Run(), qPrintable(next.failure()));
            QCOMPARE(contentOf(path()), before);
        } else {
            QVERIFY(!QFileInfo::exists(path()));
            QCOMPARE(back.message.isEmpty(), kept.isEmpty());
        }
    }

    // Leftovers stay while Kolvane.mdb itself fails its check: they may hold the only calls.
    void leftoversStayBesideADamagedFile() {
        QVERIFY(QFile::copy(path(), file("KolvaneNEW.mdb")));
        QVERIFY(QFile::copy(path(), file("KolvaneOLD.mdb")));
        damage(path());
        Compaction c(dir_->path());
        QVERIFY(!c.Run());
        QCOMPARE(c.failedStep(), Compaction::Step::RemoveLeftovers);
        QVERIFY(QFileInfo::exists(file("KolvaneNEW.mdb")));
        QVERIFY(QFileInfo::exists(file("KolvaneOLD.mdb")));
    }

    // A leftover that cannot be removed (a folder of that name) stops before anything else.
    void leftoverThatCannotBeRemoved() {
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("KolvaneNEW.mdb/inside")));
        const QByteArray before = bytesOf(path());
        Compaction c(dir_->path());
        QVERIFY(!c.Run());
        QCOMPARE(c.failedStep(), Compaction::Step::RemoveLeftovers);
        QVERIFY(c.failure().contains(QStringLiteral("KolvaneNEW.mdb")));
        QCOMPARE(bytesOf(path()), before);
        QVERIFY(!QFileInfo::exists(file("KolvaneOLD.mdb")));
    }

    // A file damaged inside cannot be copied whole: the copy fails and is removed.
    void damagedFileIsNotReplaced() {
        damage(path());
        const QByteArray before = bytesOf(path());
        Compaction c(dir_->path());
        QVERIFY(!c.Run());
        QVERIFY(c.failedStep() == Compaction::Step::WriteCopy ||
                c.failedStep() == Compaction::Step::CheckCopy);
        QCOMPARE(bytesOf(path()), before);
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
        QVERIFY(!QFileInfo::exists(file("KolvaneOLD.mdb")));
    }

    // A connection still open on the file (a window that did not let go) keeps it in place:
    // the new file would otherwise be read with the old one's log.
    void fileStillOpenIsNotReplaced() {
        db::Database holder(path());
        QVERIFY(holder.isOpen());
        addEntry(holder, QStringLiteral("開いたまま"));
        const Content content = contentOf(path());
        Compaction c(dir_->path());
        QVERIFY(!c.Run());
        QCOMPARE(c.failedStep(), Compaction::Step::SetAsideOld);
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
        QVERIFY(!QFileInfo::exists(file("KolvaneOLD.mdb")));
        QCOMPARE(contentOf(path()), content);
        holder.close();
    }

    void missingFileIsNotCreated() {
        QVERIFY(QFile::remove(path()));
        Compaction c(dir_->path());
        QVERIFY(!c.Run());
        QCOMPARE(c.failedStep(), Compaction::Step::WriteCopy);
        QVERIFY(!QFileInfo::exists(path()));
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
    }

    // The job copies on a thread of its own and reports back on the caller's thread.
    void jobRunsOffTheCallersThread() {
        const Content before = contentOf(path());
        db::CompactionJob job(dir_->path());
        QThread *reportedOn = nullptr;
        connect(&job, &db::CompactionJob::finished, this,
                [&](bool, const QString &) { reportedOn = QThread::currentThread(); });
        QSignalSpy finished(&job, &db::CompactionJob::finished);
        job.start();
        // The report needs this thread's event loop: it cannot have come yet.
        QCOMPARE(finished.size(), 0);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().at(0).toBool(), true);
        QCOMPARE(reportedOn, QThread::currentThread());
        QVERIFY(!job.isRunning());
        QCOMPARE(contentOf(path()), before);
        QVERIFY(QFileInfo::exists(file("KolvaneOLD.mdb")));
    }

private:
    QString file(const QString &name) const { return QDir(dir_->path()).filePath(name); }
    QString path() const { return file(QStringLiteral("Kolvane.mdb")); }

    static void damage(const QString &path) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 size = f.size();
        QVERIFY(size > 8 * 4096);
        f.seek(size / 2 / 4096 * 4096);
        f.write(QByteArray(4096 * 2, '\xA5'));
    }

    static void writeJunk(const QString &path) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
    }

    // Entries with numbers and calls, then half of the calls deleted: free pages to reclaim.
    void fill(int calls) {
        db::Database d(path());
        QVERIFY(d.isOpen());
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(d.sqlDatabase().transaction());
        for (int i = 0; i < 40; ++i) {
            const int id = addEntry(d, QStringLiteral("名前%1").arg(i),
                                    i % 3 ? QStringLiteral("東京都%1").arg(i) : QString());
            addNumber(d, id, QStringLiteral("03%1").arg(1000000 + i),
                      i % 2 ? QStringLiteral("自宅") : QString());
        }
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, "
                                         "着信者ID, メモ) VALUES (?, ?, ?, ?, ?, ?, ?)")));
        for (int i = 0; i < calls; ++i) {
            q.addBindValue(i);
            q.addBindValue(QStringLiteral("2026/12/08"));
            q.addBindValue(QStringLiteral("10:%1").arg(i % 60));
            q.addBindValue(QStringLiteral("03%1").arg(1000000 + i % 50));
            q.addBindValue(i % 5 ? QVariant(QStringLiteral("名前")) : QVariant());
            q.addBindValue(i % 40);
            q.addBindValue(QString(200, QChar(u'メ')));
            QVERIFY(q.exec());
        }
        QVERIFY(q.exec(QStringLiteral("DELETE FROM 着信履歴 WHERE 履歴ID % 2 = 0")));
        QVERIFY(d.sqlDatabase().commit());
        q.finish();
        d.close();
        foldLog(path());
        QVERIFY(!QFileInfo::exists(path() + QStringLiteral("-wal")));
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(CompactionTest)
#include "tst_compaction.moc"
