// The tray icon's context menu: "表示" and "終了", each reported by its own signal; the left
// click keeps its own report.
#include "platform/desktop/TrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

class TrayIconTest : public QObject {
    Q_OBJECT
private slots:
    void menuHasShowAndExit() {
        TrayIcon tray{QIcon()};
        // The menu is a window: none exists until it is needed.
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
        const QList<QAction *> actions = tray.contextMenu()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text(), QStringLiteral("表示"));
        QCOMPARE(actions[1]->text(), QStringLiteral("終了"));
    }

    void actions_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("shows");
        QTest::addColumn<int>("exits");
        QTest::newRow("表示") << "show" << 1 << 0;
        QTest::newRow("終了") << "exit" << 0 << 1;
    }
    void actions() {
        QFETCH(QString, action);
        QFETCH(int, shows);
        QFETCH(int, exits);
        TrayIcon tray{QIcon()};
        QSignalSpy show(&tray, &TrayIcon::showRequested);
        QSignalSpy exit(&tray, &TrayIcon::exitRequested);
        QSignalSpy left(&tray, &TrayIcon::leftButtonDown);
        auto *a = tray.contextMenu()->findChild<QAction *>(action);
        QVERIFY(a);
        a->trigger();
        QCOMPARE(show.size(), shows);
        QCOMPARE(exit.size(), exits);
        QCOMPARE(left.size(), 0);
    }

    // The context click opens the menu (the desktop's business) and is not a left click.
    void leftClickStillReported() {
        TrayIcon tray{QIcon()};
        tray.add("tip");
        QSignalSpy left(&tray, &TrayIcon::leftButtonDown);
        tray.activate(QSystemTrayIcon::Context);
        QCOMPARE(left.size(), 0);
        tray.activate(QSystemTrayIcon::Trigger);
        QCOMPARE(left.size(), 1);
        tray.remove();
    }
};

QTEST_MAIN(TrayIconTest)
#include "tst_trayicon.moc"
