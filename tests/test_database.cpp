#include "db/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void missingFileGetsSchema() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kolvane.mdb"));
        db::Database d(path);
        QVERIFY(d.isOpen());
        db::RowSet rs = d.storedQuery(QStringLiteral("Q_履歴の最大")).openRows();
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(rs.field(QStringLiteral("履歴IDの最大")).isNull());
    }

    void storedQueriesOnEmptyDatabase() {
        QTemporaryDir dir;
        db::Database d(dir.filePath(QStringLiteral("Kolvane.mdb")));
        QVERIFY(d.isOpen());
        db::Query q = d.storedQuery(QStringLiteral("TELNOsach"));
        q.setParameter(QStringLiteral("TelNo"), QStringLiteral("0312345678"));
        QVERIFY(q.openRows().isEmpty());
        QVERIFY(d.storedQuery(QStringLiteral("Q_履歴削除")).execute());
        QVERIFY(!d.storedQuery(QStringLiteral("no such query")).execute());
    }

    void foreignFileUntouched_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("not a database\r\n");
        QTest::newRow("sqlite header only") << QByteArray("SQLite format 3\0", 16);
    }

    void foreignFileUntouched() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kolvane.mdb"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        {
            db::Database d(path);
            QVERIFY(!d.isOpen());
            QVERIFY(d.storedQuery(QStringLiteral("Q_履歴削除")).execute() == false);
        }
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
