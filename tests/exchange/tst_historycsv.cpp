// The call history written as CSV: the bytes (byte order mark, headings, CRLF, quoting), what
// Python's csv module reads back field by field, the calls chosen and their order, and what a
// write that cannot be done leaves behind (nothing, and the previous file as it was).
#include "db/Database.h"
#include "exchange/HistoryCsv.h"
#include "platform/AtomicFile.h"
#include "support/CsvReadBack.h"
#include "support/ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

Q_DECLARE_METATYPE(AtomicWriteStep)

namespace {

// One call as stored; a null optional is a Null field.
struct Call {
    int id;
    QString date, time, number;
    std::optional<QString> name, address, zip, memo;
};

bool insert(const db::Database &d, const Call &c) {
    QSqlQuery q(d.sqlDatabase());
    q.prepare(
        QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 住所, 郵便番号, "
                       "着信者ID, メモ) VALUES (?, ?, ?, ?, ?, ?, ?, 0, ?)"));
    const auto orNull = [](const std::optional<QString> &v) {
        return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::QString));
    };
    q.addBindValue(c.id);
    q.addBindValue(c.date);
    q.addBindValue(c.time);
    q.addBindValue(c.number);
    q.addBindValue(orNull(c.name));
    q.addBindValue(orNull(c.address));
    q.addBindValue(orNull(c.zip));
    q.addBindValue(orNull(c.memo));
    return q.exec();
}

// The record a call gives in the file's column order; Null reads as empty.
QStringList record(const Call &c) {
    return {c.date,
            c.time,
            c.number,
            c.name.value_or(QString()),
            c.address.value_or(QString()),
            c.zip.value_or(QString()),
            c.memo.value_or(QString()),
            QString()}; // 迷惑理由: these calls were not taken for a nuisance
}

const QStringList Headings = {"日時", "時間",     "電番", "氏名",
                              "住所", "郵便番号", "メモ", "迷惑理由"};

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class HistoryCsvTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        database_ = std::make_unique<db::Database>(dir_->filePath("Kolvane.mdb"));
        QVERIFY(database_->isOpen());
    }
    void cleanup() {
        database_.reset();
        dir_.reset();
    }

    // Exactly the bytes a spreadsheet program is given.
    void bytes() {
        QVERIFY(insert(*database_, {7, "2024/05/01", "09:05:00", "0312345678", "山田 太郎",
                                    std::nullopt, "100-0001", std::nullopt}));
        QVERIFY(insert(*database_, {9, "2024/05/02", "10:00:00", "ユーザ拒否", std::nullopt,
                                    "東京都, 千代田区", std::nullopt, "言った \"はい\"\n次"}));
        const QString path = dir_->filePath("out.csv");
        const exchange::ExportReport r = exchange::ExportHistoryCsv(*database_, {}, path);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.count, 2);
        QCOMPARE(readAll(path), QByteArray("\xEF\xBB\xBF"
                                           "日時,時間,電番,氏名,住所,郵便番号,メモ,迷惑理由\r\n"
                                           "2024/05/02,10:00:00,ユーザ拒否,,\"東京都, 千代田区\",,"
                                           "\"言った \"\"はい\"\"\n次\",\r\n"
                                           "2024/05/01,09:05:00,0312345678,山田 太郎,,100-0001,"
                                           ",\r\n"));
    }

    // Every field comes back from Python's csv module as it was stored, except that one a
    // spreadsheet would run as a formula (=, +, -, @, a tab or CR first) comes with a ' before
    // it; a phone number (digits, a + first) stays as it is.
    void pythonReadsEveryField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const auto kept = [](const char *name, const QString &text) {
            QTest::newRow(name) << text << text;
        };
        kept("plain", "折り返し電話");
        kept("comma", "a,b,,c");
        kept("quotes", "\"quoted\" and \"\"double\"\"");
        kept("LF", "一行目\n二行目\n");
        kept("CRLF", "one\r\ntwo\r\n\r\nthree");
        kept("CR alone", "one\rtwo");
        kept("all at once", "\",\r\n\"\n,");
        kept("only a quote", "\"");
        kept("blanks kept", "  lead and trail  ");
        kept("beyond the BMP", "絵文字 😀 𠮷");
        kept("tab and semicolon", "a\tb;c");
        kept("international number", "+81312345678");
        kept("a formula sign later", "a=1+2");
        const auto guarded = [](const char *name, const QString &text) {
            QTest::newRow(name) << text << QLatin1Char('\'') + text;
        };
        guarded("formula", "=SUM(A1:A2)");
        guarded("plus", "+cmd|' /C calc'!A0");
        guarded("minus", "-2+3");
        guarded("at", "@SUM(1)");
        guarded("tab first", "\t=1");
        guarded("CR first", "\r=1");
        guarded("a number with a minus", "-0312345678");
        guarded("plus and hyphens", "+81-3-1234");
        guarded("only a plus", "+");
    }
    void pythonReadsEveryField() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        if (PythonProgram().isEmpty())
            QSKIP("no python3");
        const QList<Call> calls = {
            {1, "2024/01/01", "00:00:01", "0300000001", "名前", "住所", "100-0001", "メモ"},
            {2, "2024/01/02", "00:00:02", "0300000002", text, text, text, text},
            {3, "2024/01/03", "00:00:03", text, std::nullopt, std::nullopt, std::nullopt,
             std::nullopt},
            {4, "2024/01/04", "00:00:04", "0300000004", "", "", "", ""},
        };
        for (const Call &c : calls)
            QVERIFY(insert(*database_, c));
        const QString path = dir_->filePath("着信履歴.csv");
        const exchange::ExportReport r = exchange::ExportHistoryCsv(*database_, {}, path);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.count, 4);
        QString error;
        const std::optional<QList<QStringList>> rows = ReadCsvWithPython(path, &error);
        QVERIFY2(rows, qPrintable(error));
        QList<QStringList> expected = {Headings};
        for (int i = calls.size() - 1; i >= 0; --i) {
            expected.append(record(calls[i]));
            std::replace(expected.last().begin(), expected.last().end(), text, shown);
        }
        QCOMPARE(*rows, expected);
        // Every record ends with CRLF, whatever the fields hold.
        QVERIFY(readAll(path).endsWith("\r\n"));
    }

    // The calls given, newest first, each once; an id with no call is passed over.
    void chosenCalls_data() {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QList<int>>("written");
        QTest::newRow("all") << QList<int>{} << QList<int>{30, 20, 12, 10, 5};
        QTest::newRow("one") << QList<int>{12} << QList<int>{12};
        QTest::newRow("unordered") << QList<int>{5, 30, 12} << QList<int>{30, 12, 5};
        QTest::newRow("twice and missing") << QList<int>{10, 99, 10, -1, 20} << QList<int>{20, 10};
        QTest::newRow("none there") << QList<int>{1, 2} << QList<int>{};
    }
    void chosenCalls() {
        QFETCH(QList<int>, ids);
        QFETCH(QList<int>, written);
        for (int id : {10, 5, 30, 12, 20})
            QVERIFY(insert(*database_, {id, "d", "t", QString::number(id), {}, {}, {}, {}}));
        const QString path = dir_->filePath("out.csv");
        const exchange::ExportReport r = exchange::ExportHistoryCsv(*database_, ids, path);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.count, written.size());
        QByteArray expected("\xEF\xBB\xBF日時,時間,電番,氏名,住所,郵便番号,メモ,迷惑理由\r\n");
        for (int id : written)
            expected += "d,t," + QByteArray::number(id) + ",,,,,\r\n";
        QCOMPARE(readAll(path), expected);
    }

    void emptyHistoryGivesTheHeadingsAlone() {
        const QString path = dir_->filePath("out.csv");
        const exchange::ExportReport r = exchange::ExportHistoryCsv(*database_, {}, path);
        QVERIFY(r.ok);
        QCOMPARE(r.count, 0);
        QCOMPARE(readAll(path),
                 QByteArray("\xEF\xBB\xBF日時,時間,電番,氏名,住所,郵便番号,メモ,迷惑理由\r\n"));
    }

    // A file already there is replaced whole.
    void replacesALongerFile() {
        const QString path = dir_->filePath("out.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100000, 'x'));
        f.close();
        QVERIFY(insert(*database_, {1, "d", "t", "n", {}, {}, {}, {}}));
        QVERIFY(exchange::ExportHistoryCsv(*database_, {}, path).ok);
        QCOMPARE(
            readAll(path),
            QByteArray(
                "\xEF\xBB\xBF日時,時間,電番,氏名,住所,郵便番号,メモ,迷惑理由\r\nd,t,n,,,,,\r\n"));
    }

    // A target that cannot be written: not ok, the reason names the file, nothing is written.
    void unwritableTarget_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "no/such/out.csv"
                                        << "there is no folder";
        QTest::newRow("a folder") << "afolder"
                                  << "it is a folder";
        QTest::newRow("the call database") << "Kolvane.mdb"
                                           << "call database itself";
        QTest::newRow("its log") << "Kolvane.mdb-wal"
                                 << "call database itself";
    }
    void unwritableTarget() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QVERIFY(insert(*database_, {1, "d", "t", "n", {}, {}, {}, {}}));
        QVERIFY(QDir(dir_->path()).mkdir("afolder"));
        const QString path = dir_->filePath(target);
        const QStringList before = filesIn(dir_->path());
        const QByteArray database = readAll(dir_->filePath("Kolvane.mdb"));
        const exchange::ExportReport r = exchange::ExportHistoryCsv(*database_, {}, path);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(path) && r.error.contains(reason), qPrintable(r.error));
        QCOMPARE(filesIn(dir_->path()), before);
        QVERIFY(QFileInfo(dir_->filePath("afolder")).isDir());
        QCOMPARE(readAll(dir_->filePath("Kolvane.mdb")), database);
    }

    void readOnlyFolder() {
        ReadOnlyFolder folder;
        SKIP_UNLESS_READ_ONLY(folder);
        QVERIFY(insert(*database_, {1, "d", "t", "n", {}, {}, {}, {}}));
        const QString path = folder.filePath("out.csv");
        const exchange::ExportReport r = exchange::ExportHistoryCsv(*database_, {}, path);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(path) && r.error.contains("cannot write"), qPrintable(r.error));
        QCOMPARE(filesIn(folder.path()), QStringList());
    }

    // A write that fails part way (disk full, I/O error) keeps the previous export whole.
    void failedWriteKeepsThePreviousFile_data() {
        QTest::addColumn<AtomicWriteStep>("step");
        QTest::newRow("write") << AtomicWriteStep::Write;
        QTest::newRow("flush") << AtomicWriteStep::Flush;
        QTest::newRow("rename") << AtomicWriteStep::Rename;
    }
    void failedWriteKeepsThePreviousFile() {
        QFETCH(AtomicWriteStep, step);
        QVERIFY(insert(*database_, {1, "d", "t", "n", {}, {}, {}, "first"}));
        const QString path = dir_->filePath("out.csv");
        QVERIFY(exchange::ExportHistoryCsv(*database_, {}, path).ok);
        const QByteArray previous = readAll(path);
        // Enough calls for the file to be written in several pieces.
        for (int id = 2; id < 6000; ++id)
            QVERIFY(insert(*database_, {id, "d", "t", "n", {}, {}, {}, QString(60, 'm')}));
        InjectAtomicWriteError(step, ENOSPC);
        const exchange::ExportReport r = exchange::ExportHistoryCsv(*database_, {}, path);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(path) && r.error.contains(qt_error_string(ENOSPC)),
                 qPrintable(r.error));
        QCOMPARE(readAll(path), previous);
        QCOMPARE(filesIn(dir_->path()).filter("out.csv"), QStringList{"out.csv"});
    }

    // A call database that cannot be read gives no file.
    void unreadableDatabase() {
        const QString foreign = dir_->filePath("other.mdb");
        QFile f(foreign);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all");
        f.close();
        db::Database database(foreign);
        QVERIFY(!database.isOpen());
        const QString path = dir_->filePath("out.csv");
        const exchange::ExportReport r = exchange::ExportHistoryCsv(database, {}, path);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains("other.mdb"), qPrintable(r.error));
        QVERIFY(!QFile::exists(path));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<db::Database> database_;
};

QTEST_GUILESS_MAIN(HistoryCsvTest)
#include "tst_historycsv.moc"
