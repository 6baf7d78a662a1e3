// Times the reference phonebook's index against the scan it replaces on the call path: a
// 1 000 000-row SQLite reference file is made in a temporary folder of the data folder, then
// the index is built (time, memory) and a call's lookup timed by LookUpReferencePhonebook with
// the index and without it (the scan), for a number stored as called, a number stored with
// hyphens, and a missing one. The Access files of tests/fixtures are indexed too (rows per
// second): nothing here can write an Access file of a million rows.
//
// Usage: bench_refindex [--data DIR] [--calls N]

#include "callerid/CallLookup.h"
#include "db/ReferenceIndex.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <malloc.h>

#include "BenchSupport.h"

namespace {

constexpr int referenceRows = 1000000;

// Row x: even rows store the number as it is called, odd rows with hyphens ("06-2000-0007").
QString calledNumber(int x) {
    return QStringLiteral("06%1").arg(20000000 + qint64(x) * 7);
}

bool buildReferenceFile(const QString &path) {
    bool ok = false;
    {
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "build");
        s.setDatabaseName(path);
        if (!s.open())
            return false;
        QSqlQuery q(s);
        ok = exec(q, QStringLiteral("PRAGMA journal_mode = OFF")) &&
             exec(q, QStringLiteral("CREATE TABLE 電話帳 (番号 TEXT, 名前 TEXT, 所在地 TEXT, "
                                    "郵便番号 TEXT)")) &&
             exec(q, QStringLiteral(
                         "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c LIMIT "
                         "%1), n(x, d) AS (SELECT x, CAST(20000000 + x * 7 AS TEXT) FROM c) "
                         "INSERT INTO 電話帳 SELECT CASE WHEN x % 2 = 0 THEN '06' || d ELSE "
                         "'06-' || substr(d, 1, 4) || '-' || substr(d, 5, 4) END, '参照' || x, "
                         "'大阪府大阪市北区' || x, printf('%03d-%04d', x % 1000, x % 10000) "
                         "FROM n")
                         .arg(referenceRows));
        s.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
    return ok;
}

// The resident memory of this process, in bytes.
qint64 residentBytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// Sets the source and waits for the build to end; its time in ns, or -1 when it failed.
qint64 timeBuild(ReferenceIndex &index, const ReferenceSource &source) {
    QEventLoop loop;
    QObject::connect(&index, &ReferenceIndex::stateChanged, &loop, [&](ReferenceIndex::State s) {
        if (s == ReferenceIndex::State::Ready || s == ReferenceIndex::State::Failed)
            loop.quit();
    });
    QElapsedTimer t;
    t.start();
    index.setSource(source);
    if (index.state() == ReferenceIndex::State::Building)
        loop.exec();
    const qint64 ns = t.nsecsElapsed();
    return index.state() == ReferenceIndex::State::Ready ? ns : -1;
}

Settings settingsOf(const ReferenceSource &source) {
    Settings s;
    s.RefEnabled = true;
    s.RefDatabasePath = source.path;
    s.RefTable = source.fields.table;
    s.RefPhoneField = source.fields.phone;
    s.RefNameField = source.fields.name;
    s.RefAddressField = source.fields.address;
    s.RefZipField = source.fields.zip;
    return s;
}

struct Case {
    QString label;
    QString number;
    QString name; // expected; empty for none
};

// A call's reference lookup as the call path makes it, `repeats` times per case.
bool timeLookups(const QString &how, const Settings &settings, ReferenceIndex *index,
                 const QList<Case> &cases, int repeats) {
    bool ok = true;
    for (const Case &c : cases) {
        Figures f;
        bool right = true;
        for (int n = 0; n < repeats; ++n) {
            IncomingCall call;
            call.Number = c.number;
            QElapsedTimer t;
            t.start();
            LookUpReferencePhonebook(settings, call, index);
            f.add(t.nsecsElapsed());
            right = right && call.CallerName == c.name;
        }
        printRow(how + c.label, f, right ? QString() : QStringLiteral("WRONG RESULT"));
        ok = ok && right;
    }
    return ok;
}

bool benchSqlite(const QString &dataDir, int calls) {
    QTemporaryDir work(QDir(dataDir).filePath(QStringLiteral("refindex-XXXXXX")));
    const QString file = work.filePath(QStringLiteral("reference.db"));
    out << "\nMaking " << referenceRows << " rows of 電話帳 in " << file << " ...";
    out.flush();
    QElapsedTimer made;
    made.start();
    if (!work.isValid() || !buildReferenceFile(file)) {
        out << " failed\n";
        return false;
    }
    out << " " << made.elapsed() << " ms, " << QFile(file).size() / (1024 * 1024) << " MiB\n";

    const ReferenceSource source{file,
                                 ReferenceFields{QStringLiteral("電話帳"), QStringLiteral("番号"),
                                                 QStringLiteral("名前"), QStringLiteral("所在地"),
                                                 QStringLiteral("郵便番号")}};
    const Settings settings = settingsOf(source);
    const int middle = referenceRows / 2, last = referenceRows - 1;
    const QList<Case> cases = {
        {QStringLiteral("hit, stored as called (row %1)").arg(middle), calledNumber(middle),
         QStringLiteral("参照%1").arg(middle)},
        {QStringLiteral("hit, stored with hyphens (row %1)").arg(last), calledNumber(last),
         QStringLiteral("参照%1").arg(last)},
        {QStringLiteral("miss"), QStringLiteral("0600000001"), QString()},
    };

    ReferenceIndex index;
    malloc_trim(0);
    const qint64 before = residentBytes();
    Figures build;
    const qint64 ns = timeBuild(index, source);
    if (ns < 0) {
        out << "index not built: " << index.failure() << "\n";
        return false;
    }
    build.add(ns);
    malloc_trim(0);
    const qint64 after = residentBytes();
    const std::shared_ptr<const ReferenceTable> table = index.table();
    printHeader(QStringLiteral("Reference index, SQLite 電話帳 (%1 rows)").arg(referenceRows));
    printRow(QStringLiteral("index build (thread, read + sort)"), build);
    out << QStringLiteral("  rows indexed %1; index %2 MiB (%3 bytes a row); "
                          "resident memory +%4 MiB\n")
               .arg(table->rowCount())
               .arg(double(table->bytes()) / (1024 * 1024), 0, 'f', 1)
               .arg(double(table->bytes()) / double(table->rowCount()), 0, 'f', 1)
               .arg(double(after - before) / (1024 * 1024), 0, 'f', 1);

    bool ok = table->rowCount() == referenceRows;
    ok = timeLookups(QStringLiteral("index: "), settings, &index, cases, calls * 20) && ok;
    // The call path without the index (while it is built): the table read for the number as
    // stored, so the hyphen-stored row is not found.
    QList<Case> scanned = cases;
    scanned[1].name.clear();
    ok = timeLookups(QStringLiteral("scan:  "), settings, nullptr, scanned, calls) && ok;
    return ok;
}

bool benchAccess(int calls) {
    printHeader(QStringLiteral("Reference index, Access fixtures (child process, libmdb)"));
    struct AccessCase {
        QString file;
        ReferenceFields fields;
    };
    const QList<AccessCase> files = {
        {QStringLiteral("nwind.mdb"),
         ReferenceFields{"Customers", "Phone", "CompanyName", "Address", "PostalCode"}},
        {QStringLiteral("nwind.mdb"),
         ReferenceFields{"Order Details", "OrderID", "ProductID", "UnitPrice", "Quantity"}},
        {QStringLiteral("nwind.mdb"),
         ReferenceFields{"Orders", "OrderID", "ShipName", "ShipAddress", "ShipPostalCode"}},
        {QStringLiteral("testUnicodeCompV2003.mdb"),
         ReferenceFields{"Table", "ID", "Unicode", "", ""}},
        {QStringLiteral("testV2007.accdb"), ReferenceFields{"Table1", "C", "A", "B", ""}},
    };
    bool ok = true;
    for (const AccessCase &c : files) {
        const ReferenceSource source{QStringLiteral(KOLVANE_FIXTURES_DIR "/") + c.file, c.fields};
        Figures f;
        qsizetype rows = 0;
        for (int n = 0; n < std::max(3, calls / 5); ++n) {
            ReferenceIndex index;
            const qint64 ns = timeBuild(index, source);
            if (ns < 0) {
                out << "  " << c.file << " " << c.fields.table << ": " << index.failure() << "\n";
                ok = false;
                break;
            }
            f.add(ns);
            rows = index.table()->rowCount();
        }
        if (f.ms.empty())
            continue;
        printRow(QStringLiteral("%1 %2 (%3 rows)").arg(c.file, c.fields.table).arg(rows), f,
                 QStringLiteral("%1 rows/s").arg(double(rows) / (f.median() / 1000), 0, 'f', 0));
    }
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString dataDir = QStringLiteral(KOLVANE_BENCH_DATA_DIR);
    int calls = 50;
    if (!ParseBenchArguments(app.arguments(), dataDir, calls))
        return 2;
    if (!QDir().mkpath(dataDir)) {
        out << "cannot make " << dataDir << "\n";
        return 1;
    }
    out << "bench_refindex: " << calls << " calls per scan case, " << calls * 20
        << " per index case; data in " << dataDir << "\n";
    const bool accessOk = benchAccess(calls);
    const bool sqliteOk = benchSqlite(dataDir, calls);
    return accessOk && sqliteOk ? 0 : 1;
}
