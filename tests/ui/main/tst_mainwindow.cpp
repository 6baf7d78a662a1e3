// The main window's commands, driven as a user drives them: real presses and releases on the
// image buttons, with the tray, the ring player and the shell recording what they are asked.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/TrayIcon.h"
#include "settings/HistoryLayoutFile.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/TestDesktop.h"
#include "ui/about/AboutWindow.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/DigitalClock.h"
#include "ui/main/MainWindow.h"
#include "ui/phonebook/PhonebookWindow.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        Settings s;
        s.ShowDate = 0;
        s.AlwaysOnTop = 0;
        s.RingOn = 1;
        s.RingFile = QStringLiteral("/x/ring.wav");
        s.PortNumber = 0; // no TA: the commands work without one
        QVERIFY(WriteSettingsFile(iniPath(), s));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        Recorder::take();
    }

    void cleanup() {
        app_.reset();
        window_ = nullptr;
        desktop_.reset();
    }

    void buttonsStartWithTheirFacesAndTips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("face");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("tip");
        QTest::newRow("exit") << "Picture4(0)" << 104 << true << "終了";
        QTest::newRow("settings") << "Picture4(1)" << 102 << true << "設定";
        QTest::newRow("on top") << "Picture4(2)" << 116 << true << "常に前面に表示する。";
        QTest::newRow("ring") << "Picture4(3)" << 119 << true << "着信音　ON/OFF";
        QTest::newRow("phonebook") << "Picture4(4)" << 118 << true << "電話帳のメンテナンス";
        QTest::newRow("memo") << "Picture4(5)" << 113 << false << "メモを書き込む";
        QTest::newRow("history") << "Picture4(6)" << 110 << true << "着信履歴表示";
        QTest::newRow("about") << "Picture4(7)" << 124 << true << "Ａｂｏｕｔを表示します。";
        QTest::newRow("date time") << "Picture4(8)" << 126 << true << "日時・時間設定";
        QTest::newRow("register") << "Picture4(9)" << 114 << false << "着信情報を電話帳に登録。";
        QTest::newRow("close") << "Picture5" << 182 << true << "終了";
        QTest::newRow("tray") << "Picture7" << 252 << true << "システムトレーに入れる。";
        QTest::newRow("time") << "Picture6(0)" << 189 << true << "";
        QTest::newRow("date") << "Picture6(1)" << 192 << true << "";
    }

    void buttonsStartWithTheirFacesAndTips() {
        QFETCH(QString, name);
        QFETCH(int, face);
        QFETCH(bool, enabled);
        QFETCH(QString, tip);
        ImageButton *b = button(name);
        QVERIFY(b);
        QCOMPARE(b->shownFace(), face);
        QCOMPARE(b->isEnabled(), enabled);
        // The tooltip may carry the button's key after it.
        QCOMPARE(b->name(), tip);
        QCOMPARE(b->toolTip().left(tip.size()), tip);
        QVERIFY(!Face(face).isNull());
    }

    // Every control lies wholly inside its parent, so nothing is cut off.
    void nothingIsClipped() {
        const QList<QWidget *> children = window_->findChildren<QWidget *>();
        QVERIFY(children.size() > 20);
        for (QWidget *child : children) {
            if (!child->isVisibleTo(window_) || child->isWindow())
                continue;
            const QRect inParent = child->geometry();
            QVERIFY2(child->parentWidget()->rect().contains(inParent),
                     qPrintable(child->objectName()));
        }
        QCOMPARE(window_->size(), QSize(289, 254));
        QCOMPARE(button("Picture4(9)")->geometry(), QRect(218, 82, 35, 35));
        QCOMPARE(button("Picture7")->geometry(), QRect(176, 11, 70, 30));
    }

    void keepOnTopToggles() {
        ImageButton *b = button("Picture4(2)");
        click(b);
        QCOMPARE(app_->state().settings().AlwaysOnTop, qint16(1));
        QCOMPARE(b->shownFace(), 115);
        QVERIFY(window_->windowFlags() & Qt::WindowStaysOnTopHint);
        click(b);
        QCOMPARE(app_->state().settings().AlwaysOnTop, qint16(0));
        QCOMPARE(b->shownFace(), 116);
        QVERIFY(!(window_->windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void ringTogglesAndStopsTheSound() {
        ImageButton *b = button("Picture4(3)");
        click(b);
        QCOMPARE(app_->state().settings().RingOn, qint16(0));
        QCOMPARE(b->shownFace(), 120);
        QCOMPARE(Recorder::take(), QStringList{"ring stop"});
        click(b);
        QCOMPARE(app_->state().settings().RingOn, qint16(1));
        QCOMPARE(b->shownFace(), 119);
        QCOMPARE(Recorder::take(), QStringList{});
    }

    // A release outside, or the right button, runs nothing and shows the face of the state.
    void releaseOutsideRunsNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::addColumn<int>("face");
        QTest::newRow("on top, right of it")
            << "Picture4(2)" << QPoint(36, 10) << Qt::LeftButton << 116;
        QTest::newRow("ring, below it") << "Picture4(3)" << QPoint(10, 36) << Qt::LeftButton << 119;
        QTest::newRow("exit, left of it")
            << "Picture4(0)" << QPoint(-1, 10) << Qt::LeftButton << 104;
        QTest::newRow("exit, right button")
            << "Picture4(0)" << QPoint(10, 10) << Qt::RightButton << 104;
        QTest::newRow("close, right of it") << "Picture5" << QPoint(21, 5) << Qt::LeftButton << 182;
        QTest::newRow("tray, below it") << "Picture7" << QPoint(5, 31) << Qt::LeftButton << 252;
        QTest::newRow("date, outside") << "Picture6(1)" << QPoint(33, 5) << Qt::LeftButton << 192;
        QTest::newRow("time, outside") << "Picture6(0)" << QPoint(5, 21) << Qt::LeftButton << 189;
    }

    void releaseOutsideRunsNothing() {
        QFETCH(QString, name);
        QFETCH(QPoint, release);
        QFETCH(Qt::MouseButton, mouseButton);
        QFETCH(int, face);
        const Settings before = app_->state().settings();
        QSignalSpy unloaded(window_, &MainWindow::unloaded);
        ImageButton *b = button(name);
        QTest::mousePress(b, mouseButton, {}, QPoint(5, 5));
        QTest::mouseRelease(b, mouseButton, {}, release);
        QCOMPARE(b->shownFace(), face);
        QVERIFY(app_->state().settings() == before);
        QCOMPARE(unloaded.size(), 0);
        QVERIFY(window_->isVisible());
        QCOMPARE(Recorder::take(), QStringList{});
    }

    // The bottom-right corner still counts as inside.
    void releaseOnTheBorderCounts() {
        ImageButton *b = button("Picture4(2)");
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b->shownFace(), 115);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(35, 35));
        QCOMPARE(app_->state().settings().AlwaysOnTop, qint16(1));
    }

    void clockButtons() {
        ImageButton *time = button("Picture6(0)");
        ImageButton *date = button("Picture6(1)");
        auto *clockDisplay = window_->findChild<DigitalClock *>();
        QVERIFY(window_->clockTick().isActive());

        QTest::mousePress(date, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(date->shownFace(), 191);
        QTest::mouseRelease(date, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(app_->state().settings().ShowDate, qint16(1));
        QCOMPARE(time->shownFace(), 190);
        QCOMPARE(date->shownFace(), 191);
        QVERIFY(!window_->clockTick().isActive());
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(clockDisplay->text(), today);

        // The mode already shown: nothing changes.
        click(date);
        QCOMPARE(app_->state().settings().ShowDate, qint16(1));
        QCOMPARE(date->shownFace(), 191);
        QVERIFY(!window_->clockTick().isActive());

        QTest::mousePress(time, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(time->shownFace(), 189);
        QTest::mouseRelease(time, Qt::LeftButton, {}, QPoint(32, 20));
        QCOMPARE(app_->state().settings().ShowDate, qint16(0));
        QCOMPARE(time->shownFace(), 189);
        QCOMPARE(date->shownFace(), 192);
        QVERIFY(window_->clockTick().isActive());
        QTRY_VERIFY_WITH_TIMEOUT(clockDisplay->text().contains(QLatin1Char(':')), 2000);
    }

    void dateTimeSettings() {
        ImageButton *b = button("Picture4(8)");
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b->shownFace(), 125);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b->shownFace(), 126);
        QCOMPARE(Recorder::take(), QStringList{"shell datetime"});
        QTest::mouseDClick(window_->findChild<DigitalClock *>(), Qt::LeftButton);
        QCOMPARE(Recorder::take(), QStringList{"shell datetime"});
    }

    void trayButton() {
        click(button("Picture7"));
        QVERIFY(!window_->isVisible());
        QCOMPARE(Recorder::take(), QStringList{"tray add コルベーン！"});
        // With TrayMode 0 the window stays out after a click on the icon.
        app_->trayIcon().activate(QSystemTrayIcon::Trigger);
        QVERIFY(window_->isVisible());
        QVERIFY(!window_->returnToTray().isActive());
    }

    void exitWritesTheSettings_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("exit command") << "Picture4(0)";
        QTest::newRow("close button") << "Picture5";
    }

    void exitWritesTheSettings() {
        QFETCH(QString, name);
        QFile::remove(iniPath());
        click(button("Picture4(3)")); // ring off, to see it written
        QSignalSpy unloaded(window_, &MainWindow::unloaded);
        click(button(name));
        QCOMPARE(unloaded.size(), 1);
        Settings back;
        QVERIFY(ReadSettingsFile(iniPath(), back));
        QCOMPARE(back.RingOn, qint16(0));
    }

    // A window without a place of its own (the files' 0, 0) opens beside the main window on
    // its screen; the history window, small enough, then covers nothing of it.
    void newWindowsOpenBeside_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("history") << "Picture4(6)";
        QTest::newRow("phonebook") << "Picture4(4)";
    }
    void newWindowsOpenBeside() {
        QFETCH(QString, command);
        HistoryLayout layout;
        layout.Width = 4000;
        layout.Height = 1600;
        QVERIFY(WriteHistoryLayoutFile(Program::filePath(QStringLiteral("Rireki.ini")), layout));
        window_->move(0, 0);
        click(button(command));
        QWidget *opened = command == QLatin1String("Picture4(6)")
                              ? static_cast<QWidget *>(app_->historyWindow())
                              : app_->phonebookWindow();
        QVERIFY(opened && opened->isVisible());
        QCOMPARE(opened->pos(), WindowChrome::BesidePosition(window_, opened->size()));
        QVERIFY(opened->pos() != QPoint(0, 0));
        if (command == QLatin1String("Picture4(6)"))
            QVERIFY(!opened->frameGeometry().intersects(window_->frameGeometry()));
    }

    // About and every message open above a main window kept on top, never under it.
    void aboveAMainWindowKeptOnTop_data() {
        QTest::addColumn<bool>("onTop");
        QTest::newRow("kept on top") << true;
        QTest::newRow("normal") << false;
    }
    void aboveAMainWindowKeptOnTop() {
        QFETCH(bool, onTop);
        if (onTop)
            click(button("Picture4(2)"));
        QCOMPARE(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        Dialogs::Tell(nullptr, QStringLiteral("text"), QStringLiteral("title"),
                      Dialogs::Icon::Information);
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().keptOnTop, onTop);
        click(button("Picture4(7)"));
        QVERIFY(app_->aboutWindow());
        QCOMPARE(app_->aboutWindow()->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        app_->aboutWindow()->close();
    }

    // The phonebook keeps its keep-on-top choice from one opening to the next.
    void phonebookRemembersKeepOnTop() {
        click(button("Picture4(4)"));
        PhonebookWindow *first = app_->phonebookWindow();
        QVERIFY(first && !first->keptOnTop());
        click(first->findChild<ImageButton *>(QStringLiteral("Picture6(1)")));
        QVERIFY(first->keptOnTop());
        click(first->findChild<ImageButton *>(QStringLiteral("Picture6(0)")));
        QTRY_VERIFY(!app_->phonebookWindow());
        click(button("Picture4(4)"));
        PhonebookWindow *second = app_->phonebookWindow();
        QVERIFY(second);
        QVERIFY(second->keptOnTop());
        QVERIFY(second->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(second->findChild<ImageButton *>(QStringLiteral("Picture6(1)"))->shownFace(), 115);
    }

private:
    static QString iniPath() { return Program::filePath(QStringLiteral("Kolvane.ini")); }
    ImageButton *button(const QString &name) const {
        return window_->findChild<ImageButton *>(name);
    }
    static void click(ImageButton *b) {
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<KolvaneApp> app_;
    MainWindow *window_ = nullptr;
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
