// Every window from the keyboard and for a screen reader: what Tab visits and in what order,
// the name and role of every control, and whether every text fits its box.
#include "app/KolvaneApp.h"
#include "callerid/CallLookup.h"
#include "settings/SettingsFile.h"
#include "support/Reach.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/about/AboutWindow.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/phonebook/PhonebookWindow.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

class ReachTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        // A TA on the line: the window waits for calls rather than asking for the port.
        sim_ = std::make_unique<TaSim>();
        Settings s;
        s.ShowDate = 0;
        s.RingOn = 1;
        s.PortName = sim_->device();
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s));
        app_ = std::make_unique<KolvaneApp>();
        main_ = app_->mainWindow();
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_));
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_));
        QVERIFY(!main_->setupPanelOpen());
    }
    void cleanup() {
        app_.reset();
        sim_.reset();
        desktop_.reset();
    }

    void mainWindow_data() { orders(); }
    void mainWindow() {
        QFETCH(QString, state);
        if (state == QLatin1String("call shown")) {
            CallDisplay display;
            display.NumberLine = QStringLiteral("0312345678");
            display.NameLine = QStringLiteral("山田");
            main_->ShowCallArriving();
            main_->ShowCaller(display);
            main_->ShowCallHandled();
        } else if (state == QLatin1String("settings panel")) {
            key(Qt::Key_Comma, Qt::ControlModifier);
        }
        check(main_);
    }

    void historyWindow_data() { orders(); }
    void historyWindow() {
        key(Qt::Key_H, Qt::ControlModifier);
        QTRY_VERIFY(app_->historyWindow());
        check(app_->historyWindow());
    }

    void phonebookWindow_data() { orders(); }
    void phonebookWindow() {
        key(Qt::Key_B, Qt::ControlModifier);
        QTRY_VERIFY(app_->phonebookWindow());
        check(app_->phonebookWindow());
    }

    void aboutWindow_data() { orders(); }
    void aboutWindow() {
        key(Qt::Key_I, Qt::ControlModifier);
        QTRY_VERIFY(app_->aboutWindow());
        check(app_->aboutWindow());
    }

    void referenceWindow_data() { orders(); }
    void referenceWindow() {
        key(Qt::Key_Comma, Qt::ControlModifier);
        QPushButton *open = main_->findChild<QPushButton *>(QStringLiteral("Command2"));
        QVERIFY(open);
        QTest::mouseClick(open, Qt::LeftButton);
        QWidget *window = nullptr;
        QTRY_VERIFY((window = findWindow(QStringLiteral("Form4"))));
        check(window);
    }

    // Space (on its release) and Enter press the focused button; a window's key presses its
    // button; none of them acts on a disabled button.
    void keysPressButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<qint16>("onTop");
        QTest::addColumn<qint16>("ring");
        QTest::newRow("space") << "Picture4(2)" << int(Qt::Key_Space) << 0 << qint16(1)
                               << qint16(1);
        QTest::newRow("enter") << "Picture4(3)" << int(Qt::Key_Return) << 0 << qint16(0)
                               << qint16(0);
        QTest::newRow("keypad enter") << "Picture4(2)" << int(Qt::Key_Enter)
                                      << int(Qt::KeypadModifier) << qint16(1) << qint16(1);
        QTest::newRow("ctrl+t") << "" << int(Qt::Key_T) << int(Qt::ControlModifier) << qint16(1)
                                << qint16(1);
        QTest::newRow("ctrl+s") << "" << int(Qt::Key_S) << int(Qt::ControlModifier) << qint16(0)
                                << qint16(0);
        QTest::newRow("other key")
            << "Picture4(2)" << int(Qt::Key_A) << 0 << qint16(0) << qint16(1);
    }
    void keysPressButtons() {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(qint16, onTop);
        QFETCH(qint16, ring);
        QWidget *target = main_;
        if (!button.isEmpty()) {
            auto *b = main_->findChild<ImageButton *>(button);
            b->setFocus(Qt::TabFocusReason);
            target = b;
        }
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(app_->state().settings().AlwaysOnTop, onTop);
        QCOMPARE(app_->state().settings().RingOn, ring);
    }

    void shortcutsAreInTheTooltips() {
        auto *history = main_->findChild<ImageButton *>(QStringLiteral("Picture4(6)"));
        QCOMPARE(history->toolTip(), QStringLiteral("着信履歴表示 (Ctrl+H)"));
        QCOMPARE(reach::NameOf(history), QStringLiteral("着信履歴表示"));
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(history);
        QCOMPARE(a->text(QAccessible::Accelerator), QStringLiteral("Ctrl+H"));
        // A disabled button's key does nothing: register waits for a call.
        key(Qt::Key_R, Qt::ControlModifier);
        QVERIFY(!app_->phonebookWindow());
    }

    // The ring shows where the keyboard's focus is; a click takes the focus without it.
    void focusRingShowsTheKeyboardFocus() {
        auto *b = main_->findChild<ImageButton *>(QStringLiteral("Picture4(0)"));
        const QImage plain = b->grab().toImage();
        b->setFocus(Qt::TabFocusReason);
        QVERIFY(b->hasFocus());
        QVERIFY(b->grab().toImage() != plain);
        b->clearFocus();
        auto *ring = main_->findChild<ImageButton *>(QStringLiteral("Picture4(3)"));
        const QImage ringPlain = ring->grab().toImage();
        QTest::mousePress(ring, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(ring, Qt::LeftButton, {}, QPoint(40, 40)); // outside: no command
        QVERIFY(ring->hasFocus());
        QCOMPARE(ring->grab().toImage(), ringPlain);
    }

    // A screen reader hears of a call: the status line (which alerts) tells who calls; the
    // call lines describe what they show as plain text, never as markup.
    void callIsAnnounced() {
        CallDisplay display;
        display.NumberLine = QStringLiteral("0312345678");
        display.NameLine = QStringLiteral("山田 <b>太郎</b> & 花子");
        display.AddressLine = QStringLiteral("東京都");
        main_->ShowCallArriving();
        main_->ShowCaller(display);
        auto *status = main_->findChild<QLabel *>(QStringLiteral("Label5"));
        auto *name = main_->findChild<QLabel *>(QStringLiteral("Label7"));
        const QString told =
            QAccessible::queryAccessibleInterface(status)->text(QAccessible::Description);
        QVERIFY2(told.contains(display.NumberLine) && told.contains(display.NameLine),
                 qPrintable(told));
        QCOMPARE(QAccessible::queryAccessibleInterface(name)->text(QAccessible::Description),
                 display.NameLine);
        QVERIFY2(reach::Problems(main_).isEmpty(), qPrintable(reach::Problems(main_).join('\n')));
    }

private:
    void orders();
    void check(QWidget *window) {
        QFETCH(QStringList, order);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        // A cycle, read from the control the order starts with.
        QStringList cycle = reach::TabCycle(window);
        const int start = std::max(0, int(cycle.indexOf(order.value(0))));
        cycle = cycle.mid(start) + cycle.mid(0, start);
        if (cycle != order)
            qWarning() << "the cycle:" << cycle;
        QCOMPARE(cycle, order);
        const QStringList problems = reach::Problems(window);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m) {
        QWidget *to = QApplication::focusWidget() ? QApplication::focusWidget() : main_;
        QTest::keyClick(to, k, m);
    }
    static QWidget *findWindow(const QString &name) {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible())
                return w;
        return nullptr;
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<TaSim> sim_;
    std::unique_ptr<KolvaneApp> app_;
    MainWindow *main_ = nullptr;
};

// What Tab visits in each window, in order, with the names a screen reader hears.
void ReachTest::orders() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("order");
    const QString fn = QString::fromLatin1(QTest::currentTestFunction());
    const QStringList title{"Picture7=システムトレーに入れる。", "Picture5=終了"};
    const QStringList clock{"Picture6(0)=時刻を表示", "Picture6(1)=日付を表示"};
    const QStringList bottom{"Picture4(0)=終了",
                             "Picture4(1)=設定",
                             "Picture4(2)=常に前面に表示する。",
                             "Picture4(3)=着信音　ON/OFF",
                             "Picture4(8)=日時・時間設定",
                             "Picture4(4)=電話帳のメンテナンス",
                             "Picture4(7)=Ａｂｏｕｔを表示します。"};
    if (fn == QLatin1String("mainWindow")) {
        // Memo and register wait for a call: disabled, they are passed over.
        QTest::newRow("waiting") << "waiting"
                                 << title + clock + QStringList{"Picture4(6)=着信履歴表示"} +
                                        bottom;
        QTest::newRow("call shown")
            << "call shown"
            << title + clock +
                   QStringList{"Picture4(5)=メモを書き込む", "Picture4(9)=着信情報を電話帳に登録。",
                               "Picture4(6)=着信履歴表示"} +
                   bottom;
        // The chosen option of the two stands for both (the arrows move between them); the
        // delay box waits for the tray mode.
        QTest::newRow("settings panel")
            << "settings panel"
            << title + QStringList{"Option1(0)=待機時も常時表示",
                                   "Text5=着信時の再生音",
                                   "Command1=再生音のファイルを選ぶ",
                                   "Command2=参照データベースの設定",
                                   "networkButton=ネットワークの設定",
                                   "WarnInternational=国際電話を警告する",
                                   "SilenceMarked=迷惑電話は鳴らさない",
                                   "MarksButton=迷惑電話の一覧",
                                   "Combo1=ＴＡとの接続ポート",
                                   "Picture12(0)=設定を有効にする。",
                                   "Picture12(1)=キャンセル"};
    } else if (fn == QLatin1String("historyWindow")) {
        QTest::newRow("open")
            << "open"
            << QStringList{"Picture5(2)=最小化",         "Picture5(1)=最大化",
                           "Picture5(0)=終了",           "callList_=着信履歴",
                           "Picture4(0)=終了",           "Picture4(1)=常に前面に表示する。",
                           "Picture4(2)=メモの編集。",   "Picture4(3)=着信情報を電話帳に登録。",
                           "Picture4(4)=選択履歴を削除", "Picture4(5)=全履歴削除"};
    } else if (fn == QLatin1String("phonebookWindow")) {
        QTest::newRow("open") << "open"
                              << QStringList{"Picture5(2)=最小化",
                                             "Picture5(0)=電話帳を閉じる。",
                                             "Text1(1)=氏名",
                                             "Combo2=ｲﾝﾃﾞｯｸｽ",
                                             "Text2(0)=電話番号1",
                                             "Combo1(0)=摘要1",
                                             "Picture6(3)=選択電話番号の削除",
                                             "Text2(1)=電話番号2",
                                             "Combo1(1)=摘要2",
                                             "Text2(2)=電話番号3",
                                             "Combo1(2)=摘要3",
                                             "Text1(2)=住所",
                                             "Text1(3)=郵便番号",
                                             "Text1(0)=誕生日",
                                             "Text1(5)=e-mail①",
                                             "Text1(6)=e-mail②",
                                             "Text1(7)=その他",
                                             "MSFlexGrid1=電話帳の一覧",
                                             "Picture4(0)=最初のレコードに移動",
                                             "Picture4(1)=前のレコードに移動",
                                             "Picture4(2)=次のレコードに移動",
                                             "Picture4(3)=最後のレコードに移動",
                                             "MSFlexGrid2=着信履歴",
                                             "Picture7=新規登録",
                                             "Picture6(2)=表示中のデータを削除",
                                             "Picture6(1)=常に前面に表示。",
                                             "Picture6(0)=電話帳を閉じます。"};
    } else if (fn == QLatin1String("aboutWindow")) {
        QTest::newRow("open") << "open"
                              << QStringList{"Picture12(0)=ヘルプ", "Picture12(1)=閉じる"};
    } else {
        QTest::newRow("open") << "open"
                              << QStringList{"Text5=参照する電話帳データベース",
                                             "Combo1=参照するテーブルを指定してください。",
                                             "Combo2(0)=電話番号",
                                             "Combo2(1)=氏名",
                                             "Combo2(3)=郵便番号",
                                             "Combo2(2)=住所",
                                             "Command1=データベースのファイルを選ぶ",
                                             "Picture12(0)=設定を有効にする。",
                                             "Picture12(1)=キャンセル"};
    }
}

QTEST_MAIN(ReachTest)
#include "tst_reach.moc"
