#include "ui/controls/BevelPanel.h"

#include "ui/chrome/SkinnedWindow.h"

#include <QMouseEvent>
#include <QTest>

namespace {
// Distinct bevel colours so every line of an edge can be told apart.
QPalette bevelPalette() {
    QPalette p;
    p.setColor(QPalette::Light, QColor(255, 255, 255));
    p.setColor(QPalette::Midlight, QColor(220, 220, 220));
    p.setColor(QPalette::Dark, QColor(128, 128, 128));
    p.setColor(QPalette::Shadow, QColor(64, 64, 64));
    p.setColor(QPalette::Button, QColor(192, 192, 192));
    return p;
}
const QColor Back(18, 52, 86);
} // namespace

class TestBevelPanel : public QObject {
    Q_OBJECT
    static QImage render(BevelPanel &panel) { return panel.grab().toImage(); }
    static void send(QWidget *w, QEvent::Type type, QPoint global, Qt::MouseButton button,
                     Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

private slots:
    void defaults() {
        BevelPanel panel;
        QCOMPARE(panel.outerEdge(), 3);
        QCOMPARE(panel.innerEdge(), 0);
        QCOMPARE(panel.borderWidth(), 1);
        QCOMPARE(panel.backColorValue(), 0x8000000Fu);
        QCOMPARE(panel.backColor(), panel.palette().color(QPalette::Button));
        QVERIFY(panel.children().isEmpty());
    }

    void defaultPanelDrawsARaisedFrame() {
        QWidget window;
        BevelPanel panel(&window);
        panel.setPalette(bevelPalette());
        panel.setGeometry(0, 60, 215, 39);
        const QImage image = render(panel);
        QCOMPARE(image.size(), QSize(215, 39));
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(214, 38), QColor(64, 64, 64));
        QCOMPARE(image.pixelColor(100, 20), QColor(192, 192, 192));
    }

    // Colours of the outer top-left, outer bottom-right, inner top-left and inner
    // bottom-right lines of each style ('L'ight, 'M'idlight, 'D'ark, 'S'hadow, 'B'ack).
    void edgeStyles_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("lines");
        QTest::newRow("none") << 0 << "BBBB";
        QTest::newRow("bump") << 1 << "LSDM";
        QTest::newRow("etched") << 2 << "SLMD";
        QTest::newRow("raised") << 3 << "LSMD";
        QTest::newRow("raised inner") << 4 << "MDBB";
        QTest::newRow("raised outer") << 5 << "LSBB";
        QTest::newRow("sunken") << 6 << "SLDM";
        QTest::newRow("sunken inner") << 7 << "DMBB";
        QTest::newRow("sunken outer") << 8 << "SLBB";
        QTest::newRow("9 draws nothing") << 9 << "BBBB";
        QTest::newRow("-1 draws nothing") << -1 << "BBBB";
    }
    void edgeStyles() {
        QFETCH(int, style);
        QFETCH(QString, lines);
        const auto colour = [](QChar c) {
            switch (c.toLatin1()) {
            case 'L':
                return QColor(255, 255, 255);
            case 'M':
                return QColor(220, 220, 220);
            case 'D':
                return QColor(128, 128, 128);
            case 'S':
                return QColor(64, 64, 64);
            default:
                return Back;
            }
        };
        BevelPanel panel;
        panel.setPalette(bevelPalette());
        panel.setBackColor(Back);
        panel.resize(40, 30);
        for (bool asInner : {false, true}) {
            // As the inner edge with BorderWidth 3, the same lines sit 3 pixels inside.
            panel.setOuterEdge(asInner ? 0 : style);
            panel.setInnerEdge(asInner ? style : 0);
            panel.setBorderWidth(3);
            const int o = asInner ? 3 : 0;
            const QImage image = render(panel);
            QCOMPARE(image.pixelColor(o, o), colour(lines[0]));
            QCOMPARE(image.pixelColor(20, o), colour(lines[0]));
            QCOMPARE(image.pixelColor(o, 15), colour(lines[0]));
            QCOMPARE(image.pixelColor(39 - o, 29 - o), colour(lines[1]));
            // The bottom and right lines are drawn over the shared corners.
            QCOMPARE(image.pixelColor(39 - o, o), colour(lines[1]));
            QCOMPARE(image.pixelColor(o, 29 - o), colour(lines[1]));
            QCOMPARE(image.pixelColor(o + 1, o + 1), colour(lines[2]));
            QCOMPARE(image.pixelColor(38 - o, 28 - o), colour(lines[3]));
            QCOMPARE(image.pixelColor(20, 15), Back);
        }
    }

    void flatWithoutEdges() {
        BevelPanel panel;
        panel.setOuterEdge(0);
        panel.setInnerEdge(0);
        panel.setBackColor(Qt::black);
        panel.resize(30, 20);
        const QImage image = render(panel);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                QCOMPARE(image.pixelColor(x, y), QColor(Qt::black));
    }

    void borderWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("innerVisible");
        QTest::addColumn<QRect>("inner");
        QTest::newRow("0: on the outer edge") << 0 << true << QRect(QPoint(0, 0), QPoint(40, 30));
        QTest::newRow("4") << 4 << true << QRect(QPoint(4, 4), QPoint(36, 26));
        QTest::newRow("15: empty") << 15 << false << QRect(QPoint(15, 15), QPoint(25, 15));
        QTest::newRow("20: inverted") << 20 << false << QRect(QPoint(20, 20), QPoint(20, 10));
    }
    void borderWidth() {
        QFETCH(int, width);
        QFETCH(bool, innerVisible);
        QFETCH(QRect, inner);
        BevelPanel panel;
        panel.setPalette(bevelPalette());
        panel.setBackColor(Back);
        panel.setOuterEdge(0);
        panel.setInnerEdge(8); // sunken outer: a single shadow line top and left
        panel.setBorderWidth(width);
        panel.resize(40, 30);
        QCOMPARE(panel.innerRect(), inner);
        const QImage image = render(panel);
        int shadow = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                shadow += image.pixelColor(x, y) == QColor(64, 64, 64);
        QCOMPARE(shadow > 0, innerVisible);
        if (innerVisible)
            QCOMPARE(image.pixelColor(width, width + 5), QColor(64, 64, 64));
    }

    void resizeRedrawsTheEdges() {
        BevelPanel panel;
        panel.setPalette(bevelPalette());
        panel.setOuterEdge(6);
        panel.setInnerEdge(6);
        panel.resize(40, 30);
        render(panel);
        panel.resize(90, 50);
        const QImage image = render(panel);
        // Outer edge on 0 ... 89, inner edge one pixel inside it: four lines each side.
        QCOMPARE(image.pixelColor(89, 49), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(88, 10), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(87, 10), QColor(220, 220, 220));
        QCOMPARE(image.pixelColor(87, 47), QColor(220, 220, 220));
        QCOMPARE(image.pixelColor(0, 25), QColor(64, 64, 64));
        QCOMPARE(image.pixelColor(1, 25), QColor(64, 64, 64));
        QCOMPARE(image.pixelColor(2, 25), QColor(128, 128, 128));
        QCOMPARE(image.pixelColor(45, 25), panel.backColor());
    }

    // A press on a frame that takes presses stays on it; on the window's background it
    // starts moving the window.
    void pressesOnTheFrame_data() {
        QTest::addColumn<bool>("onFrame");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("frame") << true << QPoint(0, 0);
        QTest::newRow("background") << false << QPoint(40, 30);
    }
    void pressesOnTheFrame() {
        QFETCH(bool, onFrame);
        QFETCH(QPoint, moved);
        SkinnedWindow window(WindowKind::History);
        window.setGeometry(100, 100, 400, 250);
        auto *frame = new BevelPanel(&window);
        frame->setGeometry(20, 40, 300, 150);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint before = window.pos();
        QWidget *target = onFrame ? static_cast<QWidget *>(frame) : &window;
        const QPoint start = target->mapToGlobal(QPoint(5, 5));
        send(target, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        send(target, QEvent::MouseMove, start + QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
        send(target, QEvent::MouseButtonRelease, start + QPoint(40, 30), Qt::LeftButton,
             Qt::NoButton);
        QCOMPARE(window.pos() - before, moved);
    }
};

QTEST_MAIN(TestBevelPanel)
#include "tst_bevelpanel.moc"
