// What the program says when the call database refuses something: each of SQLite's reasons
// (a full disk, a read-only folder, a damaged file, another program's lock) reaches the status
// line, the import, the export and the compaction as its own words.
#include "db/Compaction.h"
#include "db/Database.h"
#include "exchange/HistoryCsv.h"
#include "exchange/VCard.h"
#include "support/FullDisk.h"
#include "support/ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
#include <sys/mount.h>

namespace {

bool AddCall(const db::Database &d, int id) {
    db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
    if (!t.addNew())
        return false;
    t.setField(QStringLiteral("履歴ID"), id);
    t.setField(QStringLiteral("日時"), QStringLiteral("2024/01/02"));
    t.setField(QStringLiteral("時間"), QStringLiteral("10:11:12"));
    t.setField(QStringLiteral("電番"), QStringLiteral("0312345678"));
    t.setField(QStringLiteral("着信者ID"), 0);
    return t.update();
}

// A folder that holds a database and is then made read-only under it: the folder bound over
// itself and the binding remounted read-only (root only).
class FrozenFolder {
public:
    explicit FrozenFolder(const QString &path) : path_(path.toLocal8Bit()) {
        bound_ = ::mount(path_.constData(), path_.constData(), nullptr, MS_BIND, nullptr) == 0;
        frozen_ = bound_ && ::mount(nullptr, path_.constData(), nullptr,
                                    MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    ~FrozenFolder() {
        if (bound_)
            ::umount2(path_.constData(), MNT_DETACH);
    }
    FrozenFolder(const FrozenFolder &) = delete;
    FrozenFolder &operator=(const FrozenFolder &) = delete;
    bool frozen() const { return frozen_; }

private:
    QByteArray path_;
    bool bound_ = false;
    bool frozen_ = false;
};

const QString kFull = QStringLiteral("ディスクがいっぱいです");
const QString kReadOnly = QStringLiteral("読み取り専用です");
const QString kCannotOpen = QStringLiteral("開けません");
const QString kDamaged = QStringLiteral("ファイルが壊れています");
const QString kBusy = QStringLiteral("使用中です");
const QString kNotOurs = QStringLiteral("Kolvaneのデータベースではありません");

const char kCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 太郎\r\nTEL:0312345678\r\n"
                     "END:VCARD\r\n";

} // namespace

class ProblemTextsTest : public QObject {
    Q_OBJECT
private slots:
    // Each result code, extended codes by their primary one.
    void resultCodes_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("full") << SQLITE_FULL << kFull;
        QTest::newRow("read only") << SQLITE_READONLY << kReadOnly;
        QTest::newRow("read only, cannot lock") << SQLITE_READONLY_CANTLOCK << kReadOnly;
        QTest::newRow("cannot open") << SQLITE_CANTOPEN << kCannotOpen;
        QTest::newRow("corrupt") << SQLITE_CORRUPT << kDamaged;
        QTest::newRow("not a database") << SQLITE_NOTADB << kDamaged;
        QTest::newRow("busy") << SQLITE_BUSY << kBusy;
        QTest::newRow("busy, snapshot") << SQLITE_BUSY_SNAPSHOT << kBusy;
        QTest::newRow("locked") << SQLITE_LOCKED << kBusy;
        QTest::newRow("input or output") << SQLITE_IOERR_WRITE << QStringLiteral("書き込めません");
    }
    void resultCodes() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(db::ProblemText(db::ProblemOfSqliteCode(code)), text);
    }

    // A file that cannot be used at all says why when it is opened.
    void fileThatDoesNotOpen_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("junk after the header") << "junk" << kDamaged;
        QTest::newRow("text") << "text" << kNotOurs;
        QTest::newRow("another program's database") << "foreign" << kNotOurs;
        QTest::newRow("a folder in its place") << "folder" << kCannotOpen;
        QTest::newRow("held by another program") << "held" << kBusy;
    }
    void fileThatDoesNotOpen() {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kolvane.mdb"));
        std::unique_ptr<QSqlQuery> holding;
        const QString other = QStringLiteral("other");
        {
            QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), other);
            s.setDatabaseName(path);
            if (kind == QLatin1String("junk") || kind == QLatin1String("text")) {
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly));
                if (kind == QLatin1String("junk"))
                    f.write(QByteArray("SQLite format 3\0", 16));
                f.write(QByteArray(4096, 'x'));
            } else if (kind == QLatin1String("foreign")) {
                QVERIFY(s.open());
                QVERIFY(QSqlQuery(s).exec(QStringLiteral("CREATE TABLE t (x)")));
                s.close();
            } else if (kind == QLatin1String("folder")) {
                QVERIFY(QDir().mkpath(path));
            } else {
                // A rollback journal held exclusively: not even readable meanwhile.
                { db::Database d(path); }
                QVERIFY(s.open());
                holding = std::make_unique<QSqlQuery>(s);
                QVERIFY(holding->exec(QStringLiteral("PRAGMA journal_mode = DELETE")));
                QVERIFY(holding->exec(QStringLiteral("BEGIN EXCLUSIVE")));
                QVERIFY(holding->exec(QStringLiteral("DELETE FROM 着信履歴")));
            }
        }
        {
            db::Database d(path);
            QVERIFY(!d.isOpen());
            QCOMPARE(db::ProblemText(d.problem()), text);
            // The export says the same.
            const exchange::ExportReport r = exchange::ExportHistoryCsv(
                d, {}, dir.filePath(QStringLiteral("out.csv")), exchange::Wording::Japanese);
            QVERIFY(!r.ok);
            QVERIFY2(r.error.endsWith(text), qPrintable(r.error));
        }
        holding.reset();
        QSqlDatabase::database(other, false).close();
        QSqlDatabase::removeDatabase(other);
    }

    // A call that cannot be stored, and what every other user of the file says then.
    void refusedWrites_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("text");
        for (const char *where : {"history row", "vcard import", "compaction"}) {
            QTest::addRow("full disk, %s", where) << where << kFull;
            QTest::addRow("read-only folder, %s", where) << where << kReadOnly;
        }
    }
    void refusedWrites() {
        QFETCH(QString, where);
        QFETCH(QString, text);
        FullDisk disk("size=1m,mode=0700");
        SKIP_UNLESS_FULL_DISK(disk);
        const QString folder = QFileInfo(disk.filePath(QStringLiteral("x"))).path();
        const QString path = disk.filePath(QStringLiteral("Kolvane.mdb"));
        const QString card = QDir::temp().filePath(QStringLiteral("kolvane-problem-card.vcf"));
        QFile c(card);
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write(kCard);
        c.close();
        {
            db::Database d(path);
            QVERIFY(AddCall(d, 1));
        }
        QVERIFY(db::CheckpointDatabase(path));
        std::unique_ptr<FrozenFolder> frozen;
        if (text == kFull) {
            QVERIFY(disk.fill());
        } else {
            frozen = std::make_unique<FrozenFolder>(folder);
            if (!frozen->frozen())
                QSKIP("the folder cannot be made read-only here");
        }
        QString told;
        if (where == QLatin1String("compaction")) {
            db::Compaction compaction(folder);
            QVERIFY(!compaction.Run());
            told = compaction.failure();
        } else {
            db::Database d(path);
            if (where == QLatin1String("history row")) {
                if (d.isOpen()) {
                    QVERIFY(!AddCall(d, 2));
                    told = db::ProblemText(db::LastStatementProblem());
                } else {
                    told = db::ProblemText(d.problem());
                }
            } else {
                const exchange::ImportReport r =
                    exchange::ImportPhonebookVCard(d, card, exchange::Wording::Japanese);
                QVERIFY(!r.ok);
                told = r.error;
            }
        }
        QFile::remove(card);
        QVERIFY2(told.contains(text), qPrintable(told));
        QVERIFY2(!told.contains(kBusy), qPrintable(told));
    }
};

QTEST_GUILESS_MAIN(ProblemTextsTest)
#include "tst_problemtexts.moc"
