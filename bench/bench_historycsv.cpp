// Times the export of the call history to CSV (exchange::ExportHistoryCsv, as the command line
// and the history window's menu run it) on a million calls: (a) every call, (b) 1000 calls
// chosen by 履歴ID, and (c) the memory the export adds and the size of the file. One call in
// ten carries a memo with a comma, quotes and a line break, so the quoting is paid for.
//
// Usage: bench_historycsv [--data DIR] [--calls N]
//   DIR keeps the generated call database between runs (default: the build tree's
//   bench/data); N is the number of timed runs per case (default 5).

#include "db/Database.h"
#include "exchange/HistoryCsv.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "BenchSupport.h"

namespace {

// The resident memory of this process (now and at its peak) in KiB.
qint64 memoryKiB(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// The seed's million calls, with memos on one call in ten.
bool prepareDatabase(const QString &seed, const QString &path) {
    if (!QFile::copy(seed, path))
        return false;
    db::Database d(path);
    QSqlQuery q(d.sqlDatabase());
    return d.isOpen() &&
           exec(q, QStringLiteral("UPDATE 着信履歴 SET メモ = '折り返し, \"至急\"' || char(13, 10) "
                                  "|| '担当 ' || 履歴ID WHERE 履歴ID % 10 = 0"));
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString dataDir = QStringLiteral(KOLVANE_BENCH_DATA_DIR);
    int runs = 5;
    if (!ParseBenchArguments(app.arguments(), dataDir, runs))
        return 2;
    if (!QDir().mkpath(dataDir)) {
        out << "cannot make " << dataDir << "\n";
        return 1;
    }
    const QString seed = CallDatabaseSeed(dataDir);
    QTemporaryDir work;
    const QString database = work.filePath(QStringLiteral("Kolvane.mdb"));
    if (seed.isEmpty() || !work.isValid() || !prepareDatabase(seed, database)) {
        out << "cannot prepare the call database\n";
        return 1;
    }
    out << "bench_historycsv: " << historyRows << " calls, " << runs << " runs per case\n";
    const QString csv = work.filePath(QStringLiteral("着信履歴.csv"));

    db::Database d(database);
    if (!d.isOpen()) {
        out << "cannot open " << database << "\n";
        return 1;
    }
    printHeader(QStringLiteral("history to CSV"));
    const qint64 before = memoryKiB("VmRSS:");
    Figures all;
    qint64 size = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const exchange::ExportReport r = exchange::ExportHistoryCsv(d, {}, csv);
        all.add(t.nsecsElapsed());
        if (!r.ok || r.count != historyRows) {
            out << "export failed: " << r.error << "\n";
            return 1;
        }
        size = QFileInfo(csv).size();
    }
    const qint64 peak = memoryKiB("VmHWM:");
    printRow(QStringLiteral("(a) every call"), all,
             QStringLiteral("%1 calls/s").arg(qint64(historyRows / (all.median() / 1000.0))));

    QList<int> chosen;
    for (int id = 0; id < historyRows; id += historyRows / 1000)
        chosen.append(id);
    Figures some;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const exchange::ExportReport r = exchange::ExportHistoryCsv(d, chosen, csv);
        some.add(t.nsecsElapsed());
        if (!r.ok || r.count != chosen.size()) {
            out << "export failed: " << r.error << "\n";
            return 1;
        }
    }
    printRow(QStringLiteral("(b) 1000 calls by 履歴ID"), some);

    out << "\n  (c) file of every call: " << size << " bytes (" << size / (1024 * 1024)
        << " MiB); resident memory before " << before / 1024 << " MiB, peak " << peak / 1024
        << " MiB\n";
    return 0;
}
