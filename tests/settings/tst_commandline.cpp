// The command line: where AppFolder is (--folder, the build tree, an installed program), what
// is refused, and that --help and --version of the real program create nothing.
#include "settings/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

QStringList entries(const QString &folder) {
    QStringList all;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all << it.next();
    return all;
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("messagePart");
        const int run = int(CommandLine::Outcome::Run);
        const int print = int(CommandLine::Outcome::Print);
        const int fail = int(CommandLine::Outcome::Fail);
        QTest::newRow("none") << QStringList{} << run << "";
        QTest::newRow("help") << QStringList{"--help"} << print << "--folder <dir>";
        QTest::newRow("-h") << QStringList{"-h"} << print << "--log <file>";
        QTest::newRow("version") << QStringList{"--version"} << print << "Kolvane 1.0";
        QTest::newRow("unknown") << QStringList{"--fodler", "x"} << fail << "fodler";
        QTest::newRow("unknown short") << QStringList{"-x"} << fail << "'x'";
        QTest::newRow("folder without value") << QStringList{"--folder"} << fail << "folder";
        QTest::newRow("empty folder") << QStringList{"--folder="} << fail << "needs a folder";
        QTest::newRow("positional") << QStringList{"stray"} << fail << "stray";
        QTest::newRow("folder twice")
            << QStringList{"--folder", "/a", "--folder", "/b"} << fail << "once";
        QTest::newRow("log") << QStringList{"--log", "x.log"} << run << "";
        QTest::newRow("export history") << QStringList{"--export-history", "a.csv"} << run << "";
        QTest::newRow("transfer without file")
            << QStringList{"--import-phonebook="} << fail << "needs a file";
        QTest::newRow("two transfers")
            << QStringList{"--export-history", "a.csv", "--export-phonebook", "b.vcf"} << fail
            << "once";
        QTest::newRow("transfer twice")
            << QStringList{"--import-phonebook", "a.vcf", "--import-phonebook", "b.vcf"} << fail
            << "once";
    }
    void outcomes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, outcome);
        QFETCH(QString, messagePart);
        const CommandLine c =
            ParseCommandLine(QStringList{"kolvane"} + arguments, {"/nowhere/bin", "/home/u"});
        QCOMPARE(int(c.outcome), outcome);
        QVERIFY2(c.message.contains(messagePart), qPrintable(c.message));
    }

    void transferFileIsAbsolute() {
        const CommandLine c = ParseCommandLine({"kolvane", "--export-phonebook", "out.vcf"},
                                               {"/nowhere/bin", "/home/u"});
        QCOMPARE(int(c.exchange), int(CommandLine::Exchange::ExportPhonebook));
        QCOMPARE(c.exchangeFile, QDir::current().absoluteFilePath("out.vcf"));
    }

    // The three places of AppFolder.
    void appFolder() {
        QTemporaryDir dir;
        const QString build = dir.filePath("build");
        QVERIFY(QDir().mkpath(build));
        const QString installed = dir.filePath("usr/bin");
        QVERIFY(QDir().mkpath(installed));
        QVERIFY(QDir().mkpath(dir.filePath("usr/share/applications")));
        QFile entry(dir.filePath("usr/share/applications/io.kolvane.Kolvane.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.close();
        const QString data = dir.filePath("home/.local/share");

        CommandLine c = ParseCommandLine({"kolvane"}, {build, data});
        QCOMPARE(c.appFolder, build);
        QVERIFY(!c.folderGiven);

        c = ParseCommandLine({"kolvane"}, {installed, data});
        QCOMPARE(c.appFolder, data + "/kolvane");

        c = ParseCommandLine({"kolvane", "--folder", dir.filePath("x/")}, {installed, data});
        QCOMPARE(c.appFolder, dir.filePath("x"));
        QVERIFY(c.folderGiven);

        c = ParseCommandLine({"kolvane", "--folder=" + dir.filePath("y")}, {build, data});
        QCOMPARE(c.appFolder, dir.filePath("y"));

        if (geteuid() != 0) {
            // A program folder that is not writable is an installed one.
            const QString locked = dir.filePath("locked");
            QVERIFY(QDir().mkpath(locked));
            QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
            c = ParseCommandLine({"kolvane"}, {locked, data});
            QCOMPARE(c.appFolder, data + "/kolvane");
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void prepareAppFolder() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(PrepareAppFolder(dir.filePath("new"), false, &error));
        QVERIFY(QFileInfo(dir.filePath("new")).isDir());
        QVERIFY(!PrepareAppFolder(dir.filePath("no/such"), false, &error));
        QVERIFY(error.contains(dir.filePath("no")));
        QVERIFY(!QFileInfo::exists(dir.filePath("no")));
        QVERIFY(PrepareAppFolder(dir.filePath("a/b/kolvane"), true, &error));
        QVERIFY(QFileInfo(dir.filePath("a/b/kolvane")).isDir());
        QFile file(dir.filePath("plain"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!PrepareAppFolder(dir.filePath("plain"), false, &error));
    }

    // The real program: what it prints, its exit status, and the files it leaves.
    void program_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--folder"
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "Kolvane 1.0"
                                 << "";
        QTest::newRow("help with folder")
            << QStringList{"--folder", "@/made", "--help"} << 0 << "--folder"
            << "";
        QTest::newRow("unknown") << QStringList{"--nonsense"} << 2 << ""
                                 << "nonsense";
        QTest::newRow("folder without parent") << QStringList{"--folder", "@/no/such"} << 2 << ""
                                               << "@/no";
    }
    void program() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        for (QString &a : arguments)
            a.replace("@", dir.path());
        err.replace("@", dir.path());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(KOLVANE_BINARY), arguments);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        const QString stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitCode(), status);
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        QCOMPARE(entries(dir.path()), QStringList());
    }

    // A --folder whose parent exists is made, and the program keeps its files there.
    void programMakesFolder() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        const QString log = dir.filePath("diag.log");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KOLVANE_BINARY), {"--folder", folder, "--log", log});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder + "/Kolvane.mdb"), 20000);
        p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QFileInfo::exists(folder + "/Kolvane.ini"));
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("log opened"));
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
