// Times the phonebook window on a Kolvane.mdb with 100 000 entries and 1 000 000 calls:
// opening it to the last entry shown, one navigation step, one index letter, and
// FillNumbersAndHistory for an entry with 1 000 calls. The real window runs offscreen.
//
// Usage: bench_phonebook [--data DIR] [--calls N]   (N: repetitions of each step)

#include "BenchSupport.h"

#include "db/Database.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "ui/phonebook/PhonebookWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

namespace {

constexpr int entriesWanted = 100000;
constexpr int callsOfBusyEntry = 1000;

// The seed's phonebook topped up to 100 000 entries over the index letters, the last of
// them with 1 000 calls and three numbers.
bool TopUp(const QString &path) {
    db::Database d(path);
    if (!d.isOpen())
        return false;
    QSqlDatabase s = d.sqlDatabase();
    QSqlQuery q(s);
    if (!s.transaction() || !exec(q, QStringLiteral("SELECT COUNT(*) FROM 住所録")) || !q.next())
        return false;
    const int have = q.value(0).toInt();
    bool ok = exec(q, QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                                     "FROM c LIMIT %1) INSERT INTO 住所録 (氏名, 索引インデックス) "
                                     "SELECT '追加' || x, char(65393 + x % 45) FROM c")
                          .arg(entriesWanted - have)) &&
              exec(q, QStringLiteral("SELECT MAX(ID) FROM 住所録")) && q.next();
    const int busy = q.value(0).toInt();
    ok =
        ok &&
        exec(q, QStringLiteral("INSERT INTO 電話番号 (IDsub, 電番, 摘要) VALUES (%1, '0311110000', "
                               "'自宅'), (%1, '09011110000', '携帯'), (%1, '0311110001', 'Ｆａｘ')")
                    .arg(busy)) &&
        exec(q,
             QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                            "LIMIT %1) INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 着信者ID, "
                            "メモ) SELECT %2 + x, '2026/12/08', '10:00:00', '0311110000', %3, "
                            "'メモ' || x FROM c")
                 .arg(callsOfBusyEntry)
                 .arg(historyRows)
                 .arg(busy));
    return ok && s.commit();
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString dataDir = QStringLiteral(KOLVANE_BENCH_DATA_DIR);
    int repetitions = 20;
    if (!ParseBenchArguments(app.arguments(), dataDir, repetitions))
        return 2;
    QDir().mkpath(dataDir);
    const QString seed = CallDatabaseSeed(dataDir);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Kolvane.mdb"));
    if (seed.isEmpty() || !QFile::copy(seed, path) || !TopUp(path)) {
        out << "cannot prepare the call database\n";
        return 1;
    }
    Program::AppFolder = folder.path();
    {
        // The first opening of the run reads the file through, as at start.
        db::Database first(path);
    }
    RunState state;

    printHeader(QStringLiteral("Phonebook window: %1 entries, %2 calls")
                    .arg(entriesWanted)
                    .arg(historyRows + callsOfBusyEntry));
    Figures opening;
    for (int i = 0; i < std::max(3, repetitions / 4); ++i) {
        QElapsedTimer t;
        t.start();
        auto w = std::make_unique<PhonebookWindow>(state);
        w->show();
        w->FirstActivation();
        opening.add(t.nsecsElapsed());
        w->close();
    }
    printRow(QStringLiteral("open to the last entry"), opening, QStringLiteral("target 200 ms"));

    auto w = std::make_unique<PhonebookWindow>(state);
    w->show();
    w->FirstActivation();
    Figures fill;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        w->FillNumbersAndHistory();
        fill.add(t.nsecsElapsed());
    }
    printRow(QStringLiteral("FillNumbersAndHistory, 1 000 calls"), fill,
             QStringLiteral("target 10 ms"));

    Figures steps;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        w->Navigate(i % 2 ? PhonebookFaces::Next : PhonebookFaces::Previous);
        steps.add(t.nsecsElapsed());
    }
    w->Navigate(PhonebookFaces::First);
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        w->Navigate(PhonebookFaces::Next);
        steps.add(t.nsecsElapsed());
    }
    printRow(QStringLiteral("one navigation step"), steps, QStringLiteral("target 20 ms"));

    Figures letters;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        w->ChooseIndex(1 + (i * 7) % 46);
        letters.add(t.nsecsElapsed());
    }
    printRow(QStringLiteral("one index letter"), letters, QStringLiteral("target 50 ms"));
    w->close();
    return 0;
}
