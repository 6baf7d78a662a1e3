#include "ui/chrome/ImageButton.h"

#include <QSignalSpy>
#include <QTest>

class TestImageButton : public QObject {
    Q_OBJECT
private slots:
    void release_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("clicks");
        QTest::newRow("inside") << Qt::LeftButton << QPoint(10, 10) << 1;
        QTest::newRow("right border") << Qt::LeftButton << QPoint(35, 10) << 1;
        QTest::newRow("bottom-right corner") << Qt::LeftButton << QPoint(35, 35) << 1;
        QTest::newRow("past the right") << Qt::LeftButton << QPoint(36, 10) << 0;
        QTest::newRow("above") << Qt::LeftButton << QPoint(10, -1) << 0;
        QTest::newRow("right button") << Qt::RightButton << QPoint(10, 10) << 0;
        QTest::newRow("middle button") << Qt::MiddleButton << QPoint(10, 10) << 0;
        QTest::newRow("top-left corner") << Qt::LeftButton << QPoint(0, 0) << 1;
        QTest::newRow("bottom border") << Qt::LeftButton << QPoint(10, 35) << 1;
        QTest::newRow("past the bottom") << Qt::LeftButton << QPoint(10, 36) << 0;
        QTest::newRow("left of it") << Qt::LeftButton << QPoint(-1, 10) << 0;
    }
    void release() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, at);
        QFETCH(int, clicks);
        QWidget window;
        window.resize(100, 100);
        ImageButton b(35, 35, &window);
        b.move(20, 20);
        b.setFace(101);
        b.setPressedFace(102);
        window.show();
        QSignalSpy spy(&b, &ImageButton::clicked);
        QTest::mousePress(&b, button, {}, QPoint(10, 10));
        QCOMPARE(b.shownFace(), button == Qt::LeftButton ? 102 : 101);
        QTest::mouseRelease(&b, button, {}, at);
        QCOMPARE(spy.count(), clicks);
        QCOMPARE(b.shownFace(), 101);
    }
    // The hit bounds are the design size even where the picture is smaller (clock buttons:
    // 32 x 20 bounds, 32 x 18 faces).
    void designBounds_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("clicks");
        QTest::newRow("below the picture") << QPoint(16, 19) << 1;
        QTest::newRow("bottom border") << QPoint(32, 20) << 1;
        QTest::newRow("past the bottom") << QPoint(16, 21) << 0;
        QTest::newRow("past the right") << QPoint(33, 5) << 0;
    }
    void designBounds() {
        QFETCH(QPoint, at);
        QFETCH(int, clicks);
        ImageButton b(32, 20);
        b.setFace(190);
        b.setPressedFace(189);
        QCOMPARE(b.size(), QSize(32, 20));
        QCOMPARE(Face(190).size(), QSize(32, 18));
        QSignalSpy spy(&b, &ImageButton::clicked);
        QSignalSpy released(&b, &ImageButton::released);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, at);
        QCOMPARE(spy.count(), clicks);
        QCOMPARE(released.count(), 1);
        QCOMPARE(released.first().first().toBool(), clicks == 1);
    }

    void toggleFaceAfterRelease() {
        // A toggle shows the face of its state after the release: the new state after a
        // click, the unchanged one after a release outside.
        bool on = false;
        ImageButton b(35, 35);
        b.setFace(116);
        b.setPressedFace(115);
        b.setNormalFace([&] { return on ? 115 : 116; });
        connect(&b, &ImageButton::clicked, &b, [&] { on = !on; });
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(b.shownFace(), 115);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(50, 10));
        QVERIFY(on);
        QCOMPARE(b.shownFace(), 115);
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!on);
        QCOMPARE(b.shownFace(), 116);
    }

    void releaseWithoutPressIsNoClick() {
        ImageButton b(35, 35);
        b.setFace(102);
        QSignalSpy spy(&b, &ImageButton::clicked);
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(spy.count(), 0);
    }

    void paintsItsFace() {
        ImageButton b(35, 35);
        b.setFace(102);
        QCOMPARE(b.grab().toImage().pixel(17, 17), Face(102).toImage().pixel(17, 17));
        b.setFace(104);
        QCOMPARE(b.grab().toImage().pixel(10, 17), Face(104).toImage().pixel(10, 17));
    }

    void facesLoadAtTheirSize_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QSize>("size");
        const auto add = [](int from, int to, QSize size) {
            for (int n = from; n <= to; ++n)
                QTest::addRow("%d", n) << n << size;
        };
        add(101, 126, QSize(35, 35));
        add(181, 188, QSize(20, 20));
        add(189, 192, QSize(32, 18));
        add(201, 206, QSize(75, 35));
        add(211, 214, QSize(35, 35));
        add(221, 222, QSize(75, 35));
        add(231, 238, QSize(35, 35));
        add(251, 252, QSize(70, 30));
    }
    void facesLoadAtTheirSize() {
        QFETCH(int, number);
        QFETCH(QSize, size);
        QCOMPARE(Face(number).size(), size);
    }
    void disabledFace() {
        ImageButton b(20, 20);
        b.setFace(181);
        b.setDisabledFace(185);
        b.setEnabled(false);
        QCOMPARE(b.shownFace(), 185);
        b.setEnabled(true);
        QCOMPARE(b.shownFace(), 181);
    }
};

QTEST_MAIN(TestImageButton)
#include "tst_imagebutton.moc"
