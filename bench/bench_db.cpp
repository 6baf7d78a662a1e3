// Times the database work of the call path: one call's phonebook lookup and history row in a
// large Kolvane.mdb (numbers stored as the TA sends them, and typed with hyphens), and the
// reference-phonebook lookup in an Access file and in a large SQLite file without an index. Prints
// median and worst per case. Also the nuisance-mark check of a call at 100 000 marks and the
// import of a list of 100 000 numbers (KOLVANE_BENCH_ONLY_MARKS=1: those alone).
//
// Usage: bench_db [--data DIR] [--calls N]
//   DIR keeps the generated databases between runs (default: the build tree's bench/data).

#include "callerid/CallHandler.h"
#include "db/CallStatements.h"
#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "db/ReferenceDatabase.h"
#include "db/Schema.h"
#include "exchange/MarkList.h"
#include "runstate/RunState.h"
#include "settings/Program.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <functional>
#include <mdbtools.h>
#include <vector>

#include "BenchSupport.h"

namespace {

constexpr int referenceRows = 1000000;

QString referenceNumber(int i) {
    return QStringLiteral("06%1").arg(20000000 + qint64(i) * 7);
}

void printPlans(const QString &path) {
    db::Database d(path);
    QSqlQuery q(d.sqlDatabase());
    out << "\nQuery plans (Kolvane.mdb)\n";
    const QStringList names = {QStringLiteral("TELNOsach"), QStringLiteral("VALsach"),
                               QStringLiteral("Q_履歴の最大")};
    for (const QString &name : names) {
        q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + db::schema::storedQuery(name));
        if (name == QLatin1String("TELNOsach"))
            q.bindValue(QStringLiteral(":TelNo"), phonebookNumber(1));
        if (name == QLatin1String("VALsach"))
            q.bindValue(QStringLiteral(":IDs"), 1);
        QStringList steps;
        if (q.exec())
            while (q.next())
                steps << q.value(3).toString();
        out << QStringLiteral("  %1 %2\n").arg(padded(name, 14), steps.join(QStringLiteral("; ")));
    }
    out.flush();
}

struct CallTimes {
    qint64 lookup = 0; // ns: open + TELNOsach + VALsach
    qint64 whole = 0;  // ns: and the history row, and the close
};

// The call handler's own steps on one connection, timed: the lookup, then the history row.
// Moves historyId on to the row stored.
CallTimes timeOneCall(const QString &path, const QString &number, int &historyId,
                      IncomingCall &caller, bool &allStored) {
    caller.Number = number;
    caller.HistoryId = historyId;
    caller.CallDate = QStringLiteral("2026/12/08");
    caller.CallTime = QStringLiteral("1:23:45");
    CallTimes times;
    QElapsedTimer t;
    t.start();
    db::Database d(path);
    LookUpOwnPhonebook(d, caller);
    times.lookup = t.nsecsElapsed();
    allStored = AppendHistoryRow(d, caller, DescribeCall(caller)) && allStored;
    d.close();
    times.whole = t.nsecsElapsed();
    historyId = caller.HistoryId;
    return times;
}

bool benchCallDatabase(const QString &dataDir, int calls) {
    const QString seed = CallDatabaseSeed(dataDir);
    if (seed.isEmpty())
        return false;
    // Each run works on a fresh copy, so the figures do not drift as runs add rows.
    QTemporaryDir work(QDir(dataDir).filePath(QStringLiteral("run-XXXXXX")));
    const QString path = work.filePath(QStringLiteral("Kolvane.mdb"));
    if (!work.isValid() || !QFile::copy(seed, path)) {
        out << "cannot copy " << seed << "\n";
        return false;
    }
    // The first open of a run reads the whole file through for damage.
    Figures firstOpen;
    {
        QElapsedTimer t;
        t.start();
        db::Database d(path);
        d.close();
        firstOpen.add(t.nsecsElapsed());
    }
    printPlans(path);

    // The part of every step that is only opening and closing the file.
    Figures openClose;
    for (int n = 0; n < calls; ++n) {
        QElapsedTimer t;
        t.start();
        db::Database d(path);
        d.close();
        openClose.add(t.nsecsElapsed());
    }
    printHeader(QStringLiteral("Opening Kolvane.mdb (each step below opens it once)"));
    printRow(QStringLiteral("first open + close of the run"), firstOpen);
    printRow(QStringLiteral("open + close"), openClose);

    int historyId = 0;
    bool allStored = true;
    int wrongLookups = 0;
    for (const bool known : {true, false}) {
        Figures lookup, history, whole;
        for (int n = 0; n < calls; ++n) {
            // Spread over the phonebook so every call reads pages of its own.
            const int i = int((qint64(n) * 104729 + 12345) % phonebookNumbers);
            const QString number = known ? phonebookNumber(i) : unknownNumber(i);
            IncomingCall caller;
            const CallTimes times = timeOneCall(path, number, historyId, caller, allStored);
            lookup.add(times.lookup);
            history.add(times.whole - times.lookup);
            whole.add(times.whole);
            const bool found = caller.CallerId == i / 2 + 1 &&
                               caller.CallerName == QStringLiteral("利用者%1").arg(i / 2 + 1);
            if (found != known || (!known && caller.CallerId != 0))
                ++wrongLookups;
        }
        const QString who =
            known ? QStringLiteral("known number") : QStringLiteral("unknown number");
        printHeader(QStringLiteral("One call's database work, %1 (%2 numbers, %3 history rows)")
                        .arg(who)
                        .arg(phonebookNumbers)
                        .arg(historyRows));
        printRow(QStringLiteral("TELNOsach + VALsach"), lookup);
        printRow(QStringLiteral("Q_履歴の最大 + 着信履歴 row"), history);
        printRow(QStringLiteral("whole call"), whole);
    }
    // The same work as the program does it: the call handler, from the caller field on.
    {
        Program::AppFolder = work.path();
        RunState state;
        state.call().HistoryId = historyId;
        CallHandler handler(state);
        Figures handled;
        for (int n = 0; n < calls; ++n) {
            const int i = int((qint64(n) * 7919 + 54321) % phonebookNumbers);
            const QString number = n % 2 == 0 ? phonebookNumber(i) : unknownNumber(i);
            QElapsedTimer t;
            t.start();
            handler.ReceiveGate();
            handler.HandleIncomingCall(number, QDateTime::currentDateTime());
            handled.add(t.nsecsElapsed());
            if ((state.call().CallerId != 0) != (n % 2 == 0))
                ++wrongLookups;
        }
        printRow(QStringLiteral("CallHandler, half known (no window)"), handled);
    }
    // Not on the call path, but on the same file: what the history window's row sets cost.
    Figures count, list, model;
    for (int n = 0; n < 5; ++n) {
        QElapsedTimer t;
        t.start();
        db::Database d(path);
        const int rows = d.openTable(QStringLiteral("着信履歴")).recordCount();
        count.add(t.nsecsElapsed());
        t.restart();
        const int listed = d.openRows(db::schema::historyListSql()).recordCount();
        list.add(t.nsecsElapsed());
        // A model fetches as the grid scrolls: the first screenful is what a refresh costs.
        t.restart();
        {
            QSqlQueryModel m;
            m.setQuery(db::schema::historyListSql(), d.sqlDatabase());
            if (m.rowCount() == 0 || m.data(m.index(0, 6)).toInt() != historyRows - 1 + 3 * calls)
                ++wrongLookups;
        }
        model.add(t.nsecsElapsed());
        if (rows != historyRows + 3 * calls || listed != rows)
            ++wrongLookups;
    }
    printHeader(QStringLiteral("History row sets over %1 rows (history window)").arg(historyRows));
    printRow(QStringLiteral("着信履歴 table + record count"), count);
    printRow(QStringLiteral("history list SQL, all rows read"), list);
    printRow(QStringLiteral("history list SQL, QSqlQueryModel first fetch"), model);

    db::Database d(path);
    db::RowSet rs = d.storedQuery(QStringLiteral("Q_履歴の最大")).openRows();
    const int last = rs.field(QStringLiteral("履歴IDの最大")).toInt();
    const bool ok = allStored && wrongLookups == 0 && last == historyRows - 1 + 3 * calls;
    out << "  check: " << (ok ? "ok" : "WRONG") << " (lookups wrong: " << wrongLookups
        << ", last 履歴ID " << last << ")\n";
    return ok;
}

// The whole call as the program does it (the call handler from the caller field on, half
// known numbers) at each size of the history, on a fresh copy of a generated file.
bool benchCallSizes(const QString &dataDir, int calls, const QList<int> &sizes) {
    printHeader(QStringLiteral("Whole call by the call handler, by history size (%1 numbers)")
                    .arg(phonebookNumbers));
    bool ok = true;
    for (const int rows : sizes) {
        const QString seed = CallDatabaseSeed(dataDir, rows);
        QTemporaryDir work(QDir(dataDir).filePath(QStringLiteral("run-XXXXXX")));
        const QString path = work.filePath(QStringLiteral("Kolvane.mdb"));
        if (seed.isEmpty() || !work.isValid() || !QFile::copy(seed, path))
            return false;
        // The copy goes to the disk now, not while the calls are timed.
        ::sync();
        Program::AppFolder = work.path();
        RunState state;
        CallHandler handler(state);
        Figures handled;
        int wrong = 0;
        // One call first: the first opening of a run reads the file through.
        handler.ReceiveGate();
        handler.HandleIncomingCall(unknownNumber(1), QDateTime::currentDateTime());
        for (int n = 0; n < calls; ++n) {
            const int i = int((qint64(n) * 7919 + 54321) % phonebookNumbers);
            const QString number = n % 2 == 0 ? phonebookNumber(i) : unknownNumber(i);
            QElapsedTimer t;
            t.start();
            handler.ReceiveGate();
            handler.HandleIncomingCall(number, QDateTime::currentDateTime());
            handled.add(t.nsecsElapsed());
            if ((state.call().CallerId != 0) != (n % 2 == 0) ||
                !state.callHistoryProblem().isEmpty())
                ++wrong;
        }
        printRow(QStringLiteral("%1 history rows").arg(rows), handled,
                 wrong ? QStringLiteral("WRONG %1").arg(wrong) : QString());
        ok = ok && wrong == 0;
    }
    return ok;
}

// A file made before number keys whose numbers were all typed with hyphens ("03-1000-0000"):
// what its first opening costs (every number given its key), then calls reported by the TA as
// digits, which only the key finds.
bool benchTypedNumbers(const QString &dataDir, int calls) {
    const QString seed = CallDatabaseSeed(dataDir);
    if (seed.isEmpty())
        return false;
    QTemporaryDir work(QDir(dataDir).filePath(QStringLiteral("run-XXXXXX")));
    const QString path = work.filePath(QStringLiteral("Kolvane.mdb"));
    if (!work.isValid() || !QFile::copy(seed, path)) {
        out << "cannot copy " << seed << "\n";
        return false;
    }
    {
        QSqlDatabase s =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
        s.setDatabaseName(path);
        bool ok = s.open();
        {
            QSqlQuery q(s);
            ok = ok && exec(q, QStringLiteral("DROP TRIGGER 電話番号_電番キー_追加")) &&
                 exec(q, QStringLiteral("DROP TRIGGER 電話番号_電番キー_変更")) &&
                 exec(q, QStringLiteral("DROP INDEX 電話番号_電番キー")) &&
                 exec(q, QStringLiteral("ALTER TABLE 電話番号 DROP COLUMN 電番キー")) &&
                 exec(q, QStringLiteral("UPDATE 電話番号 SET 電番 = substr(電番, 1, 2) || '-' || "
                                        "substr(電番, 3, 4) || '-' || substr(電番, 7)")) &&
                 exec(q, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        }
        s.close();
        s = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("older"));
        if (!ok)
            return false;
    }
    Figures firstOpen;
    bool keyed = false;
    {
        QElapsedTimer t;
        t.start();
        db::Database d(path);
        keyed = d.hasNumberKeys();
        d.close();
        firstOpen.add(t.nsecsElapsed());
    }
    printHeader(QStringLiteral("Numbers typed with hyphens, in a file made before number keys "
                               "(%1 numbers, %2 history rows)")
                    .arg(phonebookNumbers)
                    .arg(historyRows));
    printRow(QStringLiteral("first open: every number given its key"), firstOpen,
             keyed ? QString() : QStringLiteral("NO KEYS"));
    printPlans(path);

    int historyId = historyRows;
    int wrong = keyed ? 0 : 1;
    bool allStored = true;
    for (const bool known : {true, false}) {
        Figures lookup, whole;
        for (int n = 0; n < calls; ++n) {
            const int i = int((qint64(n) * 104729 + 777) % phonebookNumbers);
            IncomingCall caller;
            const CallTimes times = timeOneCall(path, known ? phonebookNumber(i) : unknownNumber(i),
                                                historyId, caller, allStored);
            whole.add(times.whole);
            lookup.add(times.lookup);
            if (caller.CallerId != (known ? i / 2 + 1 : 0))
                ++wrong;
        }
        const QString who =
            known ? QStringLiteral("known by its digits") : QStringLiteral("unknown");
        printRow(QStringLiteral("%1: TELNOsach + VALsach").arg(who), lookup);
        printRow(QStringLiteral("%1: whole call").arg(who), whole);
    }
    const bool ok = allStored && wrong == 0;
    out << "  check: " << (ok ? "ok" : "WRONG") << " (lookups wrong: " << wrong << ")\n";
    return ok;
}

// ---- reference phonebooks

// Phone values of the first, middle and last row of an Access table, read straight from
// the file so the cases follow the fixture.
QStringList accessColumn(const QString &path, const QString &table, const QString &column) {
    QStringList values;
    MdbHandle *mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        return values;
    if (mdb_read_catalog(mdb, MDB_TABLE)) {
        QByteArray name = table.toUtf8();
        if (MdbTableDef *t = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE)) {
            QByteArray buffer(MDB_BIND_SIZE, '\0');
            int length = 0;
            QByteArray col = column.toUtf8();
            if (mdb_read_columns(t) && mdb_rewind_table(t) == 0 &&
                mdb_bind_column_by_name(t, col.data(), buffer.data(), &length) >= 0)
                while (mdb_fetch_row(t))
                    values << QString::fromUtf8(buffer.constData(), length);
            mdb_free_tabledef(t);
        }
    }
    mdb_close(mdb);
    return values;
}

// A reference phonebook as another program might leave it: one table, no index.
bool buildReferenceFile(const QString &path) {
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    {
        QSqlDatabase s =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("build"));
        s.setDatabaseName(partial);
        if (!s.open())
            return false;
        QSqlQuery q(s);
        const bool ok =
            exec(q, QStringLiteral("PRAGMA journal_mode = OFF")) &&
            exec(q, QStringLiteral("CREATE TABLE 電話帳 (番号 TEXT, 名前 TEXT, 所在地 TEXT, "
                                   "郵便番号 TEXT)")) &&
            exec(q, QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 "
                                   "FROM c LIMIT %1) INSERT INTO 電話帳 SELECT '06' || "
                                   "(20000000 + x * 7), '参照' || x, '大阪府大阪市北区' || x, "
                                   "printf('%03d-%04d', x % 1000, x % 10000) FROM c")
                        .arg(referenceRows));
        s.close();
        if (!ok) {
            QSqlDatabase::removeDatabase(QStringLiteral("build"));
            return false;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
    return QFile::rename(partial, path);
}

struct RefCase {
    QString label;
    QString number;
    QString name; // expected; empty for no row
};

bool benchReference(const QString &title, const QString &path, const QString &table,
                    const QString &phone, const QString &name, const QString &address,
                    const QString &zip, const QList<RefCase> &cases, int repeats) {
    printHeader(title);
    bool ok = true;
    for (const RefCase &c : cases) {
        Figures lookup, call;
        bool right = true;
        ReferenceDatabase open;
        open.open(path);
        for (int n = 0; n < repeats; ++n) {
            QElapsedTimer t;
            t.start();
            const auto row = open.lookup(table, phone, name, address, zip, c.number);
            lookup.add(t.nsecsElapsed());
            right = right && (c.name.isEmpty() ? !row : row && row->name == c.name);
        }
        // As the call path does it: open the file, look up, close.
        for (int n = 0; n < repeats; ++n) {
            QElapsedTimer t;
            t.start();
            ReferenceDatabase r;
            r.open(path);
            const auto row = r.lookup(table, phone, name, address, zip, c.number);
            r.close();
            call.add(t.nsecsElapsed());
            right = right && (c.name.isEmpty() ? !row : row && row->name == c.name);
        }
        const QString note = right ? QString() : QStringLiteral("WRONG RESULT");
        printRow(c.label + QStringLiteral(": lookup"), lookup, note);
        printRow(c.label + QStringLiteral(": open + lookup + close"), call, note);
        ok = ok && right;
    }
    return ok;
}

bool benchReferences(const QString &dataDir, int calls) {
    bool ok = true;
    const QString nwind = QStringLiteral(KOLVANE_FIXTURES_DIR "/nwind.mdb");
    const QStringList phones =
        accessColumn(nwind, QStringLiteral("Customers"), QStringLiteral("Phone"));
    const QStringList names =
        accessColumn(nwind, QStringLiteral("Customers"), QStringLiteral("CompanyName"));
    if (phones.isEmpty() || phones.size() != names.size()) {
        out << "cannot read " << nwind << "\n";
        ok = false;
    } else {
        const int middle = int(phones.size()) / 2, last = int(phones.size()) - 1;
        ok = benchReference(
                 QStringLiteral("Reference lookup, nwind.mdb Customers (Jet 3, %1 rows, libmdb)")
                     .arg(phones.size()),
                 nwind, QStringLiteral("Customers"), QStringLiteral("Phone"),
                 QStringLiteral("CompanyName"), QStringLiteral("Address"),
                 QStringLiteral("PostalCode"),
                 {{QStringLiteral("first row"), phones[0], names[0]},
                  {QStringLiteral("middle row %1").arg(middle), phones[middle], names[middle]},
                  {QStringLiteral("last row %1").arg(last), phones[last], names[last]},
                  {QStringLiteral("missing"), QStringLiteral("000-0000000"), QString()}},
                 calls) &&
             ok;
    }

    const QString ref = QDir(dataDir).filePath(
        QStringLiteral("reference-%1.db").arg(dataTag(QStringLiteral("reference v1"))));
    if (!QFile::exists(ref)) {
        out << "\nBuilding " << ref << " (" << referenceRows << " rows) ...";
        out.flush();
        QElapsedTimer t;
        t.start();
        if (!buildReferenceFile(ref)) {
            out << " failed\n";
            return false;
        }
        out << " " << t.elapsed() << " ms\n";
    }
    const int repeats = calls;
    const int middle = referenceRows / 2, last = referenceRows - 1;
    ok =
        benchReference(QStringLiteral("Reference lookup, SQLite 電話帳 (%1 rows, no index)")
                           .arg(referenceRows),
                       ref, QStringLiteral("電話帳"), QStringLiteral("番号"),
                       QStringLiteral("名前"), QStringLiteral("所在地"), QStringLiteral("郵便番号"),
                       {{QStringLiteral("first row"), referenceNumber(0), QStringLiteral("参照0")},
                        {QStringLiteral("middle row %1").arg(middle), referenceNumber(middle),
                         QStringLiteral("参照%1").arg(middle)},
                        {QStringLiteral("last row %1").arg(last), referenceNumber(last),
                         QStringLiteral("参照%1").arg(last)},
                        {QStringLiteral("missing"), QStringLiteral("0600000000"), QString()}},
                       repeats) &&
        ok;
    return ok;
}

} // namespace

// The marks: a list of 100 000 numbers read in (typed with hyphens, a reason each), then the
// check every call makes on the call handler's kept connection, for marked, prefix-marked and
// unmarked numbers, beside the phonebook lookup the call makes anyway.
bool benchNuisanceMarks(const QString &dataDir, int calls) {
    constexpr int marks = 100000;
    QTemporaryDir work(QDir(dataDir).filePath(QStringLiteral("marks-XXXXXX")));
    const QString path = work.filePath(QStringLiteral("Kolvane.mdb"));
    const QString list = work.filePath(QStringLiteral("list.csv"));
    {
        QFile f(list);
        if (!work.isValid() || !f.open(QIODevice::WriteOnly))
            return false;
        QByteArray bytes;
        for (int i = 0; i < marks; ++i)
            bytes += QStringLiteral("050-%1-%2,特殊詐欺\n")
                         .arg(i / 10000, 4, 10, QLatin1Char('0'))
                         .arg(i % 10000, 4, 10, QLatin1Char('0'))
                         .toUtf8();
        bytes += "0120*,営業\n+*,国外\n";
        f.write(bytes);
    }
    Figures import;
    {
        db::Database d(path);
        QElapsedTimer t;
        t.start();
        const exchange::MarkImportReport r =
            exchange::ImportMarkList(d, list, QStringLiteral("2026/12/08"));
        import.add(t.nsecsElapsed());
        if (!r.ok || r.added != marks + 2) {
            out << "import failed: " << r.error << "\n";
            return false;
        }
    }
    db::Database d(path);
    db::CallStatements statements(d);
    printHeader(QStringLiteral("Nuisance marks (%1 marks, kept connection)").arg(marks + 2));
    printRow(QStringLiteral("import of the list"), import);
    bool right = true;
    const struct {
        const char *name;
        std::function<QString(int)> number;
        bool marked;
    } cases[] = {
        {"marked number",
         [](int n) {
             const int i = n * 7919 % marks;
             return QStringLiteral("050%1%2")
                 .arg(i / 10000, 4, 10, QLatin1Char('0'))
                 .arg(i % 10000, 4, 10, QLatin1Char('0'));
         },
         true},
        {"prefix 0120*",
         [](int n) { return QStringLiteral("0120%1").arg(n, 6, 10, QLatin1Char('0')); }, true},
        {"unmarked number",
         [](int n) { return QStringLiteral("0471%1").arg(n, 6, 10, QLatin1Char('0')); }, false},
    };
    for (const auto &c : cases) {
        Figures check, phonebook;
        for (int n = 0; n < calls; ++n) {
            const QString number = c.number(n);
            QElapsedTimer t;
            t.start();
            const std::optional<db::MarkFound> found = statements.findMark(number);
            check.add(t.nsecsElapsed());
            right = right && found.has_value() == c.marked;
            t.restart();
            statements.findNumber(number);
            phonebook.add(t.nsecsElapsed());
        }
        printRow(QStringLiteral("mark check: ") + QString::fromUtf8(c.name), check);
        printRow(QStringLiteral("  (phonebook lookup: ") + QString::fromUtf8(c.name) + ')',
                 phonebook);
    }
    if (!right)
        out << "a mark was not found as it should be\n";
    return right;
}

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString dataDir = QStringLiteral(KOLVANE_BENCH_DATA_DIR);
    int calls = 50;
    QList<int> sizes{10000, 1000000};
    if (!ParseBenchArguments(app.arguments(), dataDir, calls, &sizes))
        return 2;
    if (!QDir().mkpath(dataDir)) {
        out << "cannot make " << dataDir << "\n";
        return 1;
    }
    out << "bench_db: " << calls << " calls per case; data in " << dataDir << "\n";
    QElapsedTimer total;
    total.start();
    if (qEnvironmentVariableIsSet("KOLVANE_BENCH_ONLY_MARKS"))
        return benchNuisanceMarks(dataDir, calls) ? 0 : 1;
    const bool sizesOk = benchCallSizes(dataDir, calls, sizes);
    if (qEnvironmentVariableIsSet("KOLVANE_BENCH_ONLY_SIZES"))
        return sizesOk ? 0 : 1;
    const bool callOk = benchCallDatabase(dataDir, calls) && sizesOk;
    const bool typedOk = benchTypedNumbers(dataDir, calls);
    const bool refOk = benchReferences(dataDir, calls) && benchNuisanceMarks(dataDir, calls);
    out << "\nbench_db: " << total.elapsed() / 1000.0 << " s\n";
    return callOk && typedOk && refOk ? 0 : 1;
}
