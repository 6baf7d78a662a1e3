#include "ui/chrome/ImageButton.h"
#include "ui/chrome/SkinnedWindow.h"
#include "ui/chrome/TitleBarButtons.h"

#include <QSignalSpy>
#include <QTest>

class TestTitleBarButtons : public QObject {
    Q_OBJECT
    struct History {
        SkinnedWindow window{WindowKind::History};
        TitleBarButtons *buttons;
        History() {
            window.setGeometry(100, 100, 400, 250);
            buttons = new TitleBarButtons(TitleBarButtons::Close | TitleBarButtons::Maximize |
                                              TitleBarButtons::Minimize,
                                          QStringLiteral("終了"), &window);
            buttons->move(400 - 80, 13);
            window.show();
        }
    };

private slots:
    void holderAndButtons() {
        History h;
        QCOMPARE(h.buttons->size(), QSize(80, 20));
        const char *tips[] = {"終了", "最大化", "最小化"};
        const int faces[] = {182, 184, 186};
        for (int i = 0; i < 3; ++i) {
            ImageButton *b = h.buttons->button(i);
            QVERIFY(b);
            QCOMPARE(b->size(), QSize(20, 20));
            QCOMPARE(b->toolTip(), QString::fromUtf8(tips[i]));
            QCOMPARE(b->shownFace(), faces[i]);
            QCOMPARE(b->objectName(), QStringLiteral("Picture5(%1)").arg(i));
            QCOMPARE(b->property("index").toInt(), i);
            QVERIFY(h.buttons->rect().contains(b->geometry()));
        }
        // Left to right: minimise, maximise, close.
        QVERIFY(h.buttons->button(2)->x() < h.buttons->button(1)->x());
        QVERIFY(h.buttons->button(1)->x() < h.buttons->button(0)->x());
        QVERIFY(!h.buttons->button(1)->geometry().intersects(h.buttons->button(0)->geometry()));
    }

    void phonebookHasNoMaximise() {
        SkinnedWindow window(WindowKind::Phonebook);
        TitleBarButtons buttons(TitleBarButtons::Close | TitleBarButtons::Minimize,
                                QStringLiteral("電話帳を閉じる。"), &window);
        QVERIFY(buttons.button(0));
        QVERIFY(!buttons.button(1));
        QVERIFY(buttons.button(2));
        QVERIFY(!buttons.button(3));
        QCOMPARE(buttons.button(0)->toolTip(), QStringLiteral("電話帳を閉じる。"));
    }

    void pressedFaces_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("pressed");
        QTest::newRow("close") << 0 << 181;
        QTest::newRow("maximise") << 1 << 183;
        QTest::newRow("minimise") << 2 << 185;
    }
    void pressedFaces() {
        QFETCH(int, item);
        QFETCH(int, pressed);
        History h;
        ImageButton *b = h.buttons->button(item);
        const int normal = b->shownFace();
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(b->shownFace(), pressed);
        // Released outside: the face comes back and nothing happens.
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(21, 10));
        QCOMPARE(b->shownFace(), normal);
        QVERIFY(h.window.isVisible());
        QVERIFY(!h.window.isMaximized());
        QVERIFY(!h.window.isMinimized());
    }

    void close_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("closes");
        QTest::newRow("inside") << Qt::LeftButton << QPoint(5, 5) << true;
        QTest::newRow("bottom-right border") << Qt::LeftButton << QPoint(20, 20) << true;
        QTest::newRow("outside") << Qt::LeftButton << QPoint(20, 21) << false;
        QTest::newRow("right button") << Qt::RightButton << QPoint(5, 5) << false;
    }
    void close() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, at);
        QFETCH(bool, closes);
        History h;
        QSignalSpy spy(h.buttons, &TitleBarButtons::closeClicked);
        ImageButton *b = h.buttons->button(0);
        QTest::mousePress(b, button, {}, QPoint(5, 5));
        QTest::mouseRelease(b, button, {}, at);
        QCOMPARE(spy.count(), closes ? 1 : 0);
        QCOMPARE(h.window.isVisible(), !closes);
        QCOMPARE(b->shownFace(), 182);
    }

    void maximiseAndRestore() {
        History h;
        ImageButton *b = h.buttons->button(1);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(h.window.isMaximized());
        QCOMPARE(b->toolTip(), QStringLiteral("標準化"));
        QCOMPARE(b->shownFace(), 188);
        // While maximised the press shows the restore button pressed.
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(b->shownFace(), 187);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!h.window.isMaximized());
        QCOMPARE(b->toolTip(), QStringLiteral("最大化"));
        QCOMPARE(b->shownFace(), 184);
    }

    void followsAStateChangeFromElsewhere() {
        History h;
        h.window.showMaximized();
        QCOMPARE(h.buttons->button(1)->toolTip(), QStringLiteral("標準化"));
        QCOMPARE(h.buttons->button(1)->shownFace(), 188);
        h.window.showNormal();
        QCOMPARE(h.buttons->button(1)->toolTip(), QStringLiteral("最大化"));
        QCOMPARE(h.buttons->button(1)->shownFace(), 184);
    }

    void minimise() {
        History h;
        QSignalSpy spy(h.buttons, &TitleBarButtons::minimizeClicked);
        ImageButton *b = h.buttons->button(2);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(spy.count(), 1);
        QVERIFY(h.window.isMinimized());
        QCOMPARE(b->shownFace(), 186);
    }
};

QTEST_MAIN(TestTitleBarButtons)
#include "tst_titlebarbuttons.moc"
