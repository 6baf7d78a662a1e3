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

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void callsAreStoredAndTerminationWritesSettings() {
        QTemporaryDir dir;
        TaSim sim;
        QVERIFY(!sim.device().isEmpty());
        Settings s;
        s.ShowDate = 0;
        s.MainLeft = 1500;
        s.MainTop = 1200;
        s.PortName = sim.device();
        const QString ini = QDir(dir.path()).filePath(QStringLiteral("Kolvane.ini"));
        QVERIFY(WriteSettingsFile(ini, s));

        QProcess program;
        program.setProgram(QStringLiteral(KOLVANE_BINARY));
        program.setArguments({QStringLiteral("--folder"), dir.path()});
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start();
        QVERIFY(program.waitForStarted(10000));
        // The link is up once the TA has been sent its set-up command.
        QTRY_VERIFY_WITH_TIMEOUT(sim.received().contains("at$a16=1\r"), 10000);
        // Whatever arrives in the 300 ms after the command is taken as the TA's answer and
        // dropped; give the program ample time past it.
        QTest::qWait(1500);

        const QString mdb = QDir(dir.path()).filePath(QStringLiteral("Kolvane.mdb"));
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
    }
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
