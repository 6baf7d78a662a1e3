#include "db/ReferenceDatabase.h"
#include "platform/DiagnosticLog.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray contentsOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestReference : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString sqlitePath() const { return dir.filePath(QStringLiteral("ref.db")); }

    const QString fixtures = QStringLiteral(KOLVANE_FIXTURES_DIR "/");

private slots:
    // Damaged Access files never stop the program: libmdb, which trusts every byte, reads them
    // apart from it. No row is found, and the diagnostic log says why.
    void damagedAccessFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("cut");
        QTest::addColumn<QString>("why");
        // Found by fuzzing: libmdb loops on it.
        QTest::newRow("catalog loop")
            << "damaged/DateTestDatabase-catalog-loop.mdb" << qint64(-1) << "the Access reader";
        QTest::newRow("cut in a page")
            << "DateTestDatabase.mdb" << qint64(100000) << "its size does not match its pages";
        QTest::newRow("header only")
            << "testV2007.accdb" << qint64(4096) << "its size does not match its pages";
    }
    void damagedAccessFile() {
        QFETCH(QString, file);
        QFETCH(qint64, cut);
        QFETCH(QString, why);
        QByteArray bytes = contentsOf(fixtures + file);
        QVERIFY(!bytes.isEmpty());
        if (cut >= 0)
            bytes.truncate(cut);
        const QString path = dir.filePath(QStringLiteral("damaged.mdb"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        QCOMPARE(ReferenceDatabase::detectKind(path), ReferenceDatabase::Kind::Access);
        const QString log = dir.filePath(QStringLiteral("diag.log"));
        QFile::remove(log);
        QVERIFY(DiagnosticLog::open(log));
        ReferenceDatabase ref;
        if (ref.open(path)) {
            for (const QString &table : ref.tableNames())
                ref.columnNames(table);
            QVERIFY(!ref.lookup(QStringLiteral("DateTest"), QStringLiteral("IDCol"),
                                QStringLiteral("ShortTextCol"), QString(), QString(),
                                QStringLiteral("1")));
        }
        DiagnosticLog::close();
        const QString text = QString::fromUtf8(contentsOf(log));
        QVERIFY2(text.contains(QStringLiteral("failure reference phonebook unreadable")) &&
                     text.contains(why),
                 qPrintable(text));
    }

    // Found by fuzzing: libmdb prints on standard output while it reads this file. What it
    // prints is not taken for the answer, which is read as it was written.
    void libmdbNoiseIsNotTheAnswer() {
        ReferenceDatabase ref;
        QVERIFY(ref.open(fixtures + QStringLiteral("damaged/DateTestDatabase-noise.mdb")));
        const QStringList tables = ref.tableNames();
        QVERIFY(tables.contains(QStringLiteral("MSysObjects")));
        QVERIFY(tables.size() < 100);
    }

    // Table and column lists of real Access files, Jet 3, Jet 4 and ACE.
    void accessTables_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("alsoListed");
        QTest::newRow("nwind Jet 3")
            << "nwind.mdb"
            << "Customers"
            << QStringList{"CustomerID", "CompanyName", "ContactName", "ContactTitle",
                           "Address",    "City",        "Region",      "PostalCode",
                           "Country",    "Phone",       "Fax"}
            << "Umsätze";
        QTest::newRow("DateTest Jet 4")
            << "DateTestDatabase.mdb"
            << "DateTest" << QStringList{"IDCol",   "DateTimeCol", "DateCol",
                                         "TimeCol", "LongTextCol", "ShortTextCol"}
            << "MSysObjects";
        // Files of Access 2007 and later carry "Standard ACE DB" in their header.
        QTest::newRow("Table1 Access 2007")
            << "testV2007.accdb"
            << "Table1" << QStringList{"A", "B", "C", "D", "E", "F", "G", "H", "I"} << "Table4";
        QTest::newRow("Jet 4 Unicode") << "testUnicodeCompV2003.mdb"
                                       << "Table" << QStringList{"ID", "Unicode"} << "MSysACEs";
        QTest::newRow("table name with a blank, Jet 3")
            << "nwind.mdb"
            << "Order Details"
            << QStringList{"OrderID", "ProductID", "UnitPrice", "Quantity", "Discount"}
            << "Customers";
    }

    void accessTables() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(QString, alsoListed);
        const QString path = fixtures + file;
        QCOMPARE(ReferenceDatabase::detectKind(path), ReferenceDatabase::Kind::Access);
        ReferenceDatabase r;
        QVERIFY(r.open(path));
        const QStringList tables = r.tableNames();
        QVERIFY(tables.contains(table));
        QVERIFY(tables.contains(alsoListed));
        QVERIFY(tables.contains(QStringLiteral("MSysObjects")));
        QCOMPARE(r.columnNames(table), columns);
        QVERIFY(r.columnNames(QStringLiteral("NoSuchTable")).isEmpty());
    }

    // Lookups in real Access files. Empty address or zip field names select nothing; a
    // Null or empty column reads as empty text.
    void accessLookup_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields"); // phone, name, address, zip
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("zip");
        const QStringList customers = {"Phone", "CompanyName", "Address", "PostalCode"};
        QTest::newRow("ALFKI") << "nwind.mdb"
                               << "Customers" << customers << "030-0074321" << true
                               << "Alfreds Futterkiste"
                               << "Obere Str. 57"
                               << "12209";
        QTest::newRow("quotes") << "nwind.mdb"
                                << "Customers" << customers << "1\"OR\"1\"=\"1" << false << ""
                                << ""
                                << "";
        QTest::newRow("absent") << "nwind.mdb"
                                << "Customers" << customers << "030-007432" << false << ""
                                << ""
                                << "";
        QTest::newRow("prefix of a number")
            << "nwind.mdb"
            << "Customers" << customers << "030-00743210" << false << ""
            << ""
            << "";
        QTest::newRow("HUNGO null postal code")
            << "nwind.mdb"
            << "Customers" << customers << "2967 542" << true << "Hungry Owl All-Night Grocers"
            << "8 Johnstown Road"
            << "";
        QTest::newRow("ALFKI empty region as zip")
            << "nwind.mdb"
            << "Customers" << QStringList{"Phone", "CompanyName", "Address", "Region"}
            << "030-0074321" << true << "Alfreds Futterkiste"
            << "Obere Str. 57"
            << "";
        QTest::newRow("HUNGO region as zip")
            << "nwind.mdb"
            << "Customers" << QStringList{"Phone", "CompanyName", "Address", "Region"} << "2967 542"
            << true << "Hungry Owl All-Night Grocers"
            << "8 Johnstown Road"
            << "Co. Cork";
        QTest::newRow("no address, no zip field")
            << "nwind.mdb"
            << "Customers" << QStringList{"Phone", "CompanyName", "", ""} << "030-0074321" << true
            << "Alfreds Futterkiste"
            << ""
            << "";
        QTest::newRow("one column in two roles")
            << "nwind.mdb"
            << "Customers" << QStringList{"Phone", "CompanyName", "Address", "Phone"}
            << "030-0074321" << true << "Alfreds Futterkiste"
            << "Obere Str. 57"
            << "030-0074321";
        QTest::newRow("two-line address")
            << "nwind.mdb"
            << "Customers" << customers << "(206) 555-4112" << true << "White Clover Markets"
            << "305 - 14th Ave. S.\r\nSuite 3B"
            << "98128";
        QTest::newRow("last row") << "nwind.mdb"
                                  << "Customers" << customers << "(26) 642-7012" << true
                                  << "Wolski  Zajazd"
                                  << "ul. Filtrowa 68"
                                  << "01-012";
        QTest::newRow("unknown column")
            << "nwind.mdb"
            << "Customers" << QStringList{"Phone", "CompanyName", "Adresse", ""} << "030-0074321"
            << false << ""
            << ""
            << "";
        QTest::newRow("unknown table") << "nwind.mdb"
                                       << "Kunden" << customers << "030-0074321" << false << ""
                                       << ""
                                       << "";
        QTest::newRow("Jet 4 memo as name")
            << "DateTestDatabase.mdb"
            << "DateTest" << QStringList{"ShortTextCol", "LongTextCol", "ShortTextCol", "IDCol"}
            << "No new line" << true << "New line\r\nin field"
            << "No new line"
            << "6";
        QTest::newRow("Jet 4 short text")
            << "DateTestDatabase.mdb"
            << "DateTest" << QStringList{"ShortTextCol", "IDCol", "", ""} << "Pre-1900 years"
            << true << "3"
            << ""
            << "";
        QTest::newRow("Jet 4 integer phone column")
            << "DateTestDatabase.mdb"
            << "DateTest" << QStringList{"IDCol", "ShortTextCol", "", ""} << "2" << true
            << "Year 1999"
            << ""
            << "";
        QTest::newRow("Access 2007")
            << "testV2007.accdb"
            << "Table1" << QStringList{"A", "B", "", ""} << "abcdefg" << true << "hijklmnop"
            << ""
            << "";
        QTest::newRow("Access 2007 first row")
            << "testV2007.accdb"
            << "Table1" << QStringList{"A", "B", "A", ""} << "a" << true << "b"
            << "a"
            << "";
        QTest::newRow("Access 2007 absent")
            << "testV2007.accdb"
            << "Table1" << QStringList{"A", "B", "", ""} << "abcdef" << false << ""
            << ""
            << "";
        QTest::newRow("Jet 4 non-ASCII text")
            << "testUnicodeCompV2003.mdb"
            << "Table" << QStringList{"Unicode", "ID", "", ""} << "漢字仮名交じり文" << true << "5"
            << ""
            << "";
        QTest::newRow("Jet 3 non-ASCII table name")
            << "nwind.mdb"
            << "Umsätze" << QStringList{"ShipName", "ShipName", "ShipCity", ""}
            << "Vins et alcools Chevalier" << true << "Vins et alcools Chevalier"
            << "Reims"
            << "";
        QTest::newRow("Jet 4 absent")
            << "DateTestDatabase.mdb"
            << "DateTest" << QStringList{"ShortTextCol", "LongTextCol", "", ""} << "Hello!" << false
            << ""
            << ""
            << "";
    }

    void accessLookup() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        QFETCH(QString, number);
        QFETCH(bool, found);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, zip);
        ReferenceDatabase r;
        QVERIFY(r.open(fixtures + file));
        const auto row = r.lookup(table, fields[0], fields[1], fields[2], fields[3], number);
        QCOMPARE(row.has_value(), found);
        if (found) {
            QCOMPARE(row->name, name);
            QCOMPARE(row->address, address);
            QCOMPARE(row->zip, zip);
        }
    }

    // A reference file as another program leaves it: Japanese names, a table name with a
    // blank, Null and empty columns, a repeated number, and a phone column of numbers.
    void initTestCase() {
        QVERIFY(dir.isValid());
        {
            QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "build");
            s.setDatabaseName(sqlitePath());
            QVERIFY(s.open());
            QSqlQuery q(s);
            const QStringList statements = {
                "CREATE TABLE \"電話 帳\" (番号 TEXT, 名前 TEXT, 住所 TEXT, 〒 TEXT)",
                "INSERT INTO \"電話 帳\" VALUES ('0312345678', '山田', NULL, NULL)",
                "INSERT INTO \"電話 帳\" VALUES ('0312345679', '佐藤', '', '')",
                "INSERT INTO \"電話 帳\" VALUES ('0312345680', '鈴木', '東京都千代田区', "
                "'100-0001')",
                "INSERT INTO \"電話 帳\" VALUES ('0312345680', '二番目', '大阪府', '530-0001')",
                "INSERT INTO \"電話 帳\" VALUES ('0312345681', NULL, '横浜市', NULL)",
                "CREATE TABLE 数値 (番号, 名前 TEXT)",
                "INSERT INTO 数値 VALUES (312345682, '高橋')",
                // "MSys" in another letter case is an ordinary table.
                "CREATE TABLE \"msysKunden\" (\"電話 番号\" TEXT, \"Name\" TEXT)",
                "INSERT INTO \"msysKunden\" VALUES ('0312345690', '伊藤')",
            };
            for (const QString &sql : statements)
                QVERIFY2(q.exec(sql), qPrintable(sql));
            s.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("build"));
    }

    void sqliteLookup_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields"); // phone, name, address, zip
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("zip");
        const QStringList all = {"番号", "名前", "住所", "〒"};
        QTest::newRow("null address and zip") << "電話 帳" << all << "0312345678" << true << "山田"
                                              << ""
                                              << "";
        QTest::newRow("empty address and zip") << "電話 帳" << all << "0312345679" << true << "佐藤"
                                               << ""
                                               << "";
        QTest::newRow("every field") << "電話 帳" << all << "0312345680" << true << "鈴木"
                                     << "東京都千代田区"
                                     << "100-0001";
        QTest::newRow("null name") << "電話 帳" << all << "0312345681" << true << ""
                                   << "横浜市"
                                   << "";
        QTest::newRow("address only") << "電話 帳" << QStringList{"番号", "名前", "住所", ""}
                                      << "0312345680" << true << "鈴木"
                                      << "東京都千代田区"
                                      << "";
        QTest::newRow("zip only") << "電話 帳" << QStringList{"番号", "名前", "", "〒"}
                                  << "0312345680" << true << "鈴木"
                                  << ""
                                  << "100-0001";
        QTest::newRow("one column in two roles")
            << "電話 帳" << QStringList{"番号", "名前", "番号", "〒"} << "0312345680" << true
            << "鈴木"
            << "0312345680"
            << "100-0001";
        QTest::newRow("quotes") << "電話 帳" << all << "0312345678\" OR \"1\"=\"1" << false << ""
                                << ""
                                << "";
        QTest::newRow("absent") << "電話 帳" << all << "031234567" << false << ""
                                << ""
                                << "";
        QTest::newRow("number column")
            << "数値" << QStringList{"番号", "名前", "", ""} << "312345682" << true << "高橋"
            << ""
            << "";
        QTest::newRow("table named like a system table, column with a blank")
            << "msysKunden" << QStringList{"電話 番号", "Name", "", ""} << "0312345690" << true
            << "伊藤"
            << ""
            << "";
        QTest::newRow("unknown name field")
            << "電話 帳" << QStringList{"番号", "氏名", "", ""} << "0312345678" << false << ""
            << ""
            << "";
        QTest::newRow("unknown zip field")
            << "電話 帳" << QStringList{"番号", "名前", "", "郵便"} << "0312345678" << false << ""
            << ""
            << "";
        QTest::newRow("unknown table")
            << "無い" << QStringList{"番号", "名前", "", ""} << "0312345678" << false << ""
            << ""
            << "";
    }

    void sqliteLookup() {
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        QFETCH(QString, number);
        QFETCH(bool, found);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, zip);
        QCOMPARE(ReferenceDatabase::detectKind(sqlitePath()), ReferenceDatabase::Kind::SQLite);
        ReferenceDatabase r;
        QVERIFY(r.open(sqlitePath()));
        const auto row = r.lookup(table, fields[0], fields[1], fields[2], fields[3], number);
        QCOMPARE(row.has_value(), found);
        if (found) {
            QCOMPARE(row->name, name);
            QCOMPARE(row->address, address);
            QCOMPARE(row->zip, zip);
        }
    }

    void sqliteFileReadOnly() {
        const QByteArray before = contentsOf(sqlitePath());
        QVERIFY(!before.isEmpty());
        {
            ReferenceDatabase r;
            QVERIFY(r.open(sqlitePath()));
            QCOMPARE(r.tableNames(), (QStringList{QStringLiteral("電話 帳"), QStringLiteral("数値"),
                                                  QStringLiteral("msysKunden")}));
            QCOMPARE(r.columnNames(QStringLiteral("電話 帳")),
                     (QStringList{QStringLiteral("番号"), QStringLiteral("名前"),
                                  QStringLiteral("住所"), QStringLiteral("〒")}));
            QVERIFY(r.lookup(QStringLiteral("電話 帳"), QStringLiteral("番号"),
                             QStringLiteral("名前"), QString(), QString(),
                             QStringLiteral("0312345678")));
            r.close();
        }
        QCOMPARE(contentsOf(sqlitePath()), before);
        QVERIFY(!QFile::exists(sqlitePath() + QStringLiteral("-journal")));
        QVERIFY(!QFile::exists(sqlitePath() + QStringLiteral("-wal")));
    }

    // The header's signature at offset 4, byte by byte: 15 characters, whatever follows.
    void detectsTheHeader_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("kind");
        const QByteArray lead("\0\1\0\0", 4);
        const int access = int(ReferenceDatabase::Kind::Access);
        const int none = int(ReferenceDatabase::Kind::None);
        QTest::newRow("Jet") << lead + "Standard Jet DB" + QByteArray(1, '\0') << access;
        QTest::newRow("ACE") << lead + "Standard ACE DB" + QByteArray(1, '\0') << access;
        QTest::newRow("ACE, other byte after") << lead + "Standard ACE DBx" << access;
        QTest::newRow("ACE cut short") << lead + "Standard ACE D" << none;
        QTest::newRow("ACE at offset 0") << QByteArray("Standard ACE DB") + lead << none;
        QTest::newRow("lower case") << lead + "standard ace db" << none;
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0", 16)
                                << int(ReferenceDatabase::Kind::SQLite);
    }

    void detectsTheHeader() {
        QFETCH(QByteArray, head);
        QFETCH(int, kind);
        const QString path = dir.filePath(QStringLiteral("head.bin"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(head);
        f.close();
        QCOMPARE(int(ReferenceDatabase::detectKind(path)), kind);
        QCOMPARE(int(ReferenceDatabase::detectKind(fixtures + "testV2007.accdb")),
                 int(ReferenceDatabase::Kind::Access));
    }

    void notADatabase_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("text") << QByteArray("番号,名前\r\n0312345678,山田\r\n");
        QTest::newRow("sqlite header only") << QByteArray("SQLite format 3\0", 16);
        QTest::newRow("jet header only")
            << QByteArray("\0\1\0\0Standard Jet DB\0", 20) + QByteArray(100, '\0');
    }

    void notADatabase() {
        QFETCH(QByteArray, bytes);
        const QString path = dir.filePath(QStringLiteral("broken.db"));
        QFile::remove(path);
        if (!bytes.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        ReferenceDatabase r;
        r.open(path);
        QVERIFY(r.tableNames().isEmpty());
        QVERIFY(!r.lookup(QStringLiteral("電話 帳"), QStringLiteral("番号"), QStringLiteral("名前"),
                          QString(), QString(), QStringLiteral("0312345678")));
        if (!bytes.isEmpty())
            QCOMPARE(contentsOf(path), bytes);
    }
};

QTEST_GUILESS_MAIN(TestReference)
#include "tst_reference.moc"
