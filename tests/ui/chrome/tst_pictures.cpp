#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/SkinnedWindow.h"

#include <QTest>

namespace {
// Mean lightness and colour saturation of the opaque pixels of a picture.
struct Tone {
    double lightness = 0;
    double saturation = 0;
};
Tone tone(const QPixmap &pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    Tone t;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128)
                continue;
            t.lightness += c.lightnessF();
            t.saturation += c.hsvSaturationF();
            ++n;
        }
    if (n) {
        t.lightness /= n;
        t.saturation /= n;
    }
    return t;
}
// Share of pixels that differ between two pictures of one size.
double difference(const QPixmap &a, const QPixmap &b) {
    const QImage ia = a.toImage(), ib = b.toImage();
    int n = 0;
    for (int y = 0; y < ia.height(); ++y)
        for (int x = 0; x < ia.width(); ++x)
            n += ia.pixel(x, y) != ib.pixel(x, y);
    return double(n) / (ia.width() * ia.height());
}
} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void pressedLooksPressed_data() {
        QTest::addColumn<int>("pressed");
        QTest::addColumn<int>("normal");
        const int pairs[][2] = {{101, 102}, {103, 104}, {105, 106}, {107, 108}, {109, 110},
                                {111, 112}, {117, 118}, {121, 122}, {123, 124}, {125, 126},
                                {181, 182}, {183, 184}, {185, 186}, {187, 188}, {201, 202},
                                {203, 204}, {205, 206}, {211, 212}, {213, 214}, {221, 222},
                                {231, 232}, {233, 234}, {235, 236}, {237, 238}, {251, 252}};
        for (const auto &p : pairs)
            QTest::addRow("%d/%d", p[0], p[1]) << p[0] << p[1];
    }
    void pressedLooksPressed() {
        QFETCH(int, pressed);
        QFETCH(int, normal);
        const QPixmap a = Face(pressed), b = Face(normal);
        QCOMPARE(a.size(), b.size());
        QVERIFY2(tone(a).lightness < tone(b).lightness - 0.03, "pressed face is not darker");
        QVERIFY(difference(a, b) > 0.3);
    }

    void disabledLooksDisabled_data() {
        QTest::addColumn<int>("disabled");
        QTest::addColumn<int>("enabled");
        QTest::newRow("113 memo") << 113 << 106;
        QTest::newRow("114 register") << 114 << 112;
    }
    void disabledLooksDisabled() {
        QFETCH(int, disabled);
        QFETCH(int, enabled);
        const Tone d = tone(Face(disabled)), e = tone(Face(enabled));
        QVERIFY2(d.saturation < 0.12, "disabled face has colour");
        QVERIFY(d.saturation < e.saturation);
        // Grey and flat: light, without the dark glyph of the enabled face.
        QVERIFY(d.lightness > e.lightness);
    }

    void disabledFacesShowTheirCommand() {
        // The disabled memo face is the memo picture greyed, not some other picture.
        const auto edges = [](int number) {
            QImage img = Face(number).toImage().convertToFormat(QImage::Format_Grayscale8);
            QVector<bool> e;
            for (int y = 8; y < 27; ++y)
                for (int x = 8; x < 27; ++x)
                    e << (qAbs(qGray(img.pixel(x, y)) - qGray(img.pixel(x + 1, y))) > 12);
            return e;
        };
        const auto agreement = [&](int a, int b) {
            const QVector<bool> ea = edges(a), eb = edges(b);
            int same = 0, any = 0;
            for (int i = 0; i < ea.size(); ++i) {
                any += ea[i] || eb[i];
                same += ea[i] && eb[i];
            }
            return any ? double(same) / any : 0.0;
        };
        QVERIFY(agreement(113, 106) > agreement(113, 112));
        QVERIFY(agreement(114, 112) > agreement(114, 106));
    }

    void togglesShowTheirState_data() {
        QTest::addColumn<int>("on");
        QTest::addColumn<int>("off");
        QTest::newRow("keep on top 115/116") << 115 << 116;
        QTest::newRow("ring 119/120") << 119 << 120;
        QTest::newRow("time 189/190") << 189 << 190;
        QTest::newRow("date 191/192") << 191 << 192;
    }
    void togglesShowTheirState() {
        QFETCH(int, on);
        QFETCH(int, off);
        const Tone a = tone(Face(on)), b = tone(Face(off));
        // The lit state is coloured; the unlit one is muted.
        QVERIFY(a.saturation > b.saturation + 0.1);
        QVERIFY(difference(Face(on), Face(off)) > 0.3);
    }

    void distinctCommands() {
        // Each command of the main panel has its own picture.
        const int normals[] = {102, 104, 106, 110, 112, 116, 118, 120, 124, 126};
        for (int a : normals)
            for (int b : normals)
                if (a < b)
                    QVERIFY2(difference(Face(a), Face(b)) > 0.05,
                             qPrintable(QStringLiteral("%1 looks like %2").arg(a).arg(b)));
    }

    void unknownFaceIsNull() {
        QVERIFY(Face(100).isNull());
        QVERIFY(Face(300).isNull());
    }

    void skinPieceSizes_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QSize>("size");
        const QSize sizes[] = {{15, 15}, {7, 40},  {15, 15}, {50, 10},
                               {15, 15}, {11, 40}, {15, 15}, {50, 10}};
        for (int i = 0; i < 8; ++i)
            QTest::addRow("%d", i) << i << sizes[i];
    }
    void skinPieceSizes() {
        QFETCH(int, item);
        QFETCH(QSize, size);
        QCOMPARE(WindowChrome::SkinPiece(item).size(), size);
    }

    void edgesTileSeamlessly() {
        // An edge piece only varies across the frame, so consecutive copies join.
        for (int item : {1, 5}) {
            const QImage p = WindowChrome::SkinPiece(item).toImage();
            for (int x = 0; x < p.width(); ++x)
                for (int y = 1; y < p.height(); ++y)
                    QCOMPARE(p.pixel(x, y), p.pixel(x, 0));
        }
        for (int item : {3, 7}) {
            const QImage p = WindowChrome::SkinPiece(item).toImage();
            for (int y = 0; y < p.height(); ++y)
                for (int x = 1; x < p.width(); ++x)
                    QCOMPARE(p.pixel(x, y), p.pixel(0, y));
        }
    }

    void cornersJoinTheEdges_data() {
        QTest::addColumn<int>("corner");
        QTest::addColumn<int>("vertical");
        QTest::addColumn<int>("horizontal");
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("bottom");
        QTest::newRow("top-left") << 0 << 1 << 7 << false << false;
        QTest::newRow("bottom-left") << 2 << 1 << 3 << false << true;
        QTest::newRow("bottom-right") << 4 << 5 << 3 << true << true;
        QTest::newRow("top-right") << 6 << 5 << 7 << true << false;
    }
    void cornersJoinTheEdges() {
        QFETCH(int, corner);
        QFETCH(int, vertical);
        QFETCH(int, horizontal);
        QFETCH(bool, right);
        QFETCH(bool, bottom);
        const QImage c = WindowChrome::SkinPiece(corner).toImage();
        const QImage v = WindowChrome::SkinPiece(vertical).toImage();
        const QImage h = WindowChrome::SkinPiece(horizontal).toImage();
        // The corner's row next to the vertical edge continues it, pixel for pixel.
        const int joinRow = bottom ? 0 : 14;
        for (int x = 0; x < v.width(); ++x)
            QCOMPARE(c.pixel(right ? 15 - v.width() + x : x, joinRow), v.pixel(x, 0));
        const int joinColumn = right ? 0 : 14;
        for (int y = 0; y < h.height(); ++y)
            QCOMPARE(c.pixel(joinColumn, bottom ? 15 - h.height() + y : y), h.pixel(0, y));
        // Inside the frame the corner lets the window's background through.
        QCOMPARE(qAlpha(c.pixel(right ? 0 : 14, bottom ? 0 : 14)), 0);
    }

    void programPictures() {
        const QIcon icon = ProgramIcon();
        QVERIFY(!icon.isNull());
        for (int s : {16, 32, 48, 256})
            QCOMPARE(icon.pixmap(s, s).size(), QSize(s, s));
        QCOMPARE(TitleIcon().size(), QSize(24, 24));
        QCOMPARE(TitleLogo().size(), QSize(128, 30));
        // The logo is text on a transparent ground and fits left of the tray button.
        const QImage logo = TitleLogo().toImage();
        QCOMPARE(qAlpha(logo.pixel(127, 0)), 0);
        QVERIFY(tone(TitleLogo()).saturation > 0.2);
        QVERIFY(660 / 15 + 128 <= 2640 / 15);
        const QIcon tray = TrayPicture();
        QVERIFY(!tray.isNull());
        QCOMPARE(tray.pixmap(16, 16).size(), QSize(16, 16));
        QVERIFY(qAlpha(tray.pixmap(16, 16).toImage().pixel(8, 8)) > 200);
    }

    void linkCursor() {
        const QCursor cursor = LinkCursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
        QCOMPARE(cursor.hotSpot(), QPoint(9, 2));
        // The hot spot is on the fingertip's outline.
        QVERIFY(qAlpha(cursor.pixmap().toImage().pixel(cursor.hotSpot())) > 100);
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
