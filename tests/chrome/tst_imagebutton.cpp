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
