// The reference phonebook's index: built off the caller's thread from real SQLite and Access
// files, found by the digits of a number, rebuilt when its file changes, and out of the way
// (the table is scanned) whenever it cannot answer for the file as it is.
#include "callerid/CallLookup.h"
#include "db/ReferenceDatabase.h"
#include "db/ReferenceIndex.h"
#include "settings/Settings.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Rows = QList<QStringList>; // phone, name, address, zip

// A reference phonebook as another program leaves it: table 電話帳 with the rows in order.
// Written beside and put in place by a rename, as a program that saves a file whole does.
bool writeSqlite(const QString &path, const Rows &rows) {
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    {
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "write");
        s.setDatabaseName(partial);
        if (!s.open())
            return false;
        QSqlQuery q(s);
        bool ok = q.exec(QStringLiteral(
            "CREATE TABLE 電話帳 (番号 TEXT, 名前 TEXT, 所在地 TEXT, 郵便番号 TEXT)"));
        ok = ok && s.transaction();
        ok = ok && q.prepare(QStringLiteral("INSERT INTO 電話帳 VALUES (?, ?, ?, ?)"));
        for (const QStringList &row : rows) {
            for (int i = 0; i < 4; ++i)
                q.bindValue(i, row.value(i));
            ok = ok && q.exec();
        }
        ok = ok && s.commit();
        s.close();
        if (!ok)
            return false;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("write"));
    if (QFile::exists(path) && !QFile::remove(path))
        return false;
    return QFile::rename(partial, path);
}

bool execIn(const QString &path, const QString &sql) {
    bool ok = false;
    {
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "exec");
        s.setDatabaseName(path);
        ok = s.open() && QSqlQuery(s).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("exec"));
    return ok;
}

ReferenceSource sqliteSource(const QString &path) {
    return ReferenceSource{path, ReferenceFields{QStringLiteral("電話帳"), QStringLiteral("番号"),
                                                 QStringLiteral("名前"), QStringLiteral("所在地"),
                                                 QStringLiteral("郵便番号")}};
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

// Waits for the build started by setSource (or a change of file) to end.
bool builtOrFailed(ReferenceIndex &index) {
    return QTest::qWaitFor(
        [&] {
            return index.state() == ReferenceIndex::State::Ready ||
                   index.state() == ReferenceIndex::State::Failed;
        },
        30000);
}

QString nameFound(ReferenceIndex &index, const ReferenceSource &source, const QString &number,
                  ReferenceIndex::Answer *answer = nullptr) {
    ReferenceRow row;
    const ReferenceIndex::Answer a = index.find(source, number, &row);
    if (answer)
        *answer = a;
    return a == ReferenceIndex::Answer::Found ? row.name : QString();
}

const Rows kRows = {
    {"03-1234-5678", "ハイフン 商店", "東京都千代田区", "100-0001"},
    {"0312345678", "そのまま 商事", "東京都港区", "105-0001"},
    {"06-1111-2222", "大阪 一郎", "大阪府大阪市", "530-0001"},
    {"０４５−１２３−４５６７", "横浜 全角", "神奈川県横浜市", "220-0001"},
    {"+81 3 9999 0000", "国際 表記", "東京都新宿区", "160-0001"},
    {"011-222-3333", "札幌 先", "北海道札幌市", "060-0001"},
    {"011 222 3333", "札幌 後", "北海道札幌市", "060-0002"},
    {"", "番号なし", "どこか", ""},
    {"不明", "文字だけ", "どこか", ""},
    {"0471234567", "柏 太郎", "", ""},
};

} // namespace

class TestReferenceIndex : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    const QString fixtures = QStringLiteral(KOLVANE_FIXTURES_DIR "/");
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    // Found by the digits, as the call path asks: the exact phone first, then the first row
    // written otherwise; rows without a digit are not indexed.
    void sqliteFind_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("exact beats the earlier hyphenated row") << "0312345678"
                                                                << "そのまま 商事";
        QTest::newRow("hyphenated exactly as stored") << "03-1234-5678"
                                                      << "ハイフン 商店";
        QTest::newRow("hyphen-stored number") << "0611112222"
                                              << "大阪 一郎";
        QTest::newRow("full-width stored number") << "0451234567"
                                                  << "横浜 全角";
        QTest::newRow("stored for abroad") << "0399990000"
                                           << "国際 表記";
        QTest::newRow("two written otherwise: the first") << "0112223333"
                                                          << "札幌 先";
        QTest::newRow("exact over an earlier one") << "011 222 3333"
                                                   << "札幌 後";
        QTest::newRow("caller from abroad") << "+81471234567"
                                            << "柏 太郎";
        QTest::newRow("missing") << "0999999999"
                                 << "";
        QTest::newRow("prefix only") << "03123"
                                     << "";
    }
    void sqliteFind() {
        QFETCH(QString, number);
        QFETCH(QString, name);
        const QString file = path(QStringLiteral("find.db"));
        if (!QFile::exists(file)) {
            QVERIFY(writeSqlite(file, kRows));
            QVERIFY(
                execIn(file, QStringLiteral("CREATE VIEW 電話帳ビュー AS SELECT * FROM 電話帳")));
        }
        const ReferenceSource source = sqliteSource(file);
        // A table is indexed by rowid and its row read back; a view has no rowids and is held.
        ReferenceSource view = source;
        view.fields.table = QStringLiteral("電話帳ビュー");
        for (const ReferenceSource &s : {source, view}) {
            ReferenceIndex index;
            index.setSource(s);
            QVERIFY(builtOrFailed(index));
            QCOMPARE(index.state(), ReferenceIndex::State::Ready);
            QCOMPARE(index.table()->byRowid(), s.fields.table == source.fields.table);
            QCOMPARE(index.table()->rowCount(), kRows.size() - 2);
            ReferenceIndex::Answer answer;
            QCOMPARE(nameFound(index, s, number, &answer), name);
            QCOMPARE(answer, name.isEmpty() ? ReferenceIndex::Answer::NotFound
                                            : ReferenceIndex::Answer::Found);
        }
        // Where the scan finds the number as stored, the index names the same row.
        ReferenceDatabase scan;
        QVERIFY(scan.open(file));
        const auto exact = scan.lookup(source.fields.table, source.fields.phone, source.fields.name,
                                       source.fields.address, source.fields.zip, number);
        if (exact)
            QCOMPARE(exact->name, name);
    }

    // The whole row comes back, and a number without a digit is left to the scan.
    void rowAndDigitlessNumber() {
        const QString file = path(QStringLiteral("row.db"));
        QVERIFY(writeSqlite(file, kRows));
        const ReferenceSource source = sqliteSource(file);
        ReferenceIndex index;
        index.setSource(source);
        QVERIFY(builtOrFailed(index));
        ReferenceRow row;
        QCOMPARE(index.find(source, QStringLiteral("0611112222"), &row),
                 ReferenceIndex::Answer::Found);
        QCOMPARE(row.name, QStringLiteral("大阪 一郎"));
        QCOMPARE(row.address, QStringLiteral("大阪府大阪市"));
        QCOMPARE(row.zip, QStringLiteral("530-0001"));
        QCOMPARE(index.find(source, QStringLiteral("不明"), &row), ReferenceIndex::Answer::Scan);
        // Asked for another file or other columns, the index does not answer.
        ReferenceSource other = source;
        other.fields.name = source.fields.address;
        QCOMPARE(index.find(other, QStringLiteral("0611112222"), &row),
                 ReferenceIndex::Answer::Scan);
    }

    // Real Access files (Jet 3, Jet 4, ACE) read whole in the child process.
    void accessFind_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("fields"); // table, phone, name, address, zip
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("row"); // name, address, zip
        const QStringList customers = {"Customers", "Phone", "CompanyName", "Address",
                                       "PostalCode"};
        QTest::newRow("nwind, hyphen-stored phone")
            << "nwind.mdb" << customers << 91 << "0300074321"
            << QStringList{"Alfreds Futterkiste", "Obere Str. 57", "12209"};
        QTest::newRow("nwind, phone as stored")
            << "nwind.mdb" << customers << 91 << "030-0074321"
            << QStringList{"Alfreds Futterkiste", "Obere Str. 57", "12209"};
        QTest::newRow("nwind, missing")
            << "nwind.mdb" << customers << 91 << "0000000000" << QStringList();
        QTest::newRow("ACE, number column as phone")
            << "testV2007.accdb" << QStringList{"Table1", "C", "A", "B", ""} << 2 << "2"
            << QStringList{"abcdefg", "hijklmnop", ""};
    }
    void accessFind() {
        QFETCH(QString, file);
        QFETCH(QStringList, fields);
        QFETCH(int, rows);
        QFETCH(QString, number);
        QFETCH(QStringList, row);
        const ReferenceSource source{
            fixtures + file,
            ReferenceFields{fields[0], fields[1], fields[2], fields[3], fields[4]}};
        ReferenceIndex index;
        index.setSource(source);
        QVERIFY(builtOrFailed(index));
        QVERIFY2(index.state() == ReferenceIndex::State::Ready, qPrintable(index.failure()));
        QCOMPARE(index.table()->rowCount(), rows);
        ReferenceRow found;
        const ReferenceIndex::Answer answer = index.find(source, number, &found);
        if (row.isEmpty()) {
            QCOMPARE(answer, ReferenceIndex::Answer::NotFound);
            return;
        }
        QCOMPARE(answer, ReferenceIndex::Answer::Found);
        QCOMPARE((QStringList{found.name, found.address, found.zip}), row);
    }

    // Every phone of a real Access table is found by the index as the scan finds it.
    void accessAgreesWithScan() {
        const QString file = fixtures + QStringLiteral("nwind.mdb");
        const ReferenceSource source{
            file, ReferenceFields{"Customers", "Phone", "CompanyName", "Address", "PostalCode"}};
        QStringList phones;
        ReferenceDatabase scan;
        QVERIFY(scan.open(file));
        QVERIFY(scan.readRows(
            source.fields,
            [&](const QByteArray &phone, const QByteArray &, const QByteArray &,
                const QByteArray &) { phones << QString::fromUtf8(phone); },
            ReferenceIndex::AccessBuildTimeoutMs, nullptr, nullptr));
        QCOMPARE(phones.size(), 91);
        ReferenceIndex index;
        index.setSource(source);
        QVERIFY(builtOrFailed(index));
        for (const QString &phone : {phones.first(), phones.at(45), phones.last()}) {
            const auto row =
                scan.lookup(source.fields.table, source.fields.phone, source.fields.name,
                            source.fields.address, source.fields.zip, phone);
            QVERIFY(row);
            ReferenceRow found;
            QCOMPARE(index.find(source, phone, &found), ReferenceIndex::Answer::Found);
            QCOMPARE(found.name, row->name);
            QCOMPARE(found.address, row->address);
            QCOMPARE(found.zip, row->zip);
        }
    }

    // A file that cannot be indexed gives no index, and the lookup scans (and finds nothing).
    void unusableFile_data() {
        QTest::addColumn<QString>("file"); // in fixtures, or made here when it starts with "@"
        QTest::addColumn<QStringList>("fields");
        const QStringList dateTest = {"DateTest", "IDCol", "ShortTextCol", "", ""};
        QTest::newRow("missing") << "@missing.mdb" << dateTest;
        QTest::newRow("not a database") << "@text.mdb" << dateTest;
        QTest::newRow("cut Access file") << "@cut.mdb" << dateTest;
        // libmdb loops on it: the child process is ended after its time.
        QTest::newRow("catalog loop") << "damaged/DateTestDatabase-catalog-loop.mdb" << dateTest;
        QTest::newRow("no such column")
            << "DateTestDatabase.mdb" << QStringList{"DateTest", "IDCol", "Nothing", "", ""};
        QTest::newRow("no such table")
            << "nwind.mdb" << QStringList{"Nothing", "Phone", "CompanyName", "", ""};
    }
    void unusableFile() {
        QFETCH(QString, file);
        QFETCH(QStringList, fields);
        QString filePath = fixtures + file;
        if (file.startsWith(QLatin1Char('@'))) {
            filePath = path(file.mid(1));
            QFile::remove(filePath);
            if (file == QLatin1String("@text.mdb")) {
                QFile f(filePath);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("Standard Jet DB? no, just text\n");
            } else if (file == QLatin1String("@cut.mdb")) {
                QVERIFY(QFile::copy(fixtures + QStringLiteral("DateTestDatabase.mdb"), filePath));
                QFile f(filePath);
                QVERIFY(f.resize(100000));
            }
        }
        const ReferenceSource source{
            filePath, ReferenceFields{fields[0], fields[1], fields[2], fields[3], fields[4]}};
        ReferenceIndex index;
        QSignalSpy states(&index, &ReferenceIndex::stateChanged);
        index.setSource(source);
        QVERIFY(builtOrFailed(index));
        QCOMPARE(index.state(), ReferenceIndex::State::Failed);
        QVERIFY(!index.failure().isEmpty());
        QVERIFY(!index.table());
        QCOMPARE(states.size(), 2); // building, failed
        ReferenceRow row;
        // The scan would not read it either (or would hang the call for seconds): nothing.
        QCOMPARE(index.find(source, QStringLiteral("1"), &row), ReferenceIndex::Answer::NotFound);
        IncomingCall call;
        call.Number = QStringLiteral("1");
        LookUpReferencePhonebook(settingsOf(source), call, &index);
        QVERIFY(call.CallerName.isEmpty());
        // Looking again at a file that has not changed does not build again.
        index.checkFile();
        QCOMPARE(index.state(), ReferenceIndex::State::Failed);
    }

    // While the index is built the table is scanned for the number as stored; once built the
    // number is found by its digits too.
    void scanWhileBuilding() {
        const QString file = path(QStringLiteral("building.db"));
        QVERIFY(writeSqlite(file, kRows));
        const ReferenceSource source = sqliteSource(file);
        const Settings settings = settingsOf(source);
        ReferenceIndex index;
        index.setSource(source);
        // The build's end is delivered through this thread's events: none has run yet.
        QCOMPARE(index.state(), ReferenceIndex::State::Building);
        ReferenceRow row;
        QCOMPARE(index.find(source, QStringLiteral("0312345678"), &row),
                 ReferenceIndex::Answer::Scan);
        IncomingCall exact;
        exact.Number = QStringLiteral("06-1111-2222");
        LookUpReferencePhonebook(settings, exact, &index);
        QCOMPARE(exact.CallerName, QStringLiteral("大阪 一郎"));
        QCOMPARE(exact.CallerZip, QStringLiteral("530-0001"));
        IncomingCall digits;
        digits.Number = QStringLiteral("0611112222");
        LookUpReferencePhonebook(settings, digits, &index);
        QVERIFY(digits.CallerName.isEmpty());

        QVERIFY(builtOrFailed(index));
        QCOMPARE(index.state(), ReferenceIndex::State::Ready);
        LookUpReferencePhonebook(settings, digits, &index);
        QCOMPARE(digits.CallerName, QStringLiteral("大阪 一郎"));
        // What the call already has stays.
        IncomingCall known;
        known.Number = QStringLiteral("0611112222");
        known.CallerName = QStringLiteral("自分の電話帳");
        LookUpReferencePhonebook(settings, known, &index);
        QCOMPARE(known.CallerName, QStringLiteral("自分の電話帳"));
        QCOMPARE(known.CallerAddress, QStringLiteral("大阪府大阪市"));
    }

    // A file written anew is indexed anew: until then the old rows are never named.
    void rebuiltWhenFileChanges() {
        const QString file = path(QStringLiteral("changing.db"));
        QVERIFY(writeSqlite(file, {{"03-1111-2222", "旧 名前", "旧住所", ""}}));
        const ReferenceSource source = sqliteSource(file);
        const Settings settings = settingsOf(source);
        ReferenceIndex index;
        index.setSource(source);
        QVERIFY(builtOrFailed(index));
        QCOMPARE(nameFound(index, source, QStringLiteral("0311112222")), QStringLiteral("旧 名前"));
        const std::shared_ptr<const ReferenceTable> before = index.table();

        QVERIFY(writeSqlite(file, {{"0399998888", "別人", "", ""},
                                   {"03-1111-2222", "新 名前", "新しい住所", "123-4567"}}));
        ReferenceRow row;
        QCOMPARE(index.find(source, QStringLiteral("0311112222"), &row),
                 ReferenceIndex::Answer::Scan);
        QCOMPARE(index.state(), ReferenceIndex::State::Building);
        IncomingCall meanwhile;
        meanwhile.Number = QStringLiteral("0311112222");
        LookUpReferencePhonebook(settings, meanwhile, &index);
        QVERIFY(meanwhile.CallerName.isEmpty()); // the scan: not stored so; never the old row

        QVERIFY(builtOrFailed(index));
        QCOMPARE(index.state(), ReferenceIndex::State::Ready);
        QVERIFY(index.table() != before);
        QCOMPARE(nameFound(index, source, QStringLiteral("0311112222")), QStringLiteral("新 名前"));
        QCOMPARE(nameFound(index, source, QStringLiteral("0399998888")), QStringLiteral("別人"));

        // Found by the timer's look as well, without a lookup; a file removed gives no index.
        QVERIFY(QFile::remove(file));
        QVERIFY(QTest::qWaitFor([&] { return index.state() == ReferenceIndex::State::Failed; },
                                ReferenceIndex::CheckIntervalMs * 3));
        QCOMPARE(index.find(source, QStringLiteral("0311112222"), &row),
                 ReferenceIndex::Answer::NotFound);
        // And put back, it is indexed again.
        QVERIFY(writeSqlite(file, {{"0311112222", "戻った 名前", "", ""}}));
        index.checkFile();
        QVERIFY(builtOrFailed(index));
        QCOMPARE(nameFound(index, source, QStringLiteral("0311112222")),
                 QStringLiteral("戻った 名前"));
    }

    // Another file, table or column: the index is of the new source alone.
    void sourceChanges() {
        const QString first = path(QStringLiteral("first.db"));
        const QString second = path(QStringLiteral("second.db"));
        QVERIFY(writeSqlite(first, {{"03-1111-2222", "一つ目", "東京", ""}}));
        QVERIFY(writeSqlite(second, {{"03-1111-2222", "二つ目", "大阪", ""}}));
        ReferenceIndex index;
        index.setSource(sqliteSource(first));
        QVERIFY(builtOrFailed(index));
        QCOMPARE(nameFound(index, sqliteSource(first), QStringLiteral("0311112222")),
                 QStringLiteral("一つ目"));

        index.setSource(sqliteSource(second));
        QCOMPARE(index.state(), ReferenceIndex::State::Building);
        QVERIFY(builtOrFailed(index));
        QCOMPARE(nameFound(index, sqliteSource(second), QStringLiteral("0311112222")),
                 QStringLiteral("二つ目"));
        ReferenceRow row;
        QCOMPARE(index.find(sqliteSource(first), QStringLiteral("0311112222"), &row),
                 ReferenceIndex::Answer::Scan);

        ReferenceSource byAddress = sqliteSource(second);
        byAddress.fields.name = QStringLiteral("所在地");
        index.setSource(byAddress);
        QVERIFY(builtOrFailed(index));
        QCOMPARE(nameFound(index, byAddress, QStringLiteral("0311112222")), QStringLiteral("大阪"));

        // A source set again while its build runs does not start another one.
        index.setSource(sqliteSource(first));
        QSignalSpy states(&index, &ReferenceIndex::stateChanged);
        index.setSource(sqliteSource(first));
        QVERIFY(builtOrFailed(index));
        QCOMPARE(states.size(), 1); // ready

        index.setSource(ReferenceSource());
        QCOMPARE(index.state(), ReferenceIndex::State::Off);
        QVERIFY(!index.table());
    }

    // An index dropped while it builds ends its thread (and the child process) first.
    void destroyedWhileBuilding_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("SQLite") << "@big.db";
        QTest::newRow("Access that makes libmdb loop")
            << "damaged/DateTestDatabase-catalog-loop.mdb";
        QTest::newRow("Access") << "nwind.mdb";
    }
    void destroyedWhileBuilding() {
        QFETCH(QString, file);
        ReferenceSource source;
        if (file.startsWith(QLatin1Char('@'))) {
            Rows rows;
            for (int i = 0; i < 20000; ++i)
                rows << QStringList{QStringLiteral("06-%1").arg(10000000 + i),
                                    QStringLiteral("名前%1").arg(i), QString(), QString()};
            QVERIFY(writeSqlite(path(file.mid(1)), rows));
            source = sqliteSource(path(file.mid(1)));
        } else {
            source = ReferenceSource{fixtures + file,
                                     ReferenceFields{"Customers", "Phone", "CompanyName", "", ""}};
        }
        auto index = std::make_unique<ReferenceIndex>();
        index->setSource(source);
        QCOMPARE(index->state(), ReferenceIndex::State::Building);
        index.reset();
        // The build's end, posted to an index that is gone, is dropped with it.
        QCoreApplication::processEvents();
    }

    // The rows an Access child sends back divide into whole rows, or are refused.
    void decodeRows_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<int>("rows");
        const auto field = [](const QByteArray &text) {
            const quint32 size = quint32(text.size());
            return QByteArray(reinterpret_cast<const char *>(&size), sizeof size) + text;
        };
        const QByteArray row = field("03-1") + field("名") + field("") + field("z");
        QTest::newRow("nothing") << QByteArray() << true << 0;
        QTest::newRow("two rows") << row + row << true << 2;
        QTest::newRow("cut in a length") << row + row.left(2) << false << 1;
        QTest::newRow("cut in a text") << row + row.left(6) << false << 1;
        QTest::newRow("length past the end")
            << field("03") + QByteArray("\xff\xff\xff\x7f", 4) + "x" << false << 0;
    }
    void decodeRows() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, whole);
        QFETCH(int, rows);
        int seen = 0;
        QCOMPARE(DecodeReferenceRows(bytes,
                                     [&](const QByteArray &phone, const QByteArray &name,
                                         const QByteArray &, const QByteArray &zip) {
                                         ++seen;
                                         QCOMPARE(phone, QByteArray("03-1"));
                                         QCOMPARE(QString::fromUtf8(name), QStringLiteral("名"));
                                         QCOMPARE(zip, QByteArray("z"));
                                     }),
                 whole);
        QCOMPARE(seen, rows);
    }
};

QTEST_GUILESS_MAIN(TestReferenceIndex)
#include "tst_referenceindex.moc"
