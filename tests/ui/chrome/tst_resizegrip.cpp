#include "ui/chrome/ResizeGrip.h"
#include "ui/chrome/SkinnedWindow.h"

#include <QMouseEvent>
#include <QTest>

class TestResizeGrip : public QObject {
    Q_OBJECT
    static void send(QWidget *w, QEvent::Type type, QPoint global, Qt::MouseButton button,
                     Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // Drags the grip by `by` in two steps with `button` held.
    static void drag(ResizeGrip *grip, QPoint by, Qt::MouseButton button) {
        const QPoint start = grip->mapToGlobal(QPoint(15, 15));
        send(grip, QEvent::MouseButtonPress, start, button, button);
        send(grip, QEvent::MouseMove, start + by / 2, Qt::NoButton, button);
        send(grip, QEvent::MouseMove, start + by, Qt::NoButton, button);
        send(grip, QEvent::MouseButtonRelease, start + by, button, Qt::NoButton);
    }

private slots:
    void looksLikeAGrip() {
        SkinnedWindow window(WindowKind::History);
        ResizeGrip grip(&window);
        QCOMPARE(grip.size(), QSize(30, 30));
        QCOMPARE(grip.cursor().shape(), Qt::SizeFDiagCursor);
        QCOMPARE(grip.objectName(), QStringLiteral("Picture2"));
        QCOMPARE(grip.minimumTwips(), QSize(4000, 1600));
    }

    void drag_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<QSize>("size");
        QTest::newRow("grow") << Qt::LeftButton << QPoint(40, 30) << QSize(440, 280);
        QTest::newRow("shrink") << Qt::LeftButton << QPoint(-50, -20) << QSize(350, 230);
        QTest::newRow("wider, lower") << Qt::LeftButton << QPoint(10, -30) << QSize(410, 220);
        // 4000 x 1600 twips at 15 twips per pixel.
        QTest::newRow("to the minimum") << Qt::LeftButton << QPoint(-300, -200) << QSize(267, 107);
        QTest::newRow("right button") << Qt::RightButton << QPoint(40, 30) << QSize(400, 250);
        QTest::newRow("no movement") << Qt::LeftButton << QPoint(0, 0) << QSize(400, 250);
    }
    void drag() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, by);
        QFETCH(QSize, size);
        SkinnedWindow window(WindowKind::History);
        window.setGeometry(100, 100, 400, 250);
        auto *grip = new ResizeGrip(&window);
        grip->move(400 - 30, 250 - 30);
        window.show();
        const QPoint position = window.pos();
        drag(grip, by, button);
        QCOMPARE(window.size(), size);
        QCOMPARE(window.pos(), position);
    }

    void ownBoundWithoutAWindowMinimum() {
        QWidget window;
        window.setGeometry(100, 100, 300, 200);
        auto *grip = new ResizeGrip(&window, QSize(3600, 1600));
        window.show();
        drag(grip, QPoint(-200, -150), Qt::LeftButton);
        QCOMPARE(window.size(), QSize(240, 107));
        QCOMPARE(grip->gripLast(), grip->mapToGlobal(QPoint(15, 15)) + QPoint(-200, -150));
    }

    void maximisedWindowIsNotResized() {
        SkinnedWindow window(WindowKind::History);
        auto *grip = new ResizeGrip(&window);
        window.showMaximized();
        const QSize before = window.size();
        drag(grip, QPoint(-40, -30), Qt::LeftButton);
        QCOMPARE(window.size(), before);
    }
};

QTEST_MAIN(TestResizeGrip)
#include "tst_resizegrip.moc"
