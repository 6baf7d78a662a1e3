#include "db/ReferenceDatabase.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestReference : public QObject {
    Q_OBJECT

    const QString nwind = QStringLiteral(KOLVANE_FIXTURES_DIR "/nwind.mdb");

private slots:
    void nwindTables() {
        ReferenceDatabase r;
        QCOMPARE(ReferenceDatabase::detectKind(nwind), ReferenceDatabase::Kind::Access);
        QVERIFY(r.open(nwind));
        const QStringList tables = r.tableNames();
        QVERIFY(tables.contains(QStringLiteral("Umsätze")));
        QVERIFY(tables.contains(QStringLiteral("Customers")));
        QVERIFY(tables.contains(QStringLiteral("MSysObjects")));
        QCOMPARE(r.columnNames(QStringLiteral("Customers")).value(9), QStringLiteral("Phone"));
    }

    void nwindLookup_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("zip");
        QTest::newRow("ALFKI") << "030-0074321" << true << "Alfreds Futterkiste"
                               << "12209";
        QTest::newRow("quotes") << "1\"OR\"1\"=\"1" << false << ""
                                << "";
        QTest::newRow("absent") << "030-007432" << false << ""
                                << "";
    }

    void nwindLookup() {
        QFETCH(QString, number);
        QFETCH(bool, found);
        QFETCH(QString, name);
        QFETCH(QString, zip);
        ReferenceDatabase r;
        QVERIFY(r.open(nwind));
        const auto row = r.lookup(QStringLiteral("Customers"), QStringLiteral("Phone"),
                                  QStringLiteral("CompanyName"), QStringLiteral("Address"),
                                  QStringLiteral("PostalCode"), number);
        QCOMPARE(row.has_value(), found);
        if (found) {
            QCOMPARE(row->name, name);
            QCOMPARE(row->zip, zip);
            QCOMPARE(row->address, QStringLiteral("Obere Str. 57"));
        }
    }

    void sqliteLookup() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ref.db"));
        {
            QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "build");
            s.setDatabaseName(path);
            QVERIFY(s.open());
            QSqlQuery q(s);
            QVERIFY(q.exec(
                QStringLiteral("CREATE TABLE \"電話 帳\" (番号 TEXT, 名前 TEXT, 住所 TEXT)")));
            QVERIFY(q.exec(
                QStringLiteral("INSERT INTO \"電話 帳\" VALUES ('0312345678', '山田', NULL)")));
            s.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("build"));
        const QByteArray before = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        ReferenceDatabase r;
        QVERIFY(r.open(path));
        QCOMPARE(r.tableNames(), QStringList{QStringLiteral("電話 帳")});
        auto row =
            r.lookup(QStringLiteral("電話 帳"), QStringLiteral("番号"), QStringLiteral("名前"),
                     QStringLiteral("住所"), QString(), QStringLiteral("0312345678"));
        QVERIFY(row);
        QCOMPARE(row->name, QStringLiteral("山田"));
        QVERIFY(row->address.isEmpty());
        QVERIFY(!r.lookup(QStringLiteral("電話 帳"), QStringLiteral("番号"), QStringLiteral("氏名"),
                          QString(), QString(), QStringLiteral("0312345678")));
        QVERIFY(!r.lookup(QStringLiteral("無い"), QStringLiteral("番号"), QStringLiteral("名前"),
                          QString(), QString(), QStringLiteral("0312345678")));
        r.close();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
};

QTEST_GUILESS_MAIN(TestReference)
#include "test_reference.moc"
