#include "ui/chrome/WindowChrome.h"

#include <QTest>

class TestWindowChrome : public QObject {
    Q_OBJECT
private slots:
    void pieceCount_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("count");
        QTest::newRow("80 over 40") << 80 << 40 << 2;
        QTest::newRow("120 over 40") << 120 << 40 << 4;
        QTest::newRow("100 over 40") << 100 << 40 << 3;
        QTest::newRow("101 over 50") << 101 << 50 << 3;
    }
    void pieceCount() {
        QFETCH(int, length);
        QFETCH(int, piece);
        QFETCH(int, count);
        QCOMPARE(WindowChrome::SkinPieceCount(length, piece), count);
    }
    void regions() {
        const QRegion main =
            WindowChrome::WindowRegion(WindowKind::Main, QSize(200, 100), QSize(200, 100));
        QCOMPARE(main.boundingRect(), QRect(QPoint(2, 3), QPoint(196, 96)));
        QVERIFY(!main.contains(QPoint(2, 3)));
        QVERIFY(main.contains(QPoint(100, 50)));
        const QRegion other =
            WindowChrome::WindowRegion(WindowKind::About, QSize(210, 120), QSize(200, 100));
        QCOMPARE(other.boundingRect(), QRect(0, 0, 200, 100));
        QVERIFY(!other.contains(QPoint(0, 0)));
        QVERIFY(!other.contains(QPoint(199, 99)));
    }
    void minimumSizes() {
        QCOMPARE(WindowChrome::MinimumSizeTwips(WindowKind::History), QSize(4000, 1600));
        QCOMPARE(WindowChrome::MinimumSizeTwips(WindowKind::Phonebook), QSize(3600, 1600));
    }
};

QTEST_MAIN(TestWindowChrome)
#include "tst_windowchrome.moc"
