// The help pages inside the program: F1 in each window opens the page about it, the pages'
// links, back and forward move within the window with their pictures, and what lies outside
// the help goes to the desktop.
#include "app/KolvaneApp.h"
#include "platform/desktop/Recorder.h"
#include "settings/SettingsFile.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/help/HelpWindow.h"
#include "ui/main/MainWindow.h"

#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

class HelpWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        QVERIFY(desktop_->isValid());
        // The program's own pages, beside the program as the build puts them.
        const QString source = QStringLiteral(KOLVANE_SOURCE_DIR "/Help");
        QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to =
                desktop_->file(QStringLiteral("Help/") + QDir(source).relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).absolutePath());
            QVERIFY(QFile::copy(from, to));
        }
        Settings s;
        s.PortNumber = 0; // no TA: the windows work without one
        QVERIFY(WriteSettingsFile(desktop_->file(QStringLiteral("Kolvane.ini")), s));
        app_ = std::make_unique<KolvaneApp>();
        app_->mainWindow()->show();
        QVERIFY(QTest::qWaitForWindowExposed(app_->mainWindow()));
        Recorder::take();
    }

    void cleanup() {
        app_.reset();
        desktop_.reset();
    }

    // F1 in a window (or the About window's help button) shows the page about that window.
    void f1ShowsThePageOfEachWindow_data() {
        QTest::addColumn<QString>("command"); // the main window's button that opens the window
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("main window") << ""
                                     << "window.htm"
                                     << "メインウインドウ";
        QTest::newRow("history") << "Picture4(6)"
                                 << "history.htm"
                                 << "着信履歴";
        QTest::newRow("phonebook") << "Picture4(4)"
                                   << "phonebook.htm"
                                   << "電話帳";
        QTest::newRow("about") << "Picture4(7)"
                               << "main.htm"
                               << "はじめに";
    }

    void f1ShowsThePageOfEachWindow() {
        QFETCH(QString, command);
        QFETCH(QString, page);
        QFETCH(QString, title);
        QWidget *window = app_->mainWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        if (!command.isEmpty()) {
            const QWidgetList windows = QApplication::topLevelWidgets();
            const QSet<QWidget *> before(windows.begin(), windows.end());
            auto *button = app_->mainWindow()->findChild<ImageButton *>(command);
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
            QTRY_VERIFY((window = NewVisibleWindow(before)));
            window->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), window);
        }
        QTest::keyClick(window, Qt::Key_F1);
        QTRY_VERIFY(app_->helpWindow() && app_->helpWindow()->isVisible());
        HelpWindow *help = app_->helpWindow();
        QCOMPARE(help->currentPage(),
                 QUrl::fromLocalFile(desktop_->file(QStringLiteral("Help/") + page)));
        QVERIFY(help->browser()->documentTitle().startsWith(title));
        // Nothing went to the desktop: no browser is needed.
        QVERIFY(!Recorder::take().join(QLatin1Char('\n')).contains(QStringLiteral("shell open")));
    }

    // The pages' links move within the window; back and forward retrace them; pictures show.
    void linksBackAndForwardStayInside() {
        HelpWindow *help = F1OnTheMainWindow();
        QVERIFY(help);
        auto *back = help->findChild<QPushButton *>(QStringLiteral("HelpBack"));
        auto *forward = help->findChild<QPushButton *>(QStringLiteral("HelpForward"));
        QVERIFY(!back->isEnabled());
        const QUrl window = help->currentPage();
        emit help->browser()->anchorClicked(QUrl(QStringLiteral("history.htm")));
        QCOMPARE(help->currentPage().fileName(), QStringLiteral("history.htm"));
        QVERIFY(back->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(help->currentPage(), window);
        QVERIFY(forward->isEnabled());
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(help->currentPage().fileName(), QStringLiteral("history.htm"));
        // The first page's picture is read from the help folder.
        QTest::mouseClick(help->findChild<QPushButton *>(QStringLiteral("HelpContents")),
                          Qt::LeftButton);
        QCOMPARE(help->currentPage().fileName(), QStringLiteral("main.htm"));
        const QVariant picture = help->browser()->document()->resource(
            QTextDocument::ImageResource, QUrl(QStringLiteral("images/main-window.png")));
        QVERIFY(picture.isValid());
        QVERIFY(!picture.value<QImage>().isNull() || !picture.value<QPixmap>().isNull() ||
                !picture.toByteArray().isEmpty());
    }

    // What is not a help page goes to the desktop; a page that is missing is said in the window.
    void outsideTheHelp_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("web page") << "https://example.org/"
                                  << QStringList{"shell open https://example.org/"};
        QTest::newRow("mail") << "mailto:a@example.org"
                              << QStringList{"shell open mailto:a@example.org"};
        QTest::newRow("missing page") << "nowhere.htm" << QStringList{};
    }

    void outsideTheHelp() {
        QFETCH(QString, link);
        QFETCH(QStringList, asked);
        HelpWindow *help = F1OnTheMainWindow();
        QVERIFY(help);
        const QUrl before = help->currentPage();
        Recorder::take();
        emit help->browser()->anchorClicked(QUrl(link));
        QCOMPARE(Recorder::take(), asked);
        QCOMPARE(help->currentPage(), before);
    }

    // "ブラウザで開く" hands the page shown to the desktop; a missing help folder is said.
    void inTheBrowserAndWithoutPages() {
        HelpWindow *help = F1OnTheMainWindow();
        QVERIFY(help);
        QTest::mouseClick(help->findChild<QPushButton *>(QStringLiteral("HelpInBrowser")),
                          Qt::LeftButton);
        QCOMPARE(Recorder::take(),
                 QStringList{QStringLiteral("shell open ") + help->currentPage().toString()});
        help->ShowPage(desktop_->file(QStringLiteral("none/main.htm")));
        QVERIFY(help->browser()->toPlainText().startsWith(
            QStringLiteral("ヘルプのページが見つかりません")));
    }

private:
    HelpWindow *F1OnTheMainWindow() {
        app_->mainWindow()->activateWindow();
        if (!QTest::qWaitForWindowActive(app_->mainWindow()))
            return nullptr;
        QTest::keyClick(app_->mainWindow(), Qt::Key_F1);
        return app_->helpWindow();
    }

    static QWidget *NewVisibleWindow(const QSet<QWidget *> &before) {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && !before.contains(w) && !qobject_cast<HelpWindow *>(w))
                return w;
        return nullptr;
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<KolvaneApp> app_;
};

QTEST_MAIN(HelpWindowTest)
#include "tst_helpwindow.moc"
