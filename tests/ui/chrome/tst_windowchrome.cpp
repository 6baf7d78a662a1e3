#include "ui/chrome/SkinnedWindow.h"
#include "ui/chrome/WindowChrome.h"

#include <QPainter>
#include <QTest>

class TestWindowChrome : public QObject {
    Q_OBJECT
private slots:
    void visiblePosition_data() {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QPoint>("shown");
        // Screens: 1280 x 1024, and a second one to its right, lower: the gap above it is
        // nobody's.
        QTest::newRow("on the screen") << QRect(100, 200, 289, 256) << QPoint(100, 200);
        QTest::newRow("corner just on") << QRect(1240, 984, 289, 256) << QPoint(1240, 984);
        QTest::newRow("corner just off")
            << QRect(1241, 100, 289, 256) << QPoint((1280 - 289) / 2, (1024 - 256) / 2);
        QTest::newRow("far away (30000, 20000 twips)")
            << QRect(2000, 1333, 289, 256) << QPoint(495, 384);
        QTest::newRow("above the top") << QRect(100, -30, 289, 256) << QPoint(495, 384);
        QTest::newRow("on the second screen") << QRect(1500, 400, 289, 256) << QPoint(1500, 400);
        QTest::newRow("in the gap above the second screen")
            << QRect(1500, 100, 289, 256) << QPoint(495, 384);
        QTest::newRow("larger than the screen") << QRect(5000, 5000, 2000, 2000) << QPoint(0, 0);
    }
    void visiblePosition() {
        QFETCH(QRect, window);
        QFETCH(QPoint, shown);
        const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 300, 1024, 768)};
        QCOMPARE(WindowChrome::VisiblePosition(window, screens, screens.first()), shown);
    }

    // A size read from a file is held to the screen the window opens on.
    void visibleGeometry_data() {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("shown");
        QTest::newRow("fits") << QRect(100, 200, 289, 256) << QRect(100, 200, 289, 256);
        QTest::newRow("2147483647 twips")
            << QRect(100, 200, 143165576, 143165576) << QRect(0, 0, 1280, 1024);
        QTest::newRow("too wide") << QRect(100, 200, 50000, 256) << QRect(0, 200, 1280, 256);
        QTest::newRow("too tall") << QRect(100, 200, 289, 5000) << QRect(100, 0, 289, 1024);
        QTest::newRow("too large, off every screen")
            << QRect(2000, 1333, 50000, 50000) << QRect(0, 0, 1280, 1024);
        QTest::newRow("too wide on the second screen")
            << QRect(1500, 400, 5000, 300) << QRect(1280, 400, 1024, 300);
    }
    void visibleGeometry() {
        QFETCH(QRect, window);
        QFETCH(QRect, shown);
        const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 300, 1024, 768)};
        QCOMPARE(WindowChrome::VisibleGeometry(window, screens, screens.first()), shown);
    }

    // A window without a place of its own opens beside the main window, on its screen.
    void besidePosition_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("shown");
        const QRect screen(0, 0, 1280, 1024);
        const QSize history(570, 400);
        const QSize wide(900, 400);
        QTest::newRow("right") << QRect(100, 100, 289, 254) << history << screen
                               << QPoint(397, 100);
        QTest::newRow("right, slid up to stay on the screen")
            << QRect(100, 800, 289, 200) << history << screen << QPoint(397, 624);
        QTest::newRow("left when the right has no room")
            << QRect(900, 100, 289, 254) << history << screen << QPoint(322, 100);
        QTest::newRow("below when neither side has room")
            << QRect(400, 100, 289, 254) << wide << screen << QPoint(380, 362);
        QTest::newRow("above when nothing else has room")
            << QRect(400, 700, 289, 254) << wide << screen << QPoint(380, 292);
        QTest::newRow("on the main window's screen, not the first")
            << QRect(1400, 400, 289, 254) << history << QRect(1280, 300, 1024, 768)
            << QPoint(1697, 400);
        QTest::newRow("no room at all: on the screen, at the right")
            << QRect(0, 0, 1280, 1024) << history << screen << QPoint(710, 0);
    }
    void besidePosition() {
        QFETCH(QRect, main);
        QFETCH(QSize, size);
        QFETCH(QRect, screen);
        QFETCH(QPoint, shown);
        const QPoint at = WindowChrome::BesidePosition(main, size, screen);
        QCOMPARE(at, shown);
        QVERIFY(screen.contains(QRect(at, size)));
    }

    void pieceCount_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("count");
        QTest::newRow("80 over 40") << 80 << 40 << 2;
        QTest::newRow("120 over 40") << 120 << 40 << 4;
        QTest::newRow("100 over 40") << 100 << 40 << 3;
        QTest::newRow("101 over 50") << 101 << 50 << 3;
        // Exact multiples: k pieces when k is even, k + 1 when k is odd.
        QTest::newRow("40 over 40") << 40 << 40 << 2;
        QTest::newRow("150 over 50") << 150 << 50 << 4;
        QTest::newRow("200 over 50") << 200 << 50 << 4;
        QTest::newRow("39 over 40") << 39 << 40 << 1;
        QTest::newRow("41 over 40") << 41 << 40 << 2;
        QTest::newRow("0 over 40") << 0 << 40 << 0;
        QTest::newRow("no piece") << 80 << 0 << 0;
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
    void regionRects_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("main") << int(WindowKind::Main) << QSize(289, 240) << QSize(283, 234)
                              << QRect(QPoint(2, 3), QPoint(285, 236));
        QTest::newRow("history") << int(WindowKind::History) << QSize(400, 300) << QSize(400, 300)
                                 << QRect(0, 0, 400, 300);
        QTest::newRow("phonebook") << int(WindowKind::Phonebook) << QSize(310, 210)
                                   << QSize(300, 200) << QRect(0, 0, 300, 200);
        QTest::newRow("reference") << int(WindowKind::ReferenceDatabase) << QSize(250, 150)
                                   << QSize(250, 150) << QRect(0, 0, 250, 150);
        QTest::newRow("about") << int(WindowKind::About) << QSize(330, 220) << QSize(330, 220)
                               << QRect(0, 0, 330, 220);
    }
    void regionRects() {
        QFETCH(int, kind);
        QFETCH(QSize, outer);
        QFETCH(QSize, client);
        QFETCH(QRect, rect);
        const auto k = WindowKind(kind);
        QCOMPARE(WindowChrome::WindowRegionRect(k, outer, client), rect);
        const QRegion region = WindowChrome::WindowRegion(k, outer, client);
        QCOMPARE(region.boundingRect(), rect);
        // Rounded with the 15 x 15 ellipse: the corner pixels are cut, the edge middles kept.
        for (const QPoint &corner :
             {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
            QVERIFY(!region.contains(corner));
        QVERIFY(region.contains(QPoint(rect.left(), rect.center().y())));
        QVERIFY(region.contains(QPoint(rect.center().x(), rect.top())));
        QVERIFY(region.contains(QPoint(rect.right(), rect.center().y())));
        QVERIFY(region.contains(QPoint(rect.center().x(), rect.bottom())));
        QVERIFY(region.contains(rect.topLeft() + QPoint(7, 2)));
        QVERIFY(region.contains(rect.topLeft() + QPoint(3, 3)));
        QVERIFY(!region.contains(rect.topLeft() + QPoint(1, 1)));
    }

    // The painted frame covers every side whatever the size: each pixel of the left, right,
    // top and bottom sides (outside the corners) is the piece's pixel at that offset.
    void tiling_data() {
        QTest::addColumn<QSize>("client");
        QTest::newRow("80 high") << QSize(100, 80);
        QTest::newRow("100 high") << QSize(100, 100);
        QTest::newRow("120 high") << QSize(150, 120);
        QTest::newRow("odd size") << QSize(263, 187);
    }
    void tiling() {
        QFETCH(QSize, client);
        QImage image(client, QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        QPainter p(&image);
        WindowChrome::PaintSkin(p, client);
        p.end();
        const int W = client.width(), H = client.height();
        const QImage left = WindowChrome::SkinPiece(1).toImage();
        const QImage right = WindowChrome::SkinPiece(5).toImage();
        const QImage top = WindowChrome::SkinPiece(7).toImage();
        const QImage bottom = WindowChrome::SkinPiece(3).toImage();
        for (int y = 15; y < H - 15; ++y) {
            for (int x = 0; x < left.width(); ++x)
                QCOMPARE(image.pixel(x, y), left.pixel(x, y % left.height()));
            for (int x = 0; x < right.width(); ++x)
                QCOMPARE(image.pixel(W - right.width() + x, y), right.pixel(x, y % 40));
        }
        for (int x = 15; x < W - 15; ++x) {
            for (int y = 0; y < top.height(); ++y)
                QCOMPARE(image.pixel(x, y), top.pixel(x % 50, y));
            for (int y = 0; y < bottom.height(); ++y)
                QCOMPARE(image.pixel(x, H - bottom.height() + y), bottom.pixel(x % 50, y));
        }
        // Corners over the edges, each at its place.
        const QImage br = WindowChrome::SkinPiece(4).toImage();
        QCOMPARE(image.pixel(W - 1, H - 1), br.pixel(14, 14));
        QCOMPARE(image.pixel(W - 15, H - 15),
                 qAlpha(br.pixel(0, 0)) ? br.pixel(0, 0) : QColor(Qt::magenta).rgba());
        // Inside the frame nothing is painted.
        QCOMPARE(image.pixelColor(W / 2, H / 2), QColor(Qt::magenta));
    }

    void twips() {
        QCOMPARE(WindowChrome::TwipsToPixelsX(4000), 267);
        QCOMPARE(WindowChrome::TwipsToPixelsY(1600), 107);
        QCOMPARE(WindowChrome::TwipsToPixelsX(3735), 249);
        QCOMPARE(WindowChrome::PixelsToTwipsX(30), 450);
        QCOMPARE(WindowChrome::PixelsToTwipsY(20), 300);
    }

    void minimumSizes() {
        QCOMPARE(WindowChrome::MinimumSizeTwips(WindowKind::History), QSize(4000, 1600));
        QCOMPARE(WindowChrome::MinimumSizeTwips(WindowKind::Phonebook), QSize(3600, 1600));
        for (WindowKind k : {WindowKind::Main, WindowKind::ReferenceDatabase, WindowKind::About})
            QCOMPARE(WindowChrome::MinimumSizeTwips(k), QSize(0, 0));
    }
};

QTEST_MAIN(TestWindowChrome)
#include "tst_windowchrome.moc"
