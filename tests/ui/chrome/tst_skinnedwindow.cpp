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
    void minimumSizes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("size");
        // 3000 x 1000 twips asked for; 3600 x 1600 for the phonebook at 15 twips per pixel.
        QTest::newRow("phonebook") << int(WindowKind::Phonebook) << QSize(240, 107);
        QTest::newRow("reference: none") << int(WindowKind::ReferenceDatabase) << QSize(200, 66);
        QTest::newRow("about: none") << int(WindowKind::About) << QSize(200, 66);
    }
    void minimumSizes() {
        QFETCH(int, kind);
        QFETCH(QSize, size);
        SkinnedWindow w{WindowKind(kind)};
        w.resize(3000 / 15, 1000 / 15);
        QCOMPARE(w.size(), size);
    }

    void minimisedIsNotRepainted() {
        SkinnedWindow w(WindowKind::History);
        w.resize(300, 200);
        w.show();
        const QRgb frame = w.grab().toImage().pixel(3, 100);
        QCOMPARE(frame, WindowChrome::SkinPiece(1).toImage().pixel(3, 100 % 40));
        w.showMinimized();
        QVERIFY(w.grab().toImage().pixel(3, 100) != frame);
        w.showNormal();
        QCOMPARE(w.grab().toImage().pixel(3, 100), frame);
    }

    void applyTopMost_data() {
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<bool>("mainAlwaysOnTop");
        QTest::newRow("on, main normal") << true << false;
        QTest::newRow("off, main normal") << false << false;
        QTest::newRow("on, main on top") << true << true;
        QTest::newRow("off, main on top") << false << true;
    }
    void applyTopMost() {
        QFETCH(bool, onTop);
        QFETCH(bool, mainAlwaysOnTop);
        SkinnedWindow main(WindowKind::Main);
        SkinnedWindow history(WindowKind::History);
        main.show();
        history.show();
        WindowChrome::ApplyTopMost(&history, !onTop, &main, false);
        WindowChrome::ApplyTopMost(&history, onTop, &main, mainAlwaysOnTop);
        QCOMPARE(history.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        // Changing the flag keeps the window shown and frameless.
        QVERIFY(history.isVisible());
        QVERIFY(history.windowFlags().testFlag(Qt::FramelessWindowHint));
        // A top-most main window stays above the window just changed.
        QCOMPARE(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint), mainAlwaysOnTop);
        QVERIFY(main.isVisible());
    }

    void applyTopMostToTheMainWindowItself() {
        SkinnedWindow main(WindowKind::Main);
        main.show();
        WindowChrome::ApplyTopMost(&main, true, &main, true);
        QVERIFY(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        WindowChrome::ApplyTopMost(&main, false, &main, false);
        QVERIFY(!main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(main.isVisible());
    }

    void hiddenWindowStaysHidden() {
        SkinnedWindow history(WindowKind::History);
        WindowChrome::ApplyTopMost(&history, true, nullptr, false);
        QVERIFY(history.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!history.isVisible());
    }

    // A click that slips a pixel or two stays a click (a double-click on the main window's icon
    // compacts): the move begins past the drag distance.
    void dragSurface_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left") << Qt::LeftButton << QPoint(45, 15) << true;
        QTest::newRow("left, a slip") << Qt::LeftButton << QPoint(6, 6) << false;
        QTest::newRow("right") << Qt::RightButton << QPoint(45, 15) << false;
        QTest::newRow("middle") << Qt::MiddleButton << QPoint(45, 15) << false;
    }
    void dragSurface() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, to);
        QFETCH(bool, moves);
        SkinnedWindow w(WindowKind::Phonebook);
        w.setGeometry(100, 100, 300, 200);
        auto *logo = new QWidget(&w);
        logo->setGeometry(10, 10, 50, 20);
        w.addDragSurface(logo);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint start = w.pos();
        sendMouse(logo, QEvent::MouseButtonPress, QPoint(5, 5), button, button);
        sendMouse(logo, QEvent::MouseMove, to, Qt::NoButton, button);
        sendMouse(logo, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
        QCOMPARE(w.pos(), moves ? start + to - QPoint(5, 5) : start);
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
