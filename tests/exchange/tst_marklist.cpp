// Lists of nuisance numbers read in and written out: every typing the number key reads, the
// encodings lists come in, and the round trip back.
#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "exchange/MarkList.h"
#include "phone/NumberKey.h"
#include "settings/Program.h"
#include "support/TestDesktop.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>

namespace {

// Every way of typing that the list must read: 8 numbers, 2 of them the same, 3 unreadable.
const char *const ListText = "# 特殊詐欺に使われた番号\n"
                             "03-1234-5678,還付金詐欺\n"
                             "０６（６１２３）４５６７\t架空請求\n"
                             "+81 90 1111 2222, \"名乗らない, 切れる\" \n"
                             "0120*,営業\n"
                             "+*,国外\n"
                             "  048 111 2222  \n"
                             "\n"
                             "0312345678,同じ番号\n"
                             "\"0471234567\",\"引用\"\n"
                             "電話番号,理由\n"
                             "03-1234-ABCD\n"
                             "12+34\n";

QStringList KeysOf(const QList<db::NuisanceMark> &marks) {
    QStringList keys;
    for (const db::NuisanceMark &m : marks)
        keys << MarkKey(m.Number);
    keys.sort();
    return keys;
}

} // namespace

class MarkListTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_.reset();
        desktop_ = std::make_unique<TestDesktop>();
    }

    void importsEveryTyping_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QString::fromUtf8(ListText);
        QTest::newRow("UTF-8") << text.toUtf8();
        QTest::newRow("UTF-8 with its mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        QTest::newRow("CRLF")
            << QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toUtf8();
        QStringEncoder cp932("windows-31j");
        QTest::newRow("code page 932") << QByteArray(cp932.encode(text));
    }

    void importsEveryTyping() {
        QFETCH(QByteArray, bytes);
        const QString list = desktop_->file(QStringLiteral("list.csv"));
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        db::Database d(Program::DatabasePath());
        exchange::MarkImportReport r =
            exchange::ImportMarkList(d, list, QStringLiteral("2026/12/08"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(exchange::MarkImportText(r),
                 QStringLiteral("7件を登録しました（1件は登録済み、3行は読めませんでした）"));
        const QList<db::NuisanceMark> marks = db::ReadNuisanceMarks(d);
        QCOMPARE(KeysOf(marks), QStringList({"+*", "0120*", "0312345678", "0471234567",
                                             "0481112222", "0661234567", "09011112222"}));
        QCOMPARE(marks.at(2).Reason, QStringLiteral("名乗らない, 切れる"));
        QCOMPARE(marks.at(1).Number, QStringLiteral("０６（６１２３）４５６７"));
        QCOMPARE(marks.first().Date, QStringLiteral("2026/12/08"));
        // Read again, nothing is added twice.
        r = exchange::ImportMarkList(d, list, QStringLiteral("2026/12/09"));
        QCOMPARE(r.added, 0);
        QCOMPARE(r.already, 8);

        // Written out and read into another folder, the same marks with their reasons.
        const QString out = desktop_->file(QStringLiteral("out.csv"));
        const exchange::ExportReport e = exchange::ExportMarkList(d, out);
        QVERIFY2(e.ok, qPrintable(e.error));
        QCOMPARE(e.count, 7);
        d.close();
        TestDesktop other;
        db::Database again(Program::DatabasePath());
        r = exchange::ImportMarkList(again, out, QStringLiteral("2026/12/10"));
        QVERIFY(r.ok);
        QCOMPARE(r.added, 7);
        QCOMPARE(r.unreadable, 0);
        const QList<db::NuisanceMark> back = db::ReadNuisanceMarks(again);
        QCOMPARE(KeysOf(back), KeysOf(marks));
        for (int i = 0; i < back.size(); ++i)
            QCOMPARE(back.at(i).Reason, marks.at(i).Reason);
    }

    // The export refuses the program's own files, like every export.
    void exportRefusesOwnFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("the database") << "Kolvane.mdb";
        QTest::newRow("its log") << "Kolvane.mdb-wal";
        QTest::newRow("the settings") << "Kolvane.ini";
        QTest::newRow("the options") << "Options.ini";
    }

    void exportRefusesOwnFiles() {
        QFETCH(QString, name);
        db::Database d(Program::DatabasePath());
        QVERIFY(db::MarkNumber(d, QStringLiteral("0312345678"), {}, QStringLiteral("2026/12/08")));
        const QString target = desktop_->file(name);
        const exchange::ExportReport r = exchange::ExportMarkList(d, target);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(db::ReadNuisanceMarks(d).size(), 1);
    }

private:
    std::unique_ptr<TestDesktop> desktop_;
};

QTEST_GUILESS_MAIN(MarkListTest)
#include "tst_marklist.moc"
