// `kolvane --folder DIR --export-history FILE`, run as the real program: what it prints, its
// exit status, the file it writes (read back by Python's csv module), what it refuses, and that
// it works beside another connection holding Kolvane.mdb without changing the file.
#include "db/Database.h"
#include "support/CsvReadBack.h"
#include "support/ReadOnlyFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

Run kolvane(const QStringList &arguments, const QString &home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KOLVANE_BINARY), arguments);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QByteArray hashOf(const QString &path) {
    QFile f(path);
    QCryptographicHash h(QCryptographicHash::Sha256);
    return f.open(QIODevice::ReadOnly) && h.addData(&f) ? h.result().toHex() : QByteArray();
}

// Calls 1..n: number "03" + id; every third has a memo with a comma, a quote and a line break.
bool seed(const QString &path, int n) {
    db::Database d(path);
    if (!d.isOpen())
        return false;
    QSqlDatabase s = d.sqlDatabase();
    QSqlQuery q(s);
    s.transaction();
    for (int id = 1; id <= n; ++id) {
        q.prepare(QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 着信者ID, "
                                 "メモ) VALUES (?, '2024/06/01', '12:00:00', ?, ?, 0, ?)"));
        q.addBindValue(id);
        q.addBindValue(QStringLiteral("03%1").arg(id));
        q.addBindValue(QStringLiteral("名前%1").arg(id));
        q.addBindValue(id % 3 == 0 ? QVariant(QStringLiteral("折り返し, \"至急\"\r\n%1").arg(id))
                                   : QVariant(QMetaType(QMetaType::QString)));
        if (!q.exec())
            return false;
    }
    return s.commit();
}

QList<QStringList> expectedRows(int n) {
    QList<QStringList> rows = {
        {"日時", "時間", "電番", "氏名", "住所", "郵便番号", "メモ", "迷惑理由"}};
    for (int id = n; id >= 1; --id)
        rows.append({"2024/06/01", "12:00:00", QStringLiteral("03%1").arg(id),
                     QStringLiteral("名前%1").arg(id), "", "",
                     id % 3 == 0 ? QStringLiteral("折り返し, \"至急\"\r\n%1").arg(id) : "", ""});
    return rows;
}

} // namespace

class ExportHistoryProgramTest : public QObject {
    Q_OBJECT
private slots:
    // Beside another connection: none, one in the middle of a read, one in the middle of an
    // uncommitted write (whose call is not exported). The file is untouched unless someone
    // else writes.
    void exports_data() {
        QTest::addColumn<QString>("other");
        QTest::newRow("alone") << "none";
        QTest::newRow("another reading") << "reading";
        QTest::newRow("another writing") << "writing";
    }
    void exports() {
        QFETCH(QString, other);
        if (PythonProgram().isEmpty())
            QSKIP("no python3");
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        QVERIFY(QDir().mkpath(folder));
        const QString database = folder + "/Kolvane.mdb";
        const int calls = 250;
        QVERIFY(seed(database, calls));

        std::unique_ptr<db::Database> holder;
        std::unique_ptr<QSqlQuery> reading;
        if (other != "none") {
            holder = std::make_unique<db::Database>(database);
            QVERIFY(holder->isOpen());
            QSqlDatabase s = holder->sqlDatabase();
            QVERIFY(s.transaction());
            reading = std::make_unique<QSqlQuery>(s);
            reading->setForwardOnly(true);
            QVERIFY(reading->exec("SELECT 履歴ID FROM 着信履歴"));
            QVERIFY(reading->next());
            if (other == "writing") {
                QSqlQuery write(s);
                QVERIFY(write.exec("INSERT INTO 着信履歴 (履歴ID, 日時, 電番) VALUES "
                                   "(9999, 'x', 'uncommitted')"));
            }
        }
        const QByteArray before = hashOf(database);
        QVERIFY(!before.isEmpty());

        const QString file = dir.filePath("着信履歴.csv");
        const Run r = kolvane({"--folder", folder, "--export-history", file}, dir.filePath("data"));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("%1 calls written to %2\n").arg(calls).arg(file));
        QCOMPARE(r.err, QString());
        QString error;
        const std::optional<QList<QStringList>> rows = ReadCsvWithPython(file, &error);
        QVERIFY2(rows, qPrintable(error));
        QCOMPARE(*rows, expectedRows(calls));
        if (other != "writing")
            QCOMPARE(hashOf(database), before);
        if (holder) {
            reading.reset();
            holder->sqlDatabase().rollback();
        }
    }

    // What the program refuses: exit status 1, a message naming the file, nothing written.
    void refuses_data() {
        QTest::addColumn<QString>("target"); // "@" is the temporary folder
        QTest::addColumn<bool>("database");
        QTest::addColumn<QString>("message");
        QTest::newRow("no call database")
            << "@/out.csv" << false << "there is no call database (@/profile/Kolvane.mdb)";
        QTest::newRow("a folder as the file") << "@/afolder" << true << "@/afolder: it is a folder";
        QTest::newRow("missing folder") << "@/no/such/out.csv" << true << "there is no folder @/no";
        QTest::newRow("the call database")
            << "@/profile/Kolvane.mdb" << true << "it is the call database itself";
    }
    void refuses() {
        QFETCH(QString, target);
        QFETCH(bool, database);
        QFETCH(QString, message);
        QTemporaryDir dir;
        target.replace("@", dir.path());
        message.replace("@", dir.path());
        const QString folder = dir.filePath("profile");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir().mkpath(dir.filePath("afolder")));
        const QString mdb = folder + "/Kolvane.mdb";
        if (database)
            QVERIFY(seed(mdb, 3));
        const QByteArray before = hashOf(mdb);
        const QStringList profileBefore = QDir(folder).entryList(QDir::Files);
        const QStringList topBefore = QDir(dir.path()).entryList(QDir::AllEntries);

        const Run r =
            kolvane({"--folder", folder, "--export-history", target}, dir.filePath("data"));
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.startsWith("kolvane: ") && r.err.contains(message), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries), topBefore);
        QVERIFY(QFileInfo(dir.filePath("afolder")).isDir());
        QCOMPARE(QDir(folder).entryList(QDir::Files), profileBefore);
        QCOMPARE(hashOf(mdb), before);
    }

    // Both exports, from the command line, against the program's own files under any name and
    // against files that are not regular: refused with status 1, nothing changed. A symbolic
    // link to a file of the user's is followed and stays a link.
    void targets_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("target"); // "@" is the temporary folder, "P" the profile
        QTest::addColumn<QString>(
            "make"); // what is there first: "file", "fifo", "link:T", "hard:T"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString h = "--export-history", p = "--export-phonebook";
        QTest::newRow("vCard over the database") << p << "P/Kolvane.mdb"
                                                 << "" << 1 << "call database itself";
        QTest::newRow("CSV over the settings") << h << "P/Kolvane.ini"
                                               << "file" << 1 << "own file Kolvane.ini";
        QTest::newRow("CSV as a new settings file") << h << "P/Kolvane.ini"
                                                    << "" << 1 << "own file Kolvane.ini";
        QTest::newRow("CSV over the history layout") << h << "@/profile/../profile/Rireki.ini"
                                                     << "file" << 1 << "own file Rireki.ini";
        QTest::newRow("vCard over the port file") << p << "P/Kolvane.port"
                                                  << "file" << 1 << "own file Kolvane.port";
        QTest::newRow("vCard through a link to the database")
            << p << "@/link.vcf"
            << "link:P/Kolvane.mdb" << 1 << "call database itself";
        QTest::newRow("CSV through a hard link to the backup")
            << h << "@/hard.csv"
            << "hard:P/KolvaneOLD.mdb" << 1 << "own file KolvaneOLD.mdb";
        QTest::newRow("CSV over the log") << h << "P/Kolvane.mdb-wal"
                                          << "file" << 1 << "call database itself";
        QTest::newRow("CSV into a FIFO") << h << "@/fifo"
                                         << "fifo" << 1 << "not a regular file";
        QTest::newRow("vCard into a device") << p << "/dev/null"
                                             << "" << 1 << "not a regular file";
        QTest::newRow("CSV through a link to a file") << h << "@/link.csv"
                                                      << "link:@/real.csv" << 0 << "";
        QTest::newRow("vCard through a link to a new file") << p << "@/link.vcf"
                                                            << "link:@/new.vcf" << 0 << "";
    }
    void targets() {
        QFETCH(QString, option);
        QFETCH(QString, target);
        QFETCH(QString, make);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        const auto place = [&](QString t) {
            return t.replace("P/", folder + "/").replace("@", dir.path());
        };
        target = place(target);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(seed(folder + "/Kolvane.mdb", 3));
        QVERIFY(db::CheckpointDatabase(folder + "/Kolvane.mdb"));
        QVERIFY(QFile::copy(folder + "/Kolvane.mdb", folder + "/KolvaneOLD.mdb"));
        QFile(place("@/real.csv")).open(QIODevice::WriteOnly);
        if (make == "file")
            QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        else if (make == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        else if (make.startsWith("link:"))
            QVERIFY(QFile::link(place(make.mid(5)), target));
        else if (make.startsWith("hard:"))
            QCOMPARE(::link(QFile::encodeName(place(make.mid(5))).constData(),
                            QFile::encodeName(target).constData()),
                     0);
        // The database's own log and index change with any reading; what they hold is checked.
        const auto ownFiles = [&] {
            QMap<QString, QByteArray> files;
            for (const QString &name : QDir(folder).entryList(QDir::Files))
                if (!name.endsWith("-wal") && !name.endsWith("-shm"))
                    files[name] = hashOf(folder + "/" + name);
            return files;
        };
        const QMap<QString, QByteArray> before = ownFiles();
        const QFileInfo targetBefore(target);

        const Run r = kolvane({"--folder", folder, option, target}, dir.filePath("data"));
        QVERIFY2(r.status == status, qPrintable(r.err));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        if (status != 0) {
            QCOMPARE(ownFiles(), before);
            if (targetBefore.isFile()) {
                QFile written(target);
                QVERIFY(written.open(QIODevice::ReadOnly));
                const QByteArray bytes = written.readAll();
                QVERIFY(!bytes.contains("日時,時間") && !bytes.contains("BEGIN:VCARD"));
            }
            QCOMPARE(QFileInfo(target).isSymLink(), targetBefore.isSymLink());
            QCOMPARE(QFileInfo(target).isFile(), targetBefore.isFile());
            return;
        }
        // The link stays a link; the file it leads to holds the export.
        QVERIFY(QFileInfo(target).isSymLink());
        QVERIFY(QFileInfo(QFileInfo(target).symLinkTarget()).isFile());
        QVERIFY(QFileInfo(place("@/real.csv")).size() > 0 || option == "--export-phonebook");
    }

    void refusesAReadOnlyFolder() {
        ReadOnlyFolder readOnly;
        SKIP_UNLESS_READ_ONLY(readOnly);
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(seed(folder + "/Kolvane.mdb", 3));
        const QString target = readOnly.filePath("out.csv");
        const Run r =
            kolvane({"--folder", folder, "--export-history", target}, dir.filePath("data"));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("cannot write " + target), qPrintable(r.err));
        QCOMPARE(QDir(readOnly.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(ExportHistoryProgramTest)
#include "tst_exporthistory.moc"
