// The phonebook to and from vCard: cards as phones and address books write them, the file
// the export writes, the import into a real Kolvane.mdb (duplicates, damaged files, a
// database held by another connection), and the real program's --import-phonebook and
// --export-phonebook.
#include "callerid/CallLookup.h"
#include "db/Database.h"
#include "exchange/VCard.h"
#include "support/PhonebookRows.h"

#include <QProcess>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

using exchange::VCardEntry;
using exchange::VCardFault;
using exchange::VCardNumber;

Q_DECLARE_METATYPE(VCardEntry)

namespace {

QByteArray ShiftJis(const QString &text) {
    QStringEncoder cp932("windows-31j");
    return cp932.encode(text);
}

VCardEntry Entry(const QString &name, const QString &letter, QVector<VCardNumber> numbers = {}) {
    VCardEntry e;
    e.name = name;
    e.indexLetter = letter;
    e.numbers = numbers;
    return e;
}

QString Describe(const VCardEntry &e) {
    QStringList numbers;
    for (const VCardNumber &n : e.numbers)
        numbers << n.number + "/" + n.kind;
    return QStringList{e.name,  e.indexLetter, e.address,        e.zip, e.birthday, e.mail1,
                       e.mail2, e.other,       numbers.join(",")}
        .join(" | ");
}

bool WriteFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Every entry of the phonebook with its numbers in TelID order, in ID order.
QStringList PhonebookOf(const db::Database &d) {
    QStringList rows;
    QSqlQuery q(d.sqlDatabase());
    if (!q.exec("SELECT ID, 氏名, 索引インデックス, 住所, 郵便番号, 誕生日, Ｅメール1, Ｅメール2, "
                "その他 FROM 住所録 ORDER BY ID"))
        return {"failed"};
    while (q.next()) {
        QStringList row;
        for (int i = 1; i < 9; ++i)
            row << (q.value(i).isNull() ? "<null>" : q.value(i).toString());
        QSqlQuery n(d.sqlDatabase());
        n.prepare("SELECT 電番, 摘要 FROM 電話番号 WHERE IDsub = ? ORDER BY TelID");
        n.addBindValue(q.value(0));
        n.exec();
        while (n.next())
            row << n.value(0).toString() + "/" + n.value(1).toString();
        rows << row.join(" | ");
    }
    return rows;
}

QString IntegrityOf(const QString &path) {
    const QString name = "integrity";
    QString result;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", name);
        d.setDatabaseName(path);
        if (d.open()) {
            QSqlQuery q(d);
            if (q.exec("PRAGMA integrity_check") && q.next())
                result = q.value(0).toString();
        }
        d.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

const QByteArray kTwoCards = "BEGIN:VCARD\r\n"
                             "VERSION:3.0\r\n"
                             "FN:田中 太郎\r\n"
                             "N:田中;太郎;;;\r\n"
                             "X-PHONETIC-LAST-NAME:たなか\r\n"
                             "TEL;TYPE=CELL:090-1234-5678\r\n"
                             "TEL;TYPE=HOME:03-1234-5678\r\n"
                             "END:VCARD\r\n"
                             "BEGIN:VCARD\r\n"
                             "VERSION:3.0\r\n"
                             "FN:佐藤 花子\r\n"
                             "SORT-STRING:さとう\r\n"
                             "TEL:045-111-2222\r\n"
                             "END:VCARD\r\n";

} // namespace

class VCardTest : public QObject {
    Q_OBJECT

private slots:
    // Cards as phones and address books write them.
    void reads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<VCardEntry>("expected");

        VCardEntry full = Entry("田中 太郎", "ﾀ",
                                {{"090-1234-5678", "携帯"},
                                 {"03-1234-5678", "自宅"},
                                 {"03-1234-9999", "Ｆａｘ"},
                                 {"06-555-0000", "勤務先"},
                                 {"011-222-3333", ""}});
        full.address = "東京都千代田区丸の内1-1 丸の内ビル";
        full.zip = "100-0005";
        full.birthday = "1980/05/12";
        full.mail1 = "taro@example.jp";
        full.mail2 = "t.tanaka@example.com";
        full.other = "a\\b;c,d\n二行目";
        QTest::newRow("3.0 with every field")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:田中 太郎\r\nN:田中;太郎;;;\r\n"
                          "X-PHONETIC-LAST-NAME:たなか\r\nX-PHONETIC-FIRST-NAME:たろう\r\n"
                          "ADR;TYPE=HOME:;丸の内ビル;丸の内1-1;千代田区;東京都;100-0005;\r\n"
                          "TEL;TYPE=CELL:090-1234-5678\r\nTEL;TYPE=HOME;TYPE=VOICE:03-1234-5678\r\n"
                          "TEL;TYPE=fax,home:03-1234-9999\r\nTEL;TYPE=WORK:06-555-0000\r\n"
                          "TEL;TYPE=other:011-222-3333\r\n"
                          "EMAIL;TYPE=INTERNET:taro@example.jp\r\nEMAIL:t.tanaka@example.com\r\n"
                          "EMAIL:third@example.org\r\nBDAY:1980-05-12\r\n"
                          "NOTE:a\\\\b\\;c\\,d\\n二行目\r\nEND:VCARD\r\n")
            << full;

        VCardEntry four = Entry("鈴木 一郎", "ｽ", {{"+81-90-9999-0000", "携帯"}});
        four.birthday = "04/12";
        QTest::newRow("4.0 with SORT-AS, a tel: URI and a day without year")
            << QByteArray("BEGIN:VCARD\nVERSION:4.0\nN;SORT-AS=\"すずき,いちろう\":鈴木;一郎;;;\n"
                          "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+81-90-9999-0000\n"
                          "BDAY:--0412\nEND:VCARD\n")
            << four;

        VCardEntry phone = Entry(
            "山田 花子", "ﾔ",
            {{"090-1111-2222", "携帯"}, {"03-3333-4444", "自宅"}, {"03-3333-5555", "Ｆａｘ"}});
        phone.address = "東京都港区\n一丁目";
        phone.zip = "105-0001";
        QTest::newRow("2.1 quoted-printable Shift_JIS with soft breaks and bare types")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\n"
                          "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;=89=D4=8E=71;"
                          ";;\r\n"
                          "SOUND;X-IRMC-N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=D4=CF=C0=DE;"
                          "=CA=C5=BA;;;\r\n"
                          "ADR;HOME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:;;=93=8C=8B=9E=93s="
                          "\r\n=8D`=8B=E6=0D=0A=88=EA=92=9A=96=DA;;;105-0001;\r\n"
                          "TEL;CELL:090-1111-2222\r\nTEL;HOME;VOICE:03-3333-4444\r\n"
                          "TEL;FAX:03-3333-5555\r\nEND:VCARD\r\n")
            << phone;

        VCardEntry sony = Entry("ソニー 太郎", "ｿ", {{"03-0000-1111", ""}});
        sony.other = "表示";
        QTest::newRow("whole file in Shift_JIS without CHARSET")
            << ShiftJis("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:ソニー 太郎\r\nTEL:03-0000-1111\r\n"
                        "NOTE:表示\r\nEND:VCARD\r\n")
            << sony;

        VCardEntry folded = Entry("長い 名前の人", "", {{"0312345678", "携帯"}});
        folded.other = "折り返された長い備考です";
        QTest::newRow("folded lines with blank and tab, UTF-8 mark, LF")
            << QByteArray("\xEF\xBB\xBF"
                          "BEGIN:VCARD\nVERSION:3.0\nFN:長い \n 名前の人\nNOTE:折り返された\n\t長い"
                          "備考です\nTEL;TY\n PE=CELL:0312345678\nEND:VCARD\n")
            << folded;

        QTest::newRow("grouped numbers with labels")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berg\r\n"
                          "item1.TEL:03-1111-0000\r\nitem1.X-ABLabel:実家\r\n"
                          "item2.TEL:090-0000-1111\r\nitem2.X-ABLabel:_$!<Mobile>!$_\r\n"
                          "END:VCARD\r\n")
            << Entry("Anna Berg", "", {{"03-1111-0000", "実家"}, {"090-0000-1111", "携帯"}});

        QTest::newRow("N alone, kana name gives the letter")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:がっこう;じろう;;;\r\nEND:VCARD\r\n")
            << Entry("がっこう じろう", "ｶ");

        QTest::newRow("our own index letter wins over the reading")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:東海林 さだお\r\n"
                          "X-PHONETIC-LAST-NAME:とうかいりん\r\nX-KOLVANE-INDEX:ｼ\r\nEND:VCARD\r\n")
            << Entry("東海林 さだお", "ｼ");

        VCardEntry text = Entry("Ken", "");
        text.birthday = "春ごろ";
        QTest::newRow("birthday as text, a Latin reading gives no letter")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ken\r\nSORT-STRING:Ken\r\n"
                          "BDAY;VALUE=text:春ごろ\r\nEND:VCARD\r\n")
            << text;

        VCardEntry note = Entry("Mia", "", {{"01", ""}});
        note.other = "quoted-printable: a=";
        QTest::newRow("a note that names quoted-printable and ends in =")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mia\r\n"
                          "NOTE:quoted-printable: a=\r\nTEL:01\r\nEND:VCARD\r\n")
            << note;

        VCardEntry apple = Entry("Mia", "");
        apple.birthday = "07/01";
        QTest::newRow("address-book birthday without year")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mia\r\n"
                          "BDAY;X-APPLE-OMIT-YEAR=1604:1604-07-01\r\nEND:VCARD\r\n")
            << apple;
    }
    void reads() {
        QFETCH(QByteArray, bytes);
        QFETCH(VCardEntry, expected);
        const exchange::VCardFile file = exchange::ParseVCards(bytes);
        QCOMPARE(file.faults.size(), 0);
        QCOMPARE(file.entries.size(), 1);
        QCOMPARE(Describe(file.entries.first()), Describe(expected));
    }

    // What cannot be read is said, card by card; the readable cards are read.
    void faults_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("cut short after a good card")
            << QByteArray("BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:B\r\nTEL:0") << 2
            << 1 << QStringList{"card 2 (line 4) has no END:VCARD; the file is cut short"};
        QTest::newRow("a card begun inside another")
            << QByteArray("BEGIN:VCARD\nFN:A\nBEGIN:VCARD\nFN:B\nEND:VCARD\n") << 2 << 1
            << QStringList{"card 1 (line 1) has no END:VCARD; the file is cut short"};
        QTest::newRow("a card with nothing in it")
            << QByteArray("BEGIN:VCARD\nVERSION:3.0\nEND:VCARD\n") << 1 << 0
            << QStringList{"card 1 (line 1) has no name, number or mail address"};
        QTest::newRow("binary junk")
            << QByteArray("\x00\xFF\x01:\x80\r\n\x02\x03", 10) << 0 << 0 << QStringList{};
        QTest::newRow("junk between cards is passed over")
            << QByteArray("garbage\nBEGIN:VCARD\nFN:A\n\x01\x02\nEND:VCARD\nmore") << 1 << 1
            << QStringList{};
        QTest::newRow("empty") << QByteArray() << 0 << 0 << QStringList{};
        const QString refused = "card 1 (line 1) has control characters in its name or a number";
        QTest::newRow("a NUL in a number")
            << QByteArray("BEGIN:VCARD\nFN:A\nTEL:03") + '\0' + "1234\nEND:VCARD\n"
            << 1 << 0 << QStringList{refused};
        QTest::newRow("an escape in a name")
            << QByteArray("BEGIN:VCARD\nFN:A\x1b[2J\nTEL:031234\nEND:VCARD\n") << 1 << 0
            << QStringList{refused};
        QTest::newRow("a line break in a name")
            << QByteArray("BEGIN:VCARD\nFN:A\\nB\nEND:VCARD\n") << 1 << 0 << QStringList{refused};
        QTest::newRow("a tab in a number")
            << QByteArray("BEGIN:VCARD\nFN:A\nTEL:03\t1234\nEND:VCARD\n") << 1 << 0
            << QStringList{refused};
        QTest::newRow("a line break in the address is kept")
            << QByteArray("BEGIN:VCARD\nFN:A\nADR:;;1\\n2;;;;\nEND:VCARD\n") << 1 << 1
            << QStringList{};
    }
    void faults() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, cards);
        QFETCH(int, entries);
        QFETCH(QStringList, faults);
        const exchange::VCardFile file = exchange::ParseVCards(bytes);
        QCOMPARE(file.cards, cards);
        QCOMPARE(file.entries.size(), entries);
        QStringList said;
        for (const VCardFault &f : file.faults)
            said << exchange::FaultText(f, exchange::Wording::English);
        QCOMPARE(said, faults);
    }

    void indexLetters_data() {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("letter");
        QTest::newRow("hiragana") << "あおき"
                                  << "ｱ";
        QTest::newRow("voiced") << "ざおう"
                                << "ｻ";
        QTest::newRow("half-voiced katakana") << "ポール"
                                              << "ﾎ";
        QTest::newRow("small tsu") << "っと"
                                   << "ﾂ";
        QTest::newRow("small ya") << "ゃ"
                                  << "ﾔ";
        QTest::newRow("wo") << "ヲ"
                            << "ｦ";
        QTest::newRow("n") << "ん"
                           << "ﾝ";
        QTest::newRow("vu") << "ヴィ"
                            << "ｳ";
        QTest::newRow("old wi") << "ゐ"
                                << "ｲ";
        QTest::newRow("half-width voiced") << "ﾀﾞｲ"
                                           << "ﾀ";
        QTest::newRow("half-width small") << "ｯ"
                                          << "ﾂ";
        QTest::newRow("leading blank") << "  わだ"
                                       << "ﾜ";
        QTest::newRow("latin") << "Tanaka"
                               << "";
        QTest::newRow("kanji") << "田中"
                               << "";
        QTest::newRow("long mark") << "ー"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void indexLetters() {
        QFETCH(QString, reading);
        QFETCH(QString, letter);
        QCOMPARE(exchange::IndexLetterOf(reading), letter);
    }

    void birthdays_data() {
        QTest::addColumn<QString>("vcard");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        QTest::newRow("extended") << "1980-05-12"
                                  << "1980/05/12"
                                  << "1980-05-12";
        QTest::newRow("basic") << "19800512"
                               << "1980/05/12"
                               << "1980-05-12";
        QTest::newRow("with a time") << "1980-05-12T00:00:00Z"
                                     << "1980/05/12"
                                     << "1980-05-12";
        QTest::newRow("no year") << "--0512"
                                 << "05/12"
                                 << "--0512";
        QTest::newRow("no year, extended") << "--05-12"
                                           << "05/12"
                                           << "--0512";
        QTest::newRow("29 February without year") << "--0229"
                                                  << "02/29"
                                                  << "--0229";
        QTest::newRow("no such day") << "1980-02-30"
                                     << "1980-02-30"
                                     << "";
        QTest::newRow("text") << "いつか"
                              << "いつか"
                              << "";
    }
    void birthdays() {
        QFETCH(QString, vcard);
        QFETCH(QString, stored);
        QFETCH(QString, written);
        QCOMPARE(exchange::BirthdayOfVCard(vcard), stored);
        QCOMPARE(exchange::VCardOfBirthday(stored), written);
    }

    // Birthdays typed in the window in other forms are still written as dates.
    void typedBirthdays_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("kanji") << "1975年3月9日"
                               << "1975-03-09";
        QTest::newRow("slashes, one digit") << "1975/3/9"
                                            << "1975-03-09";
        QTest::newRow("month and day") << "3月9日"
                                       << "--0309";
        QTest::newRow("not a day") << "13/40"
                                   << "";
    }
    void typedBirthdays() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QCOMPARE(exchange::VCardOfBirthday(typed), written);
    }

    // Lines of 75 octets at most, CR LF, no UTF-8 sequence cut, values escaped; read back the
    // same.
    void writtenFileReadsBack() {
        VCardEntry e = Entry("長谷川 ながいなまえのひと", "ﾊ",
                             {{"0312345678", "自宅"},
                              {"09011112222", "携帯"},
                              {"0311112222", "Ｆａｘ"},
                              {"0611112222", "勤務先"},
                              {"0120000000", "実家;別宅,離れ"},
                              {"0120000001", ""}});
        e.address = QString("東京都千代田区").repeated(8) + "\n二行目";
        e.zip = "100-0001";
        e.birthday = "2001/02/03";
        e.mail1 = "a@example.jp";
        e.mail2 = "b@example.jp";
        e.other = "x\\y;z,w\r\n" + QString("あ").repeated(100);
        VCardEntry typed = Entry("Typed", "", {});
        typed.birthday = "昭和50年ごろ";
        const QVector<VCardEntry> entries{e, typed, Entry("ｱｲｳ", "ｱ")};
        const QByteArray bytes = exchange::WriteVCards(entries);
        QVERIFY(bytes.endsWith("\r\n"));
        for (const QByteArray &line : bytes.split('\n')) {
            if (line.isEmpty())
                continue;
            QVERIFY2(line.endsWith('\r'), line.constData());
            QVERIFY2(line.size() - 1 <= 75, line.constData());
            QVERIFY2(!QString::fromUtf8(line).contains(QChar::ReplacementCharacter),
                     line.constData());
        }
        QVERIFY(bytes.contains("TEL;TYPE=HOME:0312345678\r\n"));
        QVERIFY(bytes.contains("TEL;TYPE=CELL:09011112222\r\n"));
        QVERIFY(bytes.contains("TEL;TYPE=FAX:0311112222\r\n"));
        QVERIFY(bytes.contains("TEL;TYPE=WORK:0611112222\r\n"));
        QVERIFY(bytes.contains("item1.TEL:0120000000\r\nitem1.X-ABLabel:実家\\;別宅\\,離れ\r\n"));
        QVERIFY(bytes.contains("TEL:0120000001\r\n"));
        QVERIFY(bytes.contains("BDAY:2001-02-03\r\n"));
        QVERIFY(bytes.contains("BDAY;VALUE=text:昭和50年ごろ\r\n"));
        QVERIFY(bytes.contains("N:長谷川;ながいなまえのひと;;;\r\n"));
        e.other.replace("\r\n", "\n"); // one line break, as the window keeps it
        const exchange::VCardFile back = exchange::ParseVCards(bytes);
        QCOMPARE(back.faults.size(), 0);
        QCOMPARE(back.entries.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Describe(back.entries[i]), Describe(i == 0 ? e : entries[i]));
    }

    // --- into and out of Kolvane.mdb ---

    // Export, then import into an empty database: the same entries, more than three numbers
    // of one entry included.
    void roundTripThroughFiles() {
        QTemporaryDir dir;
        QStringList before;
        {
            db::Database d(dir.filePath("a.mdb"));
            const int a = addEntry(d, "田中 太郎", "東京都\n港区", "105-0001");
            for (const char *n : {"0311110001", "0311110002", "0311110003", "0311110004"})
                addNumber(d, a, n, "自宅");
            addNumber(d, a, "09000000000", "別荘");
            addNumber(d, a, "0120111111");
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec("UPDATE 住所録 SET 索引インデックス='ﾀ', 誕生日='1970/01/02', "
                           "Ｅメール1='t@example.jp', Ｅメール2='u@example.jp', "
                           "その他='メモ; 一行,\\ 二行目' WHERE ID=1"));
            const int b = addEntry(d, "No Index");
            addNumber(d, b, "0459998888", "Ｆａｘ");
            addEntry(d, "番号のない人");
            // Filed under no letter, though its name begins with kana: it stays so.
            addEntry(d, "あおい");
            before = PhonebookOf(d);
            const exchange::ExportReport r =
                exchange::ExportPhonebookVCard(d, dir.filePath("x.vcf"));
            QVERIFY2(r.ok, qPrintable(r.error));
            QCOMPARE(r.count, 4);
        }
        db::Database e(dir.filePath("b.mdb"));
        const exchange::ImportReport r = exchange::ImportPhonebookVCard(e, dir.filePath("x.vcf"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.added, 4);
        QCOMPARE(r.duplicates, QStringList());
        QCOMPARE(PhonebookOf(e), before);
    }

    void numbersKeptAsWrittenAndFoundByTheirDigits() {
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath("c.vcf"),
                          "BEGIN:VCARD\nFN:X\nTEL:+81 3-1234-5678\nTEL:(045) 111-2222\n"
                          "TEL:内線\nEND:VCARD\n"));
        db::Database d(dir.filePath("k.mdb"));
        QVERIFY(exchange::ImportPhonebookVCard(d, dir.filePath("c.vcf")).ok);
        QCOMPARE(PhonebookOf(d),
                 QStringList{"X | <null> | <null> | <null> | <null> | <null> | <null> | <null> | "
                             "+81 3-1234-5678/ | (045) 111-2222/ | 内線/"});
        for (const char *reported : {"0312345678", "0451112222"}) {
            IncomingCall call;
            call.Number = QString::fromLatin1(reported);
            LookUpOwnPhonebook(d, call);
            QCOMPARE(call.CallerName, QStringLiteral("X"));
        }
    }

    // A number already there is not added again; a card that is all there already is left.
    void duplicates() {
        QTemporaryDir dir;
        db::Database d(dir.filePath("k.mdb"));
        const int a = addEntry(d, "田中 太郎");
        addNumber(d, a, "0312345678");
        QVERIFY(WriteFile(dir.filePath("d.vcf"),
                          "BEGIN:VCARD\nFN:田中 太郎\nTEL:03-1234-5678\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:田中 次郎\nTEL:+81-3-1234-5678\nTEL:090-1\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:三郎\nTEL:0901\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:四郎\nTEL:090-1\nEND:VCARD\n"));
        exchange::ImportReport r = exchange::ImportPhonebookVCard(d, dir.filePath("d.vcf"));
        QVERIFY(r.ok);
        QCOMPARE(r.added, 3);
        QCOMPARE(r.duplicates,
                 (QStringList{"03-1234-5678 (田中 太郎)", "+81-3-1234-5678 (田中 次郎)",
                              "0901 (三郎)", "090-1 (四郎)"}));
        // A new name with a known number comes in without that number.
        QCOMPARE(PhonebookOf(d).size(), 4);
        QVERIFY(PhonebookOf(d)[1].startsWith("田中 次郎"));
        QVERIFY(PhonebookOf(d)[1].endsWith("<null> | 090-1/"));
        QVERIFY(PhonebookOf(d)[2].startsWith("三郎"));
        QVERIFY(PhonebookOf(d)[2].endsWith("<null>"));

        // The same file again adds nothing.
        r = exchange::ImportPhonebookVCard(d, dir.filePath("d.vcf"));
        QVERIFY(r.ok);
        QCOMPARE(r.added, 0);
        QCOMPARE(PhonebookOf(d).size(), 4);

        // A long file read twice is told in counts past the first lines.
        const int cards = exchange::ImportReport::ListedLines + 200;
        QByteArray many;
        for (int i = 0; i < cards; ++i)
            many += "BEGIN:VCARD\nFN:客" + QByteArray::number(i) + "\nTEL:06" +
                    QByteArray::number(10000000 + i) + "\nEND:VCARD\n";
        QVERIFY(WriteFile(dir.filePath("many.vcf"), many));
        QCOMPARE(exchange::ImportPhonebookVCard(d, dir.filePath("many.vcf")).added, cards);
        r = exchange::ImportPhonebookVCard(d, dir.filePath("many.vcf"));
        QCOMPARE(r.added, 0);
        QCOMPARE(r.duplicateCount, cards);
        QCOMPARE(r.duplicates.size(), exchange::ImportReport::ListedLines);
        QCOMPARE(r.duplicates.last(), QStringLiteral("0610000999 (客999)"));
    }

    // Damaged files: the readable cards go in whole, nothing of the others; a file that is
    // not a vCard changes nothing.
    void damagedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QString>("error");
        QTest::newRow("truncated") << QByteArray("BEGIN:VCARD\nFN:A\nTEL:01\nEND:VCARD\n"
                                                 "BEGIN:VCARD\nFN:B\nTEL:0")
                                   << true << 1 << 1 << "";
        QTest::newRow("only a truncated card")
            << QByteArray("BEGIN:VCARD\nFN:B\nTEL:0") << true << 0 << 1 << "";
        QTest::newRow("empty") << QByteArray() << false << 0 << 0 << "is empty";
        QTest::newRow("blank lines") << QByteArray("\r\n \r\n") << false << 0 << 0 << "is empty";
        QTest::newRow("binary") << QByteArray("\x7F"
                                              "ELF\x00\x01\x02:\xFF",
                                              9)
                                << false << 0 << 0 << "not a vCard";
        QTest::newRow("csv") << QByteArray("name,number\nA,01\n") << false << 0 << 0
                             << "not a vCard";
        QTest::newRow("a control character in a number")
            << QByteArray("BEGIN:VCARD\nFN:A\nTEL:01\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:B\nTEL:02\x07\nEND:VCARD\n")
            << true << 1 << 1 << "";
    }
    void damagedFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(int, added);
        QFETCH(int, skipped);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath("x.vcf"), bytes));
        db::Database d(dir.filePath("k.mdb"));
        addEntry(d, "前からの人");
        const exchange::ImportReport r = exchange::ImportPhonebookVCard(d, dir.filePath("x.vcf"));
        QCOMPARE(r.ok, ok);
        QCOMPARE(r.added, added);
        QCOMPARE(r.skipped.size(), skipped);
        QVERIFY2(r.error.contains(error), qPrintable(r.error));
        QCOMPARE(PhonebookOf(d).size(), 1 + added);
        QCOMPARE(IntegrityOf(dir.filePath("k.mdb")), QString("ok"));
    }

    // A file is read a piece at a time: the first card comes before the rest of the file is
    // read, and cards cut by a piece's end (in UTF-8 and in UTF-16) read as the others.
    void readsOneCardAtATime_data() {
        QTest::addColumn<bool>("utf16");
        QTest::newRow("UTF-8") << false;
        QTest::newRow("UTF-16") << true;
    }
    void readsOneCardAtATime() {
        QFETCH(bool, utf16);
        QString text;
        const int count = 20000;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 %1\r\nTEL;TYPE=CELL:"
                                   "090%2\r\nNOTE:折り返し\r\n  続き\r\nEND:VCARD\r\n")
                        .arg(i)
                        .arg(i, 8, 10, QLatin1Char('0'));
        QByteArray bytes = text.toUtf8();
        if (utf16) {
            QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
            bytes = encoder.encode(text);
        }
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath("big.vcf"), bytes));
        QFile f(dir.filePath("big.vcf"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        exchange::VCardReader reader(f);
        std::optional<exchange::VCardReader::Card> card = reader.next();
        QVERIFY(card && card->entry);
        QVERIFY2(f.pos() <= 256 * 1024, qPrintable(QString::number(f.pos())));
        int read = 1;
        while ((card = reader.next())) {
            QVERIFY(card->entry);
            QCOMPARE(card->entry->name, QStringLiteral("山田 %1").arg(read));
            QCOMPARE(card->entry->numbers.value(0).number,
                     QStringLiteral("090%1").arg(read, 8, 10, QLatin1Char('0')));
            QCOMPARE(card->entry->other, QStringLiteral("折り返し 続き"));
            ++read;
        }
        QCOMPARE(read, count);
        QCOMPARE(reader.cards(), count);
    }

    void missingFile() {
        QTemporaryDir dir;
        db::Database d(dir.filePath("k.mdb"));
        const exchange::ImportReport r = exchange::ImportPhonebookVCard(
            d, dir.filePath("none.vcf"), exchange::Wording::Japanese);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, dir.filePath("none.vcf") + " を読めません。");
    }

    // Another connection reading does not stop an import; one writing makes it wait, then
    // give up with nothing written.
    void importBesideAnotherConnection() {
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath("t.vcf"), kTwoCards));
        db::Database d(dir.filePath("k.mdb"));
        addEntry(d, "前からの人");
        db::Database other(dir.filePath("k.mdb"));
        QSqlQuery reading(other.sqlDatabase());
        QVERIFY(reading.exec("BEGIN"));
        QVERIFY(reading.exec("SELECT * FROM 住所録"));
        QVERIFY(reading.next());
        exchange::ImportReport r = exchange::ImportPhonebookVCard(d, dir.filePath("t.vcf"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.added, 2);
        reading.finish();
        QVERIFY(reading.exec("COMMIT"));

        QSqlQuery writing(other.sqlDatabase());
        QVERIFY(writing.exec("BEGIN IMMEDIATE"));
        QVERIFY(WriteFile(dir.filePath("u.vcf"), "BEGIN:VCARD\nFN:新しい人\nEND:VCARD\n"));
        r = exchange::ImportPhonebookVCard(d, dir.filePath("u.vcf"));
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains("busy"), qPrintable(r.error));
        QVERIFY(writing.exec("ROLLBACK"));
        QCOMPARE(PhonebookOf(d).size(), 3);
        r = exchange::ImportPhonebookVCard(d, dir.filePath("u.vcf"));
        QVERIFY(r.ok);
        QCOMPARE(PhonebookOf(d).size(), 4);
    }

    // --- the real program ---

    void program_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("entries");
        QTest::newRow("import") << QStringList{"--import-phonebook", "@/in.vcf"} << kTwoCards << 0
                                << "2 entries added from @/in.vcf"
                                << "" << 3;
        QTest::newRow("import with a known number")
            << QStringList{"--import-phonebook", "@/in.vcf"}
            << QByteArray("BEGIN:VCARD\nFN:別人\nTEL:0311112222\nEND:VCARD\n") << 0
            << "already in the phonebook, not added: 0311112222 (別人)"
            << "" << 2;
        QTest::newRow("truncated")
            << QStringList{"--import-phonebook", "@/in.vcf"}
            << kTwoCards.left(kTwoCards.size() - 20) << 1 << "1 entries added"
            << "skipped: card 2 (line 9)" << 2;
        QTest::newRow("not a vCard") << QStringList{"--import-phonebook", "@/in.vcf"}
                                     << QByteArray("\x01\x02junk") << 1 << ""
                                     << "not a vCard file" << 1;
        QTest::newRow("empty") << QStringList{"--import-phonebook", "@/in.vcf"} << QByteArray() << 1
                               << ""
                               << "is empty" << 1;
        QTest::newRow("missing") << QStringList{"--import-phonebook", "@/none.vcf"} << QByteArray()
                                 << 1 << ""
                                 << "cannot read @/none.vcf" << 1;
        QTest::newRow("export") << QStringList{"--export-phonebook", "@/out.vcf"} << QByteArray()
                                << 0 << "1 entries written to @/out.vcf"
                                << "" << 1;
        QTest::newRow("export onto a folder")
            << QStringList{"--export-phonebook", "@"} << QByteArray() << 1 << ""
            << "cannot write @" << 1;
    }
    void program() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(int, entries);
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        QVERIFY(QDir().mkpath(folder));
        {
            db::Database d(folder + "/Kolvane.mdb");
            addNumber(d, addEntry(d, "前からの人"), "0311112222", "自宅");
        }
        QVERIFY(db::CheckpointDatabase(folder + "/Kolvane.mdb"));
        QVERIFY(WriteFile(dir.filePath("in.vcf"), file));
        for (QString &a : arguments)
            a.replace("@", dir.path());
        out.replace("@", dir.path());
        err.replace("@", dir.path());
        const auto [code, stdOut, stdErr] = Run(QStringList{"--folder", folder} + arguments);
        QCOMPARE(code, status);
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        QCOMPARE(IntegrityOf(folder + "/Kolvane.mdb"), QString("ok"));
        db::Database d(folder + "/Kolvane.mdb");
        QCOMPARE(PhonebookOf(d).size(), entries);
        if (arguments.first() == "--export-phonebook" && status == 0) {
            QFile written(dir.filePath("out.vcf"));
            QVERIFY(written.open(QIODevice::ReadOnly));
            const exchange::VCardFile back = exchange::ParseVCards(written.readAll());
            QCOMPARE(back.entries.size(), 1);
            QCOMPARE(back.entries[0].numbers.size(), 1);
            QCOMPARE(back.entries[0].numbers[0].kind, QString("自宅"));
        }
    }

    // Import while the program (another connection) has the database open.
    void programImportsBesideRunningProgram() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(WriteFile(dir.filePath("in.vcf"), kTwoCards));
        db::Database held(folder + "/Kolvane.mdb");
        addEntry(held, "前からの人");
        QSqlQuery reading(held.sqlDatabase());
        QVERIFY(reading.exec("SELECT * FROM 住所録"));
        QVERIFY(reading.next());
        const auto [code, stdOut, stdErr] =
            Run({"--folder", folder, "--import-phonebook", dir.filePath("in.vcf")});
        QCOMPARE(code, 0);
        QVERIFY2(stdOut.contains("2 entries added"), qPrintable(stdOut + stdErr));
        reading.finish();
        QCOMPARE(PhonebookOf(held).size(), 3);
        QCOMPARE(IntegrityOf(folder + "/Kolvane.mdb"), QString("ok"));
    }

    // A folder that cannot be written: the import fails and the file stays as it was.
    void programImportIntoReadOnlyFolder() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("profile");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(WriteFile(dir.filePath("in.vcf"), kTwoCards));
        const QByteArray path = folder.toLocal8Bit();
        bool mounted = false;
        if (geteuid() == 0) {
            // Permissions do not bind root: a file system of our own, made read-only.
            mounted = ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=1m") == 0;
            if (!mounted)
                QSKIP("a tmpfs cannot be mounted here");
        }
        {
            db::Database d(folder + "/Kolvane.mdb");
            addEntry(d, "前からの人");
        }
        QVERIFY(db::CheckpointDatabase(folder + "/Kolvane.mdb"));
        if (mounted)
            QCOMPARE(::mount("tmpfs", path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        else
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const auto [code, stdOut, stdErr] =
            Run({"--folder", folder, "--import-phonebook", dir.filePath("in.vcf")});
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
        else
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(code, 1);
        QVERIFY2(stdErr.contains("cannot use"), qPrintable(stdErr));
        if (!mounted) {
            QCOMPARE(IntegrityOf(folder + "/Kolvane.mdb"), QString("ok"));
            db::Database d(folder + "/Kolvane.mdb");
            QCOMPARE(PhonebookOf(d).size(), 1);
        }
    }

private:
    struct Result {
        int code;
        QString out;
        QString err;
    };
    static Result Run(const QStringList &arguments) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KOLVANE_BINARY), arguments);
        if (!p.waitForFinished(30000))
            return {-1, {}, {}};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
};

QTEST_MAIN(VCardTest)
#include "tst_vcard.moc"
