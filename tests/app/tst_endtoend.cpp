// The real program binary in a temporary program folder, with a simulated TA: calls are
// stored, and SIGTERM closes it as the close button does, writing its settings.
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "support/TaSim.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

QStringList storedNumbers(const QString &path) {
    QStringList numbers;
    // Opening a missing file would create it: only look once the program has made it.
    if (!QFileInfo(path).isFile())
        return numbers;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "e2e");
        d.setDatabaseName(path);
        if (d.open()) {
            QSqlQuery q(d);
            q.exec(QStringLiteral("SELECT 電番 FROM 着信履歴 ORDER BY 履歴ID"));
            while (q.next())
                numbers << q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("e2e"));
    return numbers;
}

// Every entry in `folder` whose mode lets anyone but the owner in, with its mode.
QStringList openToOthers(const QString &folder) {
    QStringList open;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries + QFileInfoList{QFileInfo(folder)}) {
        struct stat st {};
        if (::stat(QFile::encodeName(entry.absoluteFilePath()).constData(), &st) == 0 &&
            (st.st_mode & 077) != 0)
            open << QStringLiteral("%1 %2").arg(entry.fileName()).arg(st.st_mode & 0777, 0, 8);
    }
    return open;
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void callsAreStoredAndTerminationWritesSettings() {
        // The usual umask lets everyone read new files: the program's own must not.
        ::umask(022);
        QTemporaryDir top;
        const QString folder = QDir(top.path()).filePath(QStringLiteral("new folder"));
        QVERIFY(QDir().mkdir(folder));
        TaSim sim;
        QVERIFY(!sim.device().isEmpty());
        Settings s;
        s.ShowDate = 0;
        s.MainLeft = 1500;
        s.MainTop = 1200;
        s.PortName = sim.device();
        const QString ini = QDir(folder).filePath(QStringLiteral("Kolvane.ini"));
        QVERIFY(WriteSettingsFile(ini, s));

        QProcess program;
        program.setProgram(QStringLiteral(KOLVANE_BINARY));
        const QString log = QDir(folder).filePath(QStringLiteral("calls.log"));
        program.setArguments({QStringLiteral("--folder"), folder, QStringLiteral("--log"), log});
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start();
        QVERIFY(program.waitForStarted(10000));
        // The link is up once the TA has been sent its set-up command.
        QTRY_VERIFY_WITH_TIMEOUT(sim.received().contains("at$a16=1\r"), 10000);
        // Whatever arrives in the 300 ms after the command is taken as the TA's answer and
        // dropped; give the program ample time past it.
        QTest::qWait(1500);

        const QString mdb = QDir(folder).filePath(QStringLiteral("Kolvane.mdb"));
        sim.send("0471234567 0312349876\n");
        QTRY_COMPARE_WITH_TIMEOUT(storedNumbers(mdb).size(), 1, 10000);
        sim.send("P\n");
        QTRY_COMPARE_WITH_TIMEOUT(storedNumbers(mdb).size(), 2, 10000);
        QCOMPARE(storedNumbers(mdb), (QStringList{"0471234567", "ユーザ拒否"}));

        QFile::remove(ini);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        Settings back;
        QVERIFY(ReadSettingsFile(ini, back));
        QCOMPARE(back.PortName, sim.device());
        QCOMPARE(back.ShowDate, qint16(0));
        QCOMPARE(storedNumbers(mdb).size(), 2);

        // The history, the settings, the log and an export are the user's alone.
        const QString csv = QDir(folder).filePath(QStringLiteral("calls.csv"));
        QCOMPARE(QProcess::execute(
                     QStringLiteral(KOLVANE_BINARY),
                     {QStringLiteral("--folder"), folder, QStringLiteral("--export-history"), csv}),
                 0);
        QVERIFY(QFileInfo(csv).isFile());
        QCOMPARE(openToOthers(folder), QStringList{QStringLiteral("new folder 755")});
    }

    void aFolderTheProgramMakesIsTheUsersAlone() {
        ::umask(022);
        QTemporaryDir top;
        const QString folder = QDir(top.path()).filePath(QStringLiteral("made"));
        const QString csv = QDir(top.path()).filePath(QStringLiteral("calls.csv"));
        // A folder that is not there yet is made (though an export finds no calls in it).
        QProcess::execute(
            QStringLiteral(KOLVANE_BINARY),
            {QStringLiteral("--folder"), folder, QStringLiteral("--export-history"), csv});
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(openToOthers(folder), QStringList());
    }
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
