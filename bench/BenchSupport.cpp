#include "BenchSupport.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

QTextStream out(stdout);

// The i-th phonebook number; numbers with a last digit off this pattern are never in it.
QString phonebookNumber(int i) {
    return QStringLiteral("03%1").arg(10000000 + qint64(i) * 97);
}
QString unknownNumber(int i) {
    return QStringLiteral("03%1").arg(10000000 + qint64(i) * 97 + 1);
}

double Figures::median() const {
    std::vector<double> s = ms;
    std::sort(s.begin(), s.end());
    if (s.empty())
        return 0;
    const size_t n = s.size();
    return n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
}

double Figures::worst() const {
    return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
}

// Pads to a width in terminal columns: CJK characters take two.
QString padded(const QString &text, int columns) {
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 ? 2 : 1;
    return text + QString(std::max(0, columns - width), QLatin1Char(' '));
}

void printHeader(const QString &title) {
    out << "\n" << title << "\n";
    out << QStringLiteral("  %1 %2 %3 %4\n")
               .arg(padded(QStringLiteral("case"), 44))
               .arg(QStringLiteral("n"), 4)
               .arg(QStringLiteral("median ms"), 11)
               .arg(QStringLiteral("worst ms"), 11);
    out.flush();
}

void printRow(const QString &name, const Figures &f, const QString &note) {
    out << QStringLiteral("  %1 %2 %3 %4")
               .arg(padded(name, 44))
               .arg(f.ms.size(), 4)
               .arg(f.median(), 11, 'f', 3)
               .arg(f.worst(), 11, 'f', 3);
    if (!note.isEmpty())
        out << "  " << note;
    out << "\n";
    out.flush();
}

bool exec(QSqlQuery &q, const QString &sql) {
    if (q.exec(sql))
        return true;
    out << "SQL failed: " << q.lastError().text() << "\n  " << sql << "\n";
    return false;
}

// Calls go in by the million far faster when the history list's sort indexes are made once,
// after them, than kept row by row (each index is then one sort); a large page cache helps the
// rest. The indexes come back as the program makes them.
bool WithoutSortIndexes(QSqlQuery &q, const std::function<bool()> &insert) {
    if (!exec(q, QStringLiteral("PRAGMA cache_size = -262144")))
        return false;
    for (const db::schema::HistoryListColumn &c : db::schema::historyListColumns())
        if (!c.sortKey.isEmpty() && !exec(q, QStringLiteral("DROP INDEX IF EXISTS %1")
                                                 .arg(db::schema::historySortIndexName(c.field))))
            return false;
    if (!insert())
        return false;
    for (const QString &statement : db::schema::historySortStatements())
        if (!exec(q, statement))
            return false;
    return true;
}

// A tag that changes whenever the schema or the generated data would, so a cached file
// from an older build is not reused.
QString dataTag(const QString &extra) {
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(db::schema::createStatements().join(QLatin1Char('\n')).toUtf8());
    h.addData(extra.toUtf8());
    return QString::fromLatin1(h.result().toHex().left(12));
}

// ---- the call database

// Kolvane.mdb made by the program itself, then filled in one transaction: 50 000 entries
// with two numbers each (inserted in a scattered order, as years of registration leave
// them) and a million calls, two thirds of them from known numbers.
bool buildCallDatabase(const QString &path, int historyRows) {
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-wal"));
    QFile::remove(partial + QStringLiteral("-shm"));
    {
        db::Database d(partial);
        if (!d.isOpen())
            return false;
        QSqlDatabase s = d.sqlDatabase();
        QSqlQuery q(s);
        if (!s.transaction())
            return false;
        const QString numbers = QStringLiteral("%1").arg(phonebookNumbers);
        const QString entries = QStringLiteral("%1").arg(phonebookNumbers / 2);
        const QString calls = QStringLiteral("%1").arg(historyRows);
        const QString known = QStringLiteral("%1").arg(phonebookNumbers * 3 / 2);
        const bool ok = WithoutSortIndexes(q, [&] {
            return exec(q,
                        QStringLiteral(
                            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                            "LIMIT %1) INSERT INTO 住所録 (氏名, 索引インデックス, 住所, 郵便番号) "
                            "SELECT '利用者' || x, 'ｱ', '東京都千代田区千代田' || x || '番地', "
                            "printf('%03d-%04d', x % 1000, x % 10000) FROM c")
                            .arg(entries)) &&
                   exec(q, QStringLiteral(
                               "WITH RECURSIVE c(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM c "
                               "LIMIT %1), p(i) AS (SELECT (k * 7919) % %1 FROM c) "
                               "INSERT INTO 電話番号 (IDsub, 電番, 摘要) "
                               "SELECT i / 2 + 1, '03' || (10000000 + i * 97), "
                               "CASE i % 2 WHEN 0 THEN '自宅' ELSE '携帯' END FROM p")
                               .arg(numbers)) &&
                   exec(q,
                        QStringLiteral(
                            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c "
                            "LIMIT %1), h(x, i) AS (SELECT x, (x * 7919) % %2 FROM c) "
                            "INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 住所, 着信者ID) "
                            "SELECT x, printf('%04d/%02d/%02d', 2000 + x / 40000, "
                            "x / 3000 % 12 + 1, x / 100 % 28 + 1), "
                            "printf('%02d:%02d:%02d', x / 3600 % 24, x / 60 % 60, x % 60), "
                            "'03' || (10000000 + i * 97), "
                            "CASE WHEN i < %3 THEN '利用者' || (i / 2 + 1) END, "
                            "CASE WHEN i < %3 THEN '東京都千代田区千代田' || (i / 2 + 1) || '番地' "
                            "END, CASE WHEN i < %3 THEN i / 2 + 1 ELSE 0 END FROM h")
                            .arg(calls, known, numbers));
        });
        if (!ok || !s.commit())
            return false;
    }
    // The last connection has checkpointed the log into the file.
    return QFile::rename(partial, path);
}

QString CallDatabaseSeed(const QString &dataDir, int historyRows) {
    const QString seed = QDir(dataDir).filePath(
        historyRows == ::historyRows
            ? QStringLiteral("Kolvane-%1.mdb").arg(dataTag(QStringLiteral("v1")))
            : QStringLiteral("Kolvane-%1-%2.mdb")
                  .arg(dataTag(QStringLiteral("v1")))
                  .arg(historyRows));
    if (!QFile::exists(seed)) {
        out << "Building " << seed << " (" << phonebookNumbers << " numbers, " << historyRows
            << " calls) ...";
        out.flush();
        QElapsedTimer t;
        t.start();
        if (!buildCallDatabase(seed, historyRows)) {
            out << " failed\n";
            return QString();
        }
        out << " " << t.elapsed() << " ms\n";
    }
    return seed;
}

namespace {

bool InsertHistory(const QString &path, int rows) {
    db::Database d(path);
    QSqlDatabase s = d.sqlDatabase();
    if (!d.isOpen() || !s.transaction())
        return false;
    QSqlQuery q(s);
    const bool ok = WithoutSortIndexes(q, [&] {
        return q.prepare(QStringLiteral(
                   "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c LIMIT :rows) "
                   "INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 住所, 着信者ID) "
                   "SELECT b + x, printf('%04d/%02d/%02d', 2000 + x / 70000, x / 6000 % 12 + 1, "
                   "x / 200 % 28 + 1), printf('%02d:%02d:%02d', x / 3600 % 24, x / 60 % 60, x % "
                   "60), "
                   "'03' || (10000000 + x % 9000000), '利用者' || (x % 50000), "
                   "'東京都千代田区千代田' || (x % 50000) || '番地', 0 "
                   "FROM c, (SELECT COALESCE(MAX(履歴ID), 0) AS b FROM 着信履歴)")) &&
               (q.bindValue(QStringLiteral(":rows"), rows), q.exec());
    });
    if (!ok) {
        out << "SQL failed: " << q.lastError().text() << "\n";
        s.rollback();
        return false;
    }
    q.finish();
    return s.commit();
}

} // namespace

bool FillHistory(const QString &path, int rows) {
    QElapsedTimer t;
    t.start();
    if (!InsertHistory(path, rows))
        return false;
    // The file goes to the disk now, not while the figures that follow are taken.
    ::sync();
    if (t.elapsed() > 1000)
        out << "  (" << rows << " calls generated in " << t.elapsed() << " ms)\n";
    return true;
}

bool ParseBenchArguments(const QStringList &args, QString &dataDir, int &calls, QList<int> *rows) {
    for (int i = 1; i < args.size(); ++i) {
        if (rows && args[i] == QLatin1String("--rows") && i + 1 < args.size()) {
            rows->clear();
            for (const QString &n : args[++i].split(QLatin1Char(',')))
                rows->append(std::max(0, n.toInt()));
            continue;
        }
        if (args[i] == QLatin1String("--data") && i + 1 < args.size()) {
            dataDir = args[++i];
        } else if (args[i] == QLatin1String("--calls") && i + 1 < args.size()) {
            calls = std::max(1, args[++i].toInt());
        } else {
            out << "usage: " << QFileInfo(args.value(0)).fileName() << " [--data DIR] [--calls N]"
                << (rows ? " [--rows N,N,...]" : "") << "\n";
            return false;
        }
    }
    return true;
}
