// The history list read a page at a time, memos through Q_履歴メモ, and the deletes.
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/History.h"
#include "db/Schema.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <numeric>

namespace {

// Calls with the ids given, in one transaction (many rows fast).
void addCalls(const db::Database &d, const QVector<int> &ids) {
    QSqlDatabase s = d.sqlDatabase();
    QVERIFY(s.transaction());
    QSqlQuery q(s);
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 住所, "
                                     "郵便番号, 着信者ID) VALUES (?, ?, ?, ?, ?, ?, ?, 0)")));
    for (int id : ids) {
        q.addBindValue(id);
        q.addBindValue(QStringLiteral("2024/05/%1").arg(id % 28 + 1));
        q.addBindValue(QStringLiteral("10:%1").arg(id % 60));
        q.addBindValue(QStringLiteral("03%1").arg(id));
        q.addBindValue(id % 3 == 0 ? QVariant() : QVariant(QStringLiteral("名前%1").arg(id)));
        q.addBindValue(QStringLiteral("住所%1").arg(id));
        q.addBindValue(QStringLiteral("100-%1").arg(id));
        QVERIFY(q.exec());
    }
    QVERIFY(s.commit());
}

// Every id, newest first, as the history SELECT gives them.
QVector<int> idsBySelect(const db::Database &d) {
    QVector<int> ids;
    QSqlQuery q(d.sqlDatabase());
    q.exec(db::schema::historyListSql());
    while (q.next())
        ids << q.value(6).toInt();
    return ids;
}

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->filePath(QStringLiteral("Kolvane.mdb"));
    }

    // Ids with gaps, read in every order a user can scroll: the rows are those of the
    // history SELECT, row for row, whatever page is reached first.
    void pagesMatchTheSelect_data() {
        QTest::addColumn<QString>("order");
        QTest::newRow("top down") << "down";
        QTest::newRow("bottom up") << "up";
        QTest::newRow("middle first") << "middle";
        QTest::newRow("scattered") << "scattered";
    }

    void pagesMatchTheSelect() {
        QFETCH(QString, order);
        QVector<int> ids;
        for (int i = 0; i < 2000; ++i)
            ids << i * 3 + (i % 7 == 0 ? 1 : 0);
        {
            db::Database d(path_);
            addCalls(d, ids);
        }
        db::Database d(path_);
        const QVector<int> expected = idsBySelect(d);
        db::HistoryList list(path_);
        QCOMPARE(list.rowCount(), expected.size());
        QVector<int> rows(expected.size());
        std::iota(rows.begin(), rows.end(), 0);
        if (order == "up")
            std::reverse(rows.begin(), rows.end());
        else if (order == "middle")
            std::rotate(rows.begin(), rows.begin() + 1000, rows.end());
        else if (order == "scattered")
            for (int i = 0; i < rows.size(); ++i)
                std::swap(rows[i], rows[(i * 7919) % rows.size()]);
        for (int r : rows) {
            const db::HistoryRow *row = list.row(r);
            QVERIFY2(row, qPrintable(QString::number(r)));
            QCOMPARE(row->Id, expected[r]);
            QCOMPARE(row->column(2), QStringLiteral("03%1").arg(expected[r]));
            QCOMPARE(row->column(6), QString::number(expected[r]));
        }
        // Only a bounded number of pages stays in memory.
        QVERIFY(list.pagesHeld() <= db::HistoryList::KeptPages);
        QVERIFY(!list.row(-1));
        QVERIFY(!list.row(expected.size()));
    }

    void columnsAndNulls() {
        {
            db::Database d(path_);
            addCalls(d, {3, 4});
        }
        db::HistoryList list(path_);
        const db::HistoryRow *r = list.row(1);
        QVERIFY(r);
        QCOMPARE(r->Id, 3);
        QCOMPARE(r->column(0), QStringLiteral("2024/05/4"));
        QCOMPARE(r->column(1), QStringLiteral("10:3"));
        QCOMPARE(r->column(3), QString()); // Null name
        QCOMPARE(r->column(4), QStringLiteral("住所3"));
        QCOMPARE(r->column(5), QString()); // no memo yet
        QCOMPARE(r->column(7), QStringLiteral("100-3"));
    }

    // A refresh sees a new call at the top and a deleted one gone.
    void refreshSeesChanges() {
        {
            db::Database d(path_);
            QVector<int> ids(500);
            std::iota(ids.begin(), ids.end(), 0);
            addCalls(d, ids);
        }
        db::HistoryList list(path_);
        QCOMPARE(list.row(0)->Id, 499);
        QCOMPARE(list.row(499)->Id, 0);
        {
            db::Database d(path_);
            addCalls(d, {500});
            QVERIFY(db::DeleteHistoryRow(d, 250));
        }
        // Until refreshed the list shows what it read.
        QCOMPARE(list.rowCount(), 500);
        list.refresh();
        QCOMPARE(list.rowCount(), 500);
        QCOMPARE(list.row(0)->Id, 500);
        QCOMPARE(list.row(249)->Id, 251);
        QCOMPARE(list.row(250)->Id, 249);
        QCOMPARE(list.rowOfId(500), 0);
        QCOMPARE(list.rowOfId(249), 250);
        QCOMPARE(list.rowOfId(250), -1);
        QCOMPARE(list.rowOfId(0), 499);
    }

    void emptyHistory() {
        db::HistoryList list(path_);
        QVERIFY(list.isOpen());
        QCOMPARE(list.rowCount(), 0);
        QVERIFY(!list.row(0));
        QCOMPARE(list.rowOfId(0), -1);
        list.release();
        QVERIFY(!list.isOpen());
        QVERIFY(!list.row(0));
    }

    void memoReadAndWrite_data() {
        QTest::addColumn<QString>("memo");
        QTest::newRow("japanese") << QStringLiteral("折り返し電話する。明日１０時");
        QTest::newRow("line breaks") << QStringLiteral("一行目\r\n二行目\nthird");
        QTest::newRow("quotes") << QStringLiteral("he said \"it's\" ; DROP TABLE 着信履歴; --");
        QTest::newRow("markup") << QStringLiteral("<b>bold</b> &amp; <script>x</script>");
        QTest::newRow("long") << QString(100000, u'長');
        QTest::newRow("empty") << QString();
    }

    void memoReadAndWrite() {
        QFETCH(QString, memo);
        db::Database d(path_);
        addCalls(d, {7, 8});
        const auto before = db::ReadCallMemo(d, 7);
        QVERIFY(before);
        QCOMPARE(before->Memo, QString());
        QCOMPARE(before->Number, QStringLiteral("037"));
        QCOMPARE(before->Name, QStringLiteral("名前7"));
        QVERIFY(db::WriteCallMemo(d, 7, memo));
        const auto after = db::ReadCallMemo(d, 7);
        QVERIFY(after);
        QCOMPARE(after->Memo, memo);
        // The other call keeps its Null memo.
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT メモ FROM 着信履歴 WHERE 履歴ID = 8")) && q.next());
        QVERIFY(q.isNull(0));
        QCOMPARE(db::HistoryList(path_).row(1)->column(5), memo);
    }

    void memoOfAMissingCall() {
        db::Database d(path_);
        addCalls(d, {1});
        QVERIFY(!db::ReadCallMemo(d, 2));
        QVERIFY(!db::WriteCallMemo(d, 2, QStringLiteral("x")));
        QCOMPARE(idsBySelect(d), QVector<int>{1});
    }

    // The count the file keeps equals COUNT(*) after every way rows come and go, in a file
    // made with it and in one made before it (given the count at its first opening).
    void keptCountIsTheRowCount_data() {
        QTest::addColumn<bool>("older");
        QTest::addColumn<QString>("change");
        for (const bool older : {false, true}) {
            const char *file = older ? "older file, " : "";
            for (const char *change : {"added", "one deleted", "all deleted", "compacted"})
                QTest::newRow(qPrintable(QString::fromLatin1(file) + QLatin1String(change)))
                    << older << QString::fromLatin1(change);
        }
    }

    void keptCountIsTheRowCount() {
        QFETCH(bool, older);
        QFETCH(QString, change);
        {
            db::Database d(path_);
            QVERIFY(d.hasHistoryCount());
            addCalls(d, {3, 5, 8, 13, 21});
            if (older) {
                QSqlQuery q(d.sqlDatabase());
                for (const char *drop :
                     {"DROP TRIGGER 着信履歴件数_追加", "DROP TRIGGER 着信履歴件数_削除",
                      "DROP TABLE 着信履歴件数"})
                    QVERIFY(q.exec(QString::fromUtf8(drop)));
                addCalls(d, {34, 55});
            }
        }
        db::Database d(path_);
        QVERIFY(d.hasHistoryCount());
        if (change == QLatin1String("added"))
            addCalls(d, {89, 144});
        else if (change == QLatin1String("one deleted"))
            QVERIFY(db::DeleteHistoryRow(d, 8));
        else if (change == QLatin1String("all deleted"))
            QVERIFY(db::DeleteAllHistory(d));
        QSqlQuery q(d.sqlDatabase());
        if (change == QLatin1String("compacted")) {
            // An outside tool left the count wrong: compaction sets it right.
            QVERIFY(q.exec(QStringLiteral("UPDATE 着信履歴件数 SET 件数 = 999")));
            d.close();
            QVERIFY(db::CheckpointDatabase(path_));
            db::Compaction compaction(dir_->path());
            QVERIFY2(compaction.Run(), qPrintable(compaction.failure()));
        }
        db::Database after(path_);
        QSqlQuery counted(after.sqlDatabase());
        QVERIFY(counted.exec(QStringLiteral("SELECT (SELECT 件数 FROM 着信履歴件数), "
                                            "(SELECT COUNT(*) FROM 着信履歴)")));
        QVERIFY(counted.next());
        QCOMPARE(counted.value(0).toInt(), counted.value(1).toInt());
        db::HistoryList list(path_);
        QCOMPARE(list.rowCount(), counted.value(1).toInt());
    }

    void deletes() {
        db::Database d(path_);
        addCalls(d, {0, 1, 2, 3});
        QVERIFY(db::DeleteHistoryRow(d, 0));
        QVERIFY(!db::DeleteHistoryRow(d, 0));
        QCOMPARE(idsBySelect(d), (QVector<int>{3, 2, 1}));
        QVERIFY(db::DeleteAllHistory(d));
        QCOMPARE(idsBySelect(d), QVector<int>{});
    }

    // Every column in both directions, read in every order a user can scroll: the rows come
    // in the order the column means (names, addresses and memos as text with none first, the
    // time of day with "9:05" before "10:00", the date with its time), equal keys by 履歴ID,
    // and each call is found where it stands.
    void sortedPagesFollowTheColumn_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("order");
        for (int column = 0; column < 6; ++column)
            for (const bool ascending : {true, false})
                for (const char *order : {"down", "up", "scattered"})
                    QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3")
                                                 .arg(column)
                                                 .arg(ascending ? "asc" : "desc", order)))
                        << column << ascending << QString::fromLatin1(order);
    }

    void sortedPagesFollowTheColumn() {
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(QString, order);
        // Long runs of equal keys (no name, no memo, the same day) cross the pages.
        struct Call {
            int id;
            QVariant date, time, number, name, address, memo;
        };
        QVector<Call> calls;
        for (int i = 0; i < 1500; ++i) {
            const int id = i * 2 + (i % 5 == 0 ? 1 : 0);
            const auto orNull = [](bool null, const QString &text) {
                return null ? QVariant() : QVariant(text);
            };
            calls.push_back(
                {id, QStringLiteral("2024/%1/%2").arg(i % 3 + 10).arg(i % 2 + 10),
                 QStringLiteral("%1:%2:00").arg(i * 7 % 24).arg(i % 60, 2, 10, QLatin1Char('0')),
                 QStringLiteral("03%1").arg(i % 40),
                 orNull(i % 3 == 0, "名前" + QString::number(i % 11)),
                 orNull(i % 4 == 0, i % 8 == 1 ? QString() : "住所" + QString::number(i % 13)),
                 orNull(i % 50 != 0, "メモ" + QString::number(i % 7))});
        }
        {
            db::Database d(path_);
            QSqlDatabase s = d.sqlDatabase();
            QVERIFY(s.transaction());
            QSqlQuery q(s);
            QVERIFY(
                q.prepare(QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, "
                                         "住所, メモ, 着信者ID) VALUES (?, ?, ?, ?, ?, ?, ?, 0)")));
            for (const Call &c : calls) {
                for (const QVariant &v :
                     {QVariant(c.id), c.date, c.time, c.number, c.name, c.address, c.memo})
                    q.addBindValue(v);
                QVERIFY(q.exec());
            }
            QVERIFY(s.commit());
        }
        // What the column means, worked out here without SQL.
        const auto hour = [](const QVariant &t) {
            const QString text = t.toString();
            return text.indexOf(QLatin1Char(':')) == 1 ? QLatin1Char('0') + text : text;
        };
        const auto key = [&](const Call &c) {
            switch (column) {
            case 0:
                return c.date.toString() + QLatin1Char(' ') + hour(c.time);
            case 1:
                return hour(c.time);
            case 2:
                return c.number.toString();
            case 3:
                return c.name.toString();
            case 4:
                return c.address.toString();
            default:
                return c.memo.toString();
            }
        };
        std::sort(calls.begin(), calls.end(), [&](const Call &a, const Call &b) {
            const QString ka = key(a), kb = key(b);
            const bool before = ka != kb ? ka.toUtf8() < kb.toUtf8() : a.id < b.id;
            const bool after = ka != kb ? kb.toUtf8() < ka.toUtf8() : b.id < a.id;
            return ascending ? before : after;
        });
        db::HistoryList list(path_);
        QVERIFY(list.setOrder(column, ascending));
        QCOMPARE(list.rowCount(), calls.size());
        QVector<int> rows(calls.size());
        std::iota(rows.begin(), rows.end(), 0);
        if (order == "up")
            std::reverse(rows.begin(), rows.end());
        else if (order == "scattered")
            for (int i = 0; i < rows.size(); ++i)
                std::swap(rows[i], rows[(i * 7919) % rows.size()]);
        for (int r : rows) {
            const db::HistoryRow *row = list.row(r);
            QVERIFY2(row, qPrintable(QString::number(r)));
            QVERIFY2(
                row->Id == calls[r].id,
                qPrintable(
                    QStringLiteral("row %1: %2, not %3").arg(r).arg(row->Id).arg(calls[r].id)));
        }
        for (int r : {0, 1, 127, 128, 700, int(calls.size()) - 1})
            QCOMPARE(list.rowOfId(calls[r].id), r);
        // Back to the order as recorded.
        QVERIFY(list.setOrder(db::HistoryList::RecordedOrder, false));
        QCOMPARE(list.row(0)->Id, 2998);  // the largest id
        QVERIFY(!list.setOrder(6, true)); // the key does not sort
    }

    // The list's indexes are in a new file, reach an older one at its first opening, and are
    // still there, and used, after compaction.
    void sortIndexes_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("new") << "new";
        QTest::newRow("older") << "older";
        QTest::newRow("other definition") << "other";
        QTest::newRow("compacted") << "compacted";
    }

    void sortIndexes() {
        QFETCH(QString, file);
        {
            db::Database d(path_);
            QVERIFY(d.hasHistorySort());
            addCalls(d, {1, 2, 3});
            QSqlQuery q(d.sqlDatabase());
            if (file == "older" || file == "other")
                for (const QString &statement : db::schema::historySortStatements())
                    QVERIFY(
                        q.exec(QStringLiteral("DROP INDEX %1").arg(statement.section(' ', 2, 2))));
            if (file == "other")
                QVERIFY(
                    q.exec(QStringLiteral("CREATE INDEX 着信履歴_並び_氏名 ON 着信履歴(氏名)")));
        }
        if (file == "compacted") {
            QVERIFY(db::CheckpointDatabase(path_));
            db::Compaction compaction(dir_->path());
            QVERIFY2(compaction.Run(), qPrintable(compaction.failure()));
        }
        db::Database d(path_);
        QVERIFY(d.hasHistorySort());
        QSqlQuery q(d.sqlDatabase());
        for (const db::schema::HistoryListColumn &c : db::schema::historyListColumns()) {
            if (c.sortKey.isEmpty())
                continue;
            QVERIFY(q.exec(QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM 着信履歴 ORDER BY %1 "
                                          "DESC, 履歴ID DESC LIMIT 5")
                               .arg(c.sortKey)));
            QString plan;
            while (q.next())
                plan += q.value(3).toString();
            QVERIFY2(plan.contains(QStringLiteral("INDEX 着信履歴_並び_") + c.field) &&
                         !plan.contains(QStringLiteral("TEMP B-TREE")),
                     qPrintable(plan));
        }
    }

    // A deleted call comes back as it was: every field, a field this program does not know,
    // Null as Null, its own 履歴ID; after the newest when a newer call has taken that id.
    void takenCallComesBack_data() {
        QTest::addColumn<bool>("idTaken");
        QTest::newRow("own id") << false;
        QTest::newRow("id taken since") << true;
    }

    void takenCallComesBack() {
        QFETCH(bool, idTaken);
        db::Database d(path_);
        addCalls(d, {1, 2, 3});
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("ALTER TABLE 着信履歴 ADD COLUMN 取次者 TEXT")));
        QVERIFY(q.exec(QStringLiteral("UPDATE 着信履歴 SET メモ = '折り返し' || char(10) || '済', "
                                      "着信者ID = 42, 取次者 = '勧誘' WHERE 履歴ID = 3")));
        const auto rowOf = [&d](int id) {
            QSqlQuery r(d.sqlDatabase());
            r.exec(QStringLiteral("SELECT * FROM 着信履歴 WHERE 履歴ID = %1").arg(id));
            QVariantList values;
            if (r.next())
                for (int i = 1; i < r.record().count(); ++i)
                    values << r.value(i);
            return values;
        };
        const QVariantList before = rowOf(3);
        const std::optional<db::StoredCall> taken = db::TakeHistoryRow(d, 3);
        QVERIFY(taken);
        QCOMPARE(taken->id(), 3);
        QVERIFY(!db::TakeHistoryRow(d, 3));
        QCOMPARE(idsBySelect(d), (QVector<int>{2, 1}));
        if (idTaken)
            addCalls(d, {3});
        const std::optional<qint32> back = db::PutBackHistoryRow(d, *taken);
        QCOMPARE(back, std::optional<qint32>(idTaken ? 4 : 3));
        QCOMPARE(rowOf(*back), before);
        // The name was Null (QVariant equality does not tell Null from empty text).
        QVERIFY(rowOf(*back).value(3).isNull());
        QCOMPARE(rowOf(*back).last().toString(), QStringLiteral("勧誘"));
        QCOMPARE(idsBySelect(d), idTaken ? (QVector<int>{4, 3, 2, 1}) : (QVector<int>{3, 2, 1}));
        QVERIFY(q.exec(
            QStringLiteral("SELECT (SELECT 件数 FROM 着信履歴件数) = COUNT(*) FROM 着信履歴")));
        QVERIFY(q.next() && q.value(0).toBool());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

QTEST_GUILESS_MAIN(HistoryTest)
#include "tst_history.moc"
