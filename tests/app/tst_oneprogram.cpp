// One program per folder: the lock of the folder, its take-over from a program that is gone,
// the request to show the running window, and the real program started a second time.
#include "db/Database.h"
#include "platform/desktop/ProgramLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <signal.h>

Q_DECLARE_METATYPE(ProgramLock::Outcome)

namespace {

QProcessEnvironment offscreen(const QString &home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home);
    return env;
}

// Every file of the folder with a digest of its bytes.
QMap<QString, QByteArray> filesOf(const QString &folder) {
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        QFile f(QDir(folder).filePath(name));
        QCryptographicHash h(QCryptographicHash::Sha256);
        if (f.open(QIODevice::ReadOnly))
            h.addData(&f);
        files[name] = h.result();
    }
    return files;
}

qint64 lockOwner(const QString &folder) {
    QLockFile lock(ProgramLock::lockPath(folder));
    qint64 pid = 0;
    QString host, app;
    return lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}

} // namespace

class OneProgramTest : public QObject {
    Q_OBJECT
private slots:
    // What a start finds in the folder.
    void acquire_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<ProgramLock::Outcome>("outcome");
        QTest::newRow("a free folder") << "none" << ProgramLock::Outcome::Acquired;
        QTest::newRow("a running program") << "program" << ProgramLock::Outcome::AskedToShow;
        QTest::newRow("a lock without a window") << "lock" << ProgramLock::Outcome::AlreadyRunning;
        QTest::newRow("the lock of a program that is gone")
            << "dead" << ProgramLock::Outcome::Acquired;
    }
    void acquire() {
        QFETCH(QString, holder);
        QFETCH(ProgramLock::Outcome, outcome);
        QTemporaryDir dir;
        std::unique_ptr<ProgramLock> running;
        std::unique_ptr<QLockFile> bare;
        if (holder == "program") {
            running = std::make_unique<ProgramLock>(dir.path());
            QCOMPARE(running->acquire(), ProgramLock::Outcome::Acquired);
        } else if (holder == "lock") {
            bare = std::make_unique<QLockFile>(ProgramLock::lockPath(dir.path()));
            QVERIFY(bare->tryLock(0));
        } else if (holder == "dead") {
            QProcess gone;
            gone.start("true");
            QVERIFY(gone.waitForStarted());
            const qint64 pid = gone.processId();
            QVERIFY(gone.waitForFinished());
            QFile f(ProgramLock::lockPath(dir.path()));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::number(pid) + "\nkolvane\n" + QSysInfo::machineHostName().toUtf8() +
                    "\n");
        }
        std::unique_ptr<QSignalSpy> shown;
        if (running)
            shown = std::make_unique<QSignalSpy>(running.get(), &ProgramLock::showRequested);
        ProgramLock second(dir.path());
        QCOMPARE(second.acquire(), outcome);
        if (shown)
            QVERIFY(shown->size() == 1 || shown->wait());
    }

    // The real program started twice on one folder: the second ends with status 1 and writes
    // nothing; an export runs beside the first as before; a program killed leaves a lock the
    // next start takes over.
    void secondStartOfTheProgram() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        QVERIFY(QDir().mkpath(folder));
        QProcess first;
        first.setProcessEnvironment(offscreen(dir.filePath("data")));
        first.start(QStringLiteral(KOLVANE_BINARY), {"--folder", folder});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(lockOwner(folder) == first.processId(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder + "/Kolvane.mdb"), 30000);
        // The first program has made its files when they stay the same for a while (a slow
        // machine may still be writing the new database's journal).
        QMap<QString, QByteArray> before;
        const auto settled = [&] {
            before = filesOf(folder);
            QTest::qWait(500);
            return !before.contains(QStringLiteral("Kolvane.mdb-journal")) &&
                   filesOf(folder) == before;
        };
        QTRY_VERIFY_WITH_TIMEOUT(settled(), 30000);

        QProcess second;
        second.setProcessEnvironment(offscreen(dir.filePath("data")));
        second.start(QStringLiteral(KOLVANE_BINARY), {"--folder", folder});
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("already running"));
        QCOMPARE(filesOf(folder), before);

        QProcess exporting;
        exporting.setProcessEnvironment(offscreen(dir.filePath("data")));
        exporting.start(QStringLiteral(KOLVANE_BINARY),
                        {"--folder", folder, "--export-history", dir.filePath("out.csv")});
        QVERIFY(exporting.waitForFinished(60000));
        QCOMPARE(exporting.exitCode(), 0);

        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(60000));
        QProcess next;
        next.setProcessEnvironment(offscreen(dir.filePath("data")));
        next.start(QStringLiteral(KOLVANE_BINARY), {"--folder", folder});
        QVERIFY(next.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(lockOwner(folder) == next.processId(), 30000);
        next.terminate();
        QVERIFY(next.waitForFinished(60000));
        QCOMPARE(next.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(ProgramLock::lockPath(folder)));
    }
};

QTEST_MAIN(OneProgramTest)
#include "tst_oneprogram.moc"
