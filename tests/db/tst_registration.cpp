// Registration of a caller from a call, and the phonebook's data without its window.
#include "db/Database.h"
#include "db/Phonebook.h"
#include "db/Registration.h"
#include "support/PhonebookRows.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace db;
using namespace db::phonebook;

namespace {

int countOf(const Database &d, const QString &sql) {
    QSqlQuery q(d.sqlDatabase());
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

QVariant valueOf(const Database &d, const QString &sql) {
    QSqlQuery q(d.sqlDatabase());
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

void addCall(const Database &d, int id, const QString &number, const QString &name,
             const QString &memo, const QString &zip = {}) {
    RowSet t = d.openTable(QStringLiteral("着信履歴"));
    QVERIFY(t.addNew());
    t.setField(QStringLiteral("履歴ID"), id);
    t.setField(QStringLiteral("日時"), QStringLiteral("2024/01/02"));
    t.setField(QStringLiteral("時間"), QStringLiteral("10:11:12"));
    t.setField(QStringLiteral("電番"), number);
    if (!name.isEmpty())
        t.setField(QStringLiteral("氏名"), name);
    if (!memo.isEmpty())
        t.setField(QStringLiteral("メモ"), memo);
    if (!zip.isEmpty())
        t.setField(QStringLiteral("郵便番号"), zip);
    t.setField(QStringLiteral("着信者ID"), 0);
    QVERIFY(t.update());
}

} // namespace

Q_DECLARE_METATYPE(db::PhonebookEntry)

class RegistrationTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->filePath(QStringLiteral("Kolvane.mdb"));
    }

    void registersEntryAndNumber_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("remark");
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QString>("storedName");
        QTest::newRow("all fields") << "山田太郎"
                                    << "東京都"
                                    << "よく掛けてくる"
                                    << "100-0001"
                                    << "山田太郎";
        QTest::newRow("no name") << ""
                                 << ""
                                 << ""
                                 << ""
                                 << "No Name";
        QTest::newRow("address only") << "佐藤"
                                      << "大阪府\n北区"
                                      << ""
                                      << ""
                                      << "佐藤";
    }

    void registersEntryAndNumber() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, remark);
        QFETCH(QString, zip);
        QFETCH(QString, storedName);
        Database d(path_);
        addEntry(d, QStringLiteral("先客"));
        const auto id = RegisterToPhonebook(d, {"0312345678", name, address, remark, zip});
        QVERIFY(id);
        RowSet e = d.openTable(QStringLiteral("住所録"));
        QVERIFY(e.findFirst(QStringLiteral("ID=%1").arg(*id)));
        QCOMPARE(e.field(QStringLiteral("氏名")).toString(), storedName);
        // Empty inputs leave their fields Null.
        QCOMPARE(e.field(QStringLiteral("住所")).isNull(), address.isEmpty());
        QCOMPARE(e.field(QStringLiteral("その他")).isNull(), remark.isEmpty());
        QCOMPARE(e.field(QStringLiteral("郵便番号")).isNull(), zip.isEmpty());
        QCOMPARE(e.field(QStringLiteral("住所")).toString(), address);
        QCOMPARE(e.field(QStringLiteral("その他")).toString(), remark);
        const QVector<NumberRow> numbers = NumbersOfEntry(d, *id);
        QCOMPARE(numbers.size(), 1);
        QCOMPARE(numbers[0].Number, QStringLiteral("0312345678"));
        QVERIFY(numbers[0].Kind.isEmpty());
        QVERIFY(valueOf(d, "SELECT 摘要 FROM 電話番号").isNull());
    }

    // An entry that cannot be stored takes its number with it: no number goes to another
    // entry, and nothing at all is written.
    void failedEntryWritesNoNumber() {
        Database d(path_);
        const int other = addEntry(d, QStringLiteral("既存"));
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec("CREATE TRIGGER refuse BEFORE INSERT ON 住所録 "
                       "BEGIN SELECT RAISE(ABORT, 'full'); END"));
        QVERIFY(!RegisterToPhonebook(d, {"0311112222", "x", "", "", ""}));
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM 電話番号"), 0);
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM 住所録"), 1);
        QVERIFY(NumbersOfEntry(d, other).isEmpty());
    }

    // A number row that cannot be stored takes the entry back with it.
    void failedNumberTakesEntryBack() {
        Database d(path_);
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec("CREATE TRIGGER refuse BEFORE INSERT ON 電話番号 "
                       "BEGIN SELECT RAISE(ABORT, 'full'); END"));
        QVERIFY(!RegisterToPhonebook(d, {"0311112222", "x", "", "", ""}));
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM 住所録"), 0);
    }

    // The number goes to the entry just stored, even when a later entry exists.
    void numberGoesToTheEntryJustStored() {
        Database d(path_);
        QSqlQuery q(d.sqlDatabase());
        // Another writer's row with a higher key appears with ours.
        QVERIFY(q.exec("CREATE TRIGGER other AFTER INSERT ON 住所録 WHEN NEW.ID < 100 "
                       "BEGIN INSERT INTO 住所録 (ID, 氏名) VALUES (500, 'other'); END"));
        const auto id = RegisterToPhonebook(d, {"0355556666", "本人", "", "", ""});
        QVERIFY(id);
        QVERIFY(*id < 100);
        QCOMPARE(valueOf(d, "SELECT IDsub FROM 電話番号").toInt(), *id);
    }

    void closedDatabaseRegistersNothing() {
        QFile foreign(path_);
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("not a database at all, just text");
        foreign.close();
        Database d(path_);
        QVERIFY(!RegisterToPhonebook(d, {"0311112222", "x", "", "", ""}));
    }

    void checks_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("fromMain");
        QTest::addColumn<int>("fromHistory");
        const int ok = int(RegistrationCheck::Allowed);
        const int withheld = int(RegistrationCheck::NotNumeric);
        const int known = int(RegistrationCheck::AlreadyInPhonebook);
        QTest::newRow("new number") << "0399998888" << ok << ok;
        QTest::newRow("known number") << "0312345678" << ok << known;
        QTest::newRow("withheld") << "ユーザ拒否" << withheld << withheld;
        QTest::newRow("no call yet") << "" << withheld << withheld;
        QTest::newRow("reason letter") << "P" << withheld << withheld;
        QTest::newRow("known, typed with hyphens") << "0661234567" << ok << known;
        QTest::newRow("known, typed in full width") << "09011112222" << ok << known;
        QTest::newRow("other digits") << "0661234568" << ok << ok;
    }

    void checks() {
        QFETCH(QString, number);
        QFETCH(int, fromMain);
        QFETCH(int, fromHistory);
        Database d(path_);
        addNumber(d, addEntry(d, QStringLiteral("既存")), QStringLiteral("0312345678"));
        addNumber(d, addEntry(d, QStringLiteral("手入力")), QStringLiteral("06-6123-4567"));
        addNumber(d, addEntry(d, QStringLiteral("全角")),
                  QStringLiteral("０９０－１１１１－２２２２"));
        QCOMPARE(int(CheckRegistrationFromMainWindow(number)), fromMain);
        QCOMPARE(int(CheckRegistrationFromHistory(d, number)), fromHistory);
    }

    void messages() {
        QCOMPARE(RegistrationRefusalText(RegistrationCheck::NotNumeric),
                 QStringLiteral("電話番号が非通知の場合電話帳に登録できません。"));
        QCOMPARE(RegistrationRefusalText(RegistrationCheck::AlreadyInPhonebook),
                 QStringLiteral("既に電話番号が電話帳に登録されています。"));
        QCOMPARE(RegistrationRefusalTitle(), QStringLiteral("電話番号がありません。"));
    }

    void callerOfHistoryRow() {
        Database d(path_);
        addCall(d, 7, QStringLiteral("0612345678"), QStringLiteral("鈴木"),
                QStringLiteral("折り返し"), QStringLiteral("530-0001"));
        const auto c = CallerOfHistoryRow(d, 7);
        QVERIFY(c);
        QCOMPARE(c->Number, QStringLiteral("0612345678"));
        QCOMPARE(c->Name, QStringLiteral("鈴木"));
        QCOMPARE(c->Remark, QStringLiteral("折り返し"));
        QCOMPARE(c->Zip, QStringLiteral("530-0001"));
        QVERIFY(c->Address.isEmpty());
        QVERIFY(!CallerOfHistoryRow(d, 8));
    }

    // --- the phonebook's data ---

    void indexLetters() {
        const QStringList letters = IndexLetters();
        QCOMPARE(letters.size(), 46);
        QCOMPARE(letters.first(), QStringLiteral("ｱ"));
        QCOMPARE(letters.at(43), QStringLiteral("ﾜ"));
        QCOMPARE(letters.at(44), QStringLiteral("ｦ"));
        QCOMPARE(letters.at(45), QStringLiteral("ﾝ"));
        QCOMPARE(letters.at(36), QStringLiteral("ﾕ"));
    }

    void idOfText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("id");
        QTest::newRow("plain") << "12" << 12;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("letters") << "ab" << 0;
        QTest::newRow("blank around") << " 7 " << 7;
    }

    void idOfText() {
        QFETCH(QString, text);
        QFETCH(int, id);
        QCOMPARE(IdOfText(text), id);
    }

    void numbersInTelIdOrder() {
        Database d(path_);
        const int a = addEntry(d, QStringLiteral("A"));
        const int b = addEntry(d, QStringLiteral("B"));
        addNumber(d, a, QStringLiteral("1"), QStringLiteral("自宅"));
        addNumber(d, b, QStringLiteral("9"));
        addNumber(d, a, QStringLiteral("2"));
        const auto numbers = NumbersOfEntry(d, a);
        QCOMPARE(numbers.size(), 2);
        QCOMPARE(numbers[0].Number, QStringLiteral("1"));
        QCOMPARE(numbers[0].Kind, QStringLiteral("自宅"));
        QCOMPARE(numbers[1].Number, QStringLiteral("2"));
        QVERIFY(numbers[0].TelId < numbers[1].TelId);
    }

    // Every field goes to its column; an empty one is stored Null.
    void addsEntryAndNumber_data() {
        QTest::addColumn<PhonebookEntry>("entry");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("kind");
        QTest::newRow("every field") << PhonebookEntry{"山田 太郎",    "ﾔ",          "千葉県柏市",
                                                       "277-0852",     "1970/01/02", "a@example.jp",
                                                       "b@example.jp", "取引先"}
                                     << "04-7123-4567"
                                     << "自宅";
        QTest::newRow("name only")
            << PhonebookEntry{"佐藤", {}, {}, {}, {}, {}, {}, {}} << "0312345678"
            << "";
        QTest::newRow("nothing") << PhonebookEntry{} << QString() << "";
        QTest::newRow("empty number kept") << PhonebookEntry{} << QStringLiteral("") << "";
    }

    void addsEntryAndNumber() {
        QFETCH(PhonebookEntry, entry);
        QFETCH(QString, number);
        QFETCH(QString, kind);
        Database d(path_);
        addEntry(d, QStringLiteral("先客"));
        QString whyNot;
        const auto id = AddPhonebookEntry(d, entry, &whyNot);
        QVERIFY2(id, qPrintable(whyNot));
        const auto tel = AddPhonebookNumber(d, *id, number, kind, &whyNot);
        QVERIFY2(tel, qPrintable(whyNot));
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT 氏名, 索引インデックス, 住所, 郵便番号, 誕生日, "
                                      "Ｅメール1, Ｅメール2, その他 FROM 住所録 WHERE ID = %1")
                           .arg(*id)));
        QVERIFY(q.next());
        const QString fields[] = {entry.name,     entry.indexLetter, entry.address, entry.zip,
                                  entry.birthday, entry.mail1,       entry.mail2,   entry.other};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(q.value(i).isNull(), fields[i].isEmpty());
            QCOMPARE(q.value(i).toString(), fields[i]);
        }
        QVERIFY(q.exec(
            QStringLiteral("SELECT IDsub, 電番, 摘要 FROM 電話番号 WHERE TelID = %1").arg(*tel)));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), *id);
        QCOMPARE(q.value(1).isNull(), number.isNull());
        QCOMPARE(q.value(1).toString(), number);
        QCOMPARE(q.value(2).isNull(), kind.isEmpty());
        QCOMPARE(q.value(2).toString(), kind);
    }

    // A refused row is no row, and the caller is told why.
    void refusedAddSaysWhy() {
        Database d(path_);
        const int a = addEntry(d, QStringLiteral("A"));
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec("CREATE TRIGGER refuse BEFORE INSERT ON 住所録 "
                       "BEGIN SELECT RAISE(ABORT, 'entries full'); END"));
        QVERIFY(q.exec("CREATE TRIGGER refuseNumber BEFORE INSERT ON 電話番号 "
                       "BEGIN SELECT RAISE(ABORT, 'numbers full'); END"));
        QString whyNot;
        QVERIFY(!AddPhonebookEntry(d, PhonebookEntry{"B", {}, {}, {}, {}, {}, {}, {}}, &whyNot));
        QVERIFY2(whyNot.contains(QStringLiteral("entries full")), qPrintable(whyNot));
        QVERIFY(!AddPhonebookNumber(d, a, QStringLiteral("0311112222"), {}, &whyNot));
        QVERIFY2(whyNot.contains(QStringLiteral("numbers full")), qPrintable(whyNot));
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM 住所録"), 1);
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM 電話番号"), 0);
    }

    void closedDatabaseAddsNothing() {
        QFile foreign(path_);
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("not a database at all, just text");
        foreign.close();
        Database d(path_);
        QString whyNot;
        QVERIFY(!AddPhonebookEntry(d, PhonebookEntry{"x", {}, {}, {}, {}, {}, {}, {}}, &whyNot));
        QVERIFY(!whyNot.isEmpty());
        QVERIFY(!AddPhonebookNumber(d, 1, QStringLiteral("0311112222")));
    }

    void numberRowLife() {
        Database d(path_);
        const int a = addEntry(d, QStringLiteral("A"));
        QVERIFY(!CreateNumberRow(d, 0));
        const auto tel = CreateNumberRow(d, a);
        QVERIFY(tel);
        QCOMPARE(valueOf(d, "SELECT IDsub FROM 電話番号").toInt(), a);
        QVERIFY(valueOf(d, "SELECT 電番 FROM 電話番号").isNull());
        QVERIFY(SetNumberField(d, *tel, QStringLiteral("電番"), QStringLiteral("0451112222")));
        QVERIFY(SetNumberField(d, *tel, QStringLiteral("摘要"), QStringLiteral("携帯")));
        QCOMPARE(NumbersOfEntry(d, a).at(0).Number, QStringLiteral("0451112222"));
        QVERIFY(!SetNumberField(d, *tel + 1, QStringLiteral("電番"), QStringLiteral("x")));
        QVERIFY(!DeleteNumberRow(d, *tel + 1));
        QVERIFY(DeleteNumberRow(d, *tel));
        QVERIFY(NumbersOfEntry(d, a).isEmpty());
    }

    void cursorOnEmptyPhonebook() {
        Database d(path_);
        EntryCursor c(d);
        QVERIFY(!c.onEntry());
        QCOMPARE(c.id(), 0);
        QCOMPARE(c.count(), 0);
        QCOMPARE(c.position(), 0);
        c.moveLast();
        QVERIFY(!c.onEntry());
        QVERIFY(!c.writeChanges({{QStringLiteral("氏名"), QStringLiteral("x")}}));
        QVERIFY(!c.deleteCurrent());
    }

    // Previous on the first entry stands before it; Next from there returns to it.
    void cursorPastBothEnds() {
        Database d(path_);
        const int a = addEntry(d, QStringLiteral("A"));
        addEntry(d, QStringLiteral("B"));
        const int c3 = addEntry(d, QStringLiteral("C"));
        EntryCursor c(d);
        QCOMPARE(c.id(), a);
        QCOMPARE(c.position(), 1);
        c.movePrevious();
        QVERIFY(c.bof());
        QCOMPARE(c.position(), 0);
        c.movePrevious();
        QVERIFY(c.bof());
        c.moveNext();
        QCOMPARE(c.id(), a);
        c.moveLast();
        QCOMPARE(c.id(), c3);
        QCOMPARE(c.position(), 3);
        c.moveNext();
        QVERIFY(c.eof());
        c.moveNext();
        QVERIFY(c.eof());
        c.movePrevious();
        QCOMPARE(c.id(), c3);
    }

    void cursorWritesOnlyChanges() {
        Database d(path_);
        addEntry(d, QStringLiteral("A"), QStringLiteral("東京"));
        EntryCursor c(d);
        QMap<QString, QString> values = c.fields();
        QCOMPARE(values.value(QStringLiteral("住所")), QStringLiteral("東京"));
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec("CREATE TABLE writes (n INTEGER)"));
        QVERIFY(q.exec("CREATE TRIGGER counted AFTER UPDATE ON 住所録 "
                       "BEGIN INSERT INTO writes VALUES (1); END"));
        QVERIFY(c.writeChanges(values));
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM writes"), 0);
        values[QStringLiteral("住所")] = QString();
        values[QStringLiteral("索引インデックス")] = QStringLiteral("ｱ");
        QVERIFY(c.writeChanges(values));
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM writes"), 1);
        QVERIFY(valueOf(d, "SELECT 住所 FROM 住所録").isNull());
        QCOMPARE(valueOf(d, "SELECT 索引インデックス FROM 住所録").toString(), QStringLiteral("ｱ"));
    }

    void cursorStoresNewAndDeletes() {
        Database d(path_);
        const int a = addEntry(d, QStringLiteral("A"));
        const int b = addEntry(d, QStringLiteral("B"));
        addNumber(d, b, QStringLiteral("0300000000"));
        addCall(d, 1, QStringLiteral("0300000000"), QStringLiteral("B"), QString());
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("UPDATE 着信履歴 SET 着信者ID = %1").arg(b)));
        EntryCursor c(d);
        const auto id = c.storeNew({{QStringLiteral("氏名"), QStringLiteral("新人")}});
        QVERIFY(id);
        QCOMPARE(c.id(), *id);
        QCOMPARE(c.count(), 3);
        QCOMPARE(c.position(), 3);
        QVERIFY(c.moveToId(b));
        QVERIFY(c.deleteCurrent());
        // The first entry is shown; the numbers went with the entry, the calls stay.
        QCOMPARE(c.id(), a);
        QCOMPARE(c.count(), 2);
        QCOMPARE(countOf(d, "SELECT COUNT(*) FROM 電話番号"), 0);
        QCOMPARE(valueOf(d, "SELECT 氏名 FROM 着信履歴").toString(), QStringLiteral("B"));
        // A vanished entry leaves the cursor on the first row.
        QVERIFY(!c.moveToId(b));
        QCOMPARE(c.id(), a);
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

QTEST_GUILESS_MAIN(RegistrationTest)
#include "tst_registration.moc"
