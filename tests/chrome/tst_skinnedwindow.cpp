#include "ui/chrome/SkinnedWindow.h"

#include <QMouseEvent>
#include <QTest>

class TestSkinnedWindow : public QObject {
    Q_OBJECT
    static void sendMouse(QWidget *w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                          Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
private slots:
    void drag_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left") << Qt::LeftButton << true;
        QTest::newRow("right") << Qt::RightButton << false;
    }
    void drag() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, moves);
        SkinnedWindow w(WindowKind::About);
        w.setGeometry(100, 100, 200, 150);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint start = w.pos();
        sendMouse(&w, QEvent::MouseButtonPress, QPoint(50, 50), button, button);
        sendMouse(&w, QEvent::MouseMove, QPoint(80, 70), Qt::NoButton, button);
        sendMouse(&w, QEvent::MouseButtonRelease, QPoint(80, 70), button, Qt::NoButton);
        QCOMPARE(w.pos(), moves ? start + QPoint(30, 20) : start);
    }
    void historyMinimumSize() {
        SkinnedWindow w(WindowKind::History);
        w.resize(3000 / 15, 1000 / 15);
        // 4000 x 1600 twips at 15 twips per pixel, rounded to the nearest pixel.
        QCOMPARE(w.size(), QSize(267, 107));
    }
    void regionReplacedOnResize() {
        SkinnedWindow w(WindowKind::Phonebook);
        w.resize(300, 200);
        w.show();
        QCOMPARE(w.mask().boundingRect(), QRect(0, 0, 300, 200));
        w.resize(400, 250);
        QCOMPARE(w.mask().boundingRect(), QRect(0, 0, 400, 250));
        QVERIFY(!w.mask().contains(QPoint(399, 0)));
    }
};

QTEST_MAIN(TestSkinnedWindow)
#include "tst_skinnedwindow.moc"
