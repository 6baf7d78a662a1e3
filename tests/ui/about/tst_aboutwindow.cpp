// The About window: opened modal by the main window's About button, its texts from the build,
// its links opened through the desktop, its help asked of the program, and the two image
// buttons.
#include "BuildInfo.h"
#include "app/KolvaneApp.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Recorder.h"
#include "settings/HelpPages.h"
#include "settings/Program.h"
#include "support/TestDesktop.h"
#include "ui/about/AboutFaces.h"
#include "ui/about/AboutWindow.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/SkinnedWindow.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QUrl>
#include <QtTest>
#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &content = "<html></html>") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        QVERIFY(desktop_->isValid());
        savedPath_ = qgetenv("PATH");
        savedBrowser_ = qgetenv("BROWSER");
        savedDataDirs_ = qgetenv("XDG_DATA_DIRS");
        qunsetenv("BROWSER");
        // A desktop opener that is never run: the shell records instead.
        const QString bin = desktop_->file(QStringLiteral("bin"));
        writeFile(bin + QStringLiteral("/xdg-open"), "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(bin + QStringLiteral("/xdg-open"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        qputenv("PATH", bin.toLocal8Bit());
    }

    void cleanup() {
        delete about_;
        app_.reset();
        desktop_.reset();
        qputenv("PATH", savedPath_);
        qputenv("BROWSER", savedBrowser_);
        if (savedBrowser_.isEmpty())
            qunsetenv("BROWSER");
        qputenv("XDG_DATA_DIRS", savedDataDirs_);
    }

    // The main window's About button opens it, modal over the main window.
    void openedModalByTheAboutButton() {
        app_ = std::make_unique<KolvaneApp>();
        MainWindow *main = app_->mainWindow();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        auto *about = main->findChild<ImageButton *>(QStringLiteral("Picture4(7)"));
        QVERIFY(about);
        QTest::mousePress(about, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(about, Qt::LeftButton, {}, QPoint(5, 5));
        QPointer<AboutWindow> form5 = app_->aboutWindow();
        QVERIFY(form5);
        QCOMPARE(form5->objectName(), QStringLiteral("Form5"));
        QCOMPARE(form5->windowTitle(), QStringLiteral("Ａｂｏｕｔ"));
        QVERIFY(form5->isVisible());
        QVERIFY(form5->isWindow());
        QCOMPARE(form5->windowModality(), Qt::WindowModal);
        QCOMPARE(form5->parentWidget(), main);
        QVERIFY(form5->windowFlags() & Qt::FramelessWindowHint);
        // Its close button unloads it; the next About is a fresh window.
        auto *close = form5->findChild<ImageButton *>(QStringLiteral("Picture12(1)"));
        QTest::mousePress(close, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(!form5);
        QVERIFY(!app_->aboutWindow());
        QTest::mousePress(about, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(about, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(app_->aboutWindow());
        QVERIFY(app_->aboutWindow()->isVisible());
    }

    void textsFromTheBuild() {
        open(AboutWindow::Texts::FromBuild());
        QCOMPARE(label("Label23")->text(),
                 QStringLiteral("version ") + QString::fromUtf8(BuildInfo::Version));
        QVERIFY(!QString::fromUtf8(BuildInfo::Version).isEmpty());
        QCOMPARE(label("Label17")->text(),
                 QStringLiteral("著作者：") + QString::fromUtf8(BuildInfo::Author));
        // An address the build was not given shows no link.
        QCOMPARE(label("Label3")->isVisibleTo(about_),
                 !QString::fromUtf8(BuildInfo::HomePage).trimmed().isEmpty());
        QCOMPARE(label("Label4")->isVisibleTo(about_),
                 !QString::fromUtf8(BuildInfo::Mail).trimmed().isEmpty());
    }

    void linksShownOnlyWithAnAddress_data() {
        QTest::addColumn<QString>("homePage");
        QTest::addColumn<QString>("mail");
        QTest::newRow("none") << QString() << QString();
        QTest::newRow("home page") << QStringLiteral("https://example.org/kolvane/") << QString();
        QTest::newRow("mail") << QString() << QStringLiteral("author@example.org");
        QTest::newRow("both") << QStringLiteral("https://example.org/")
                              << QStringLiteral("a@example.org");
    }
    void linksShownOnlyWithAnAddress() {
        QFETCH(QString, homePage);
        QFETCH(QString, mail);
        open({QStringLiteral("作者"), QStringLiteral("2.5"), homePage, mail});
        QCOMPARE(label("Label23")->text(), QStringLiteral("version 2.5"));
        QCOMPARE(label("Label17")->text(), QStringLiteral("著作者：作者"));
        QCOMPARE(label("Label2")->isVisibleTo(about_), !homePage.isEmpty());
        QCOMPARE(label("Label3")->isVisibleTo(about_), !homePage.isEmpty());
        QCOMPARE(label("Label4")->isVisibleTo(about_), !mail.isEmpty());
        if (!homePage.isEmpty()) {
            QCOMPARE(label("Label2")->text(), QStringLiteral("HomePage:"));
            QCOMPARE(label("Label3")->text(), homePage);
            QCOMPARE(label("Label3")->cursor().shape(), Qt::BitmapCursor);
        }
        if (!mail.isEmpty())
            QCOMPARE(label("Label4")->text(), QStringLiteral("e-mail:") + mail);
    }

    void linkClicksOpenTheAddresses() {
        open({QStringLiteral("作者"), QStringLiteral("1"), QStringLiteral("https://example.org/k/"),
              QStringLiteral("author@example.org")});
        click(label("Label3"));
        click(label("Label4"));
        QCOMPARE(Recorder::take(),
                 QStringList({QStringLiteral("shell open https://example.org/k/"),
                              QStringLiteral("shell open mailto:author@example.org")}));
        QVERIFY(Dialogs::takeAsked().isEmpty());
    }

    // Without a program to open them, each link says so in its own words.
    void linkFailuresAreSaid() {
        qputenv("PATH", desktop_->file(QStringLiteral("nothing")).toLocal8Bit());
        open({QStringLiteral("作者"), QStringLiteral("1"), QStringLiteral("https://example.org/k/"),
              QStringLiteral("author@example.org")});
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        click(label("Label3"));
        click(label("Label4"));
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].text, QStringLiteral("貴様がお使いのパソコンでは、このプログラムから\n"
                                               "ホームページの立ち上げは出来ない様です"));
        QCOMPARE(asked[1].text, QStringLiteral("貴様がお使いのパソコンでは、このプログラムから\n"
                                               "メッセージ作成画面の立ち上げは出来ない様です"));
        for (const Dialogs::MessageBox &box : asked) {
            QCOMPARE(box.icon, Dialogs::Icon::Stop);
            QCOMPARE(box.buttons, Dialogs::Buttons::Ok);
            QCOMPARE(box.title, QStringLiteral("Kolvane"));
            // Modal over this window alone; Enter presses OK.
            QVERIFY(!box.systemModal);
            QCOMPARE(box.defaultButton, std::optional<Dialogs::Answer>());
        }
    }

    // The help button asks the program for the first help page; the program shows it itself.
    void helpButtonAsksForTheHelp() {
        open({});
        QSignalSpy asked(about_, &SkinnedWindow::helpRequested);
        ImageButton *help = button(AboutFaces::Help);
        QCOMPARE(help->shownFace(), AboutFaces::HelpNormal);
        QCOMPARE(help->toolTip(), QStringLiteral("ヘルプ"));
        QTest::mousePress(help, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(help->shownFace(), AboutFaces::HelpPressed);
        QTest::mouseRelease(help, Qt::LeftButton, {}, QPoint(75, 35));
        QCOMPARE(help->shownFace(), AboutFaces::HelpNormal);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).at(0).toString(), QStringLiteral("main.htm"));
        // Released outside: nothing but the face.
        QTest::mousePress(help, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(help, Qt::LeftButton, {}, QPoint(76, 5));
        QCOMPARE(help->shownFace(), AboutFaces::HelpNormal);
        QCOMPARE(asked.size(), 1);
        QVERIFY(Recorder::take().isEmpty());
        QVERIFY(about_->isVisible());
    }

    // Not beside the program: the installed data folder's help, each page beside its main page.
    void helpFoundInTheDataFolder() {
        const QString data = desktop_->file(QStringLiteral("share"));
        const QString page = data + QStringLiteral("/kolvane/Help/main.htm");
        writeFile(page);
        qputenv("XDG_DATA_DIRS", data.toLocal8Bit());
        QVERIFY(!QFileInfo::exists(desktop_->file(QStringLiteral("Help/main.htm"))));
        QCOMPARE(HelpPages::MainPage(), page);
        QCOMPARE(HelpPages::Page(QStringLiteral("history.htm")),
                 data + QStringLiteral("/kolvane/Help/history.htm"));
    }

    void helpLookupOrder() {
        const QString beside = desktop_->file(QStringLiteral("a/Help"));
        const QString data = desktop_->file(QStringLiteral("b/Help"));
        writeFile(data + QStringLiteral("/main.htm"));
        QCOMPARE(HelpPages::MainPage({beside, data}), data + QStringLiteral("/main.htm"));
        writeFile(beside + QStringLiteral("/main.htm"));
        QCOMPARE(HelpPages::MainPage({beside, data}), beside + QStringLiteral("/main.htm"));
        // Neither: the page beside the program, for the desktop to say it is missing.
        const QString none = desktop_->file(QStringLiteral("c/Help"));
        QCOMPARE(HelpPages::MainPage({none}), none + QStringLiteral("/main.htm"));
        // Beside the program comes first, whatever the current folder is.
        const QStringList folders = HelpPages::Folders();
        QCOMPARE(folders.first(), QDir::cleanPath(desktop_->file(QStringLiteral("Help"))));
        QVERIFY(folders.contains(
            QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/Help"))));
        QVERIFY(
            folders.contains(QString::fromUtf8(BuildInfo::DataFolder) + QStringLiteral("/Help")));
    }

    // The help pages are built beside the program, and every page, picture and place they
    // link to is there.
    void helpPagesBesideTheProgram() {
        const QDir built(QFileInfo(QStringLiteral(KOLVANE_BINARY)).absolutePath() +
                         QStringLiteral("/Help"));
        QVERIFY(QFileInfo(built.filePath(QStringLiteral("main.htm"))).isFile());
        const QDir source(QStringLiteral(KOLVANE_SOURCE_DIR "/Help"));
        const QStringList pages = source.entryList({QStringLiteral("*.htm")});
        QVERIFY(pages.size() >= 2);
        static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
        for (const QString &page : pages) {
            QVERIFY2(QFileInfo(built.filePath(page)).isFile(), qPrintable(page));
            QFile f(source.filePath(page));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(f.readAll());
            QVERIFY2(html.contains(QStringLiteral("lang=\"ja\"")), qPrintable(page));
            for (auto it = link.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(1);
                QVERIFY2(!target.contains(QLatin1String("://")), qPrintable(target));
                const QString file = target.section(QLatin1Char('#'), 0, 0);
                const QString anchor = target.section(QLatin1Char('#'), 1);
                const QString linked = file.isEmpty() ? page : file;
                QVERIFY2(QFileInfo(built.filePath(linked)).isFile(),
                         qPrintable(page + " " + target));
                if (!anchor.isEmpty()) {
                    QFile l(source.filePath(linked));
                    QVERIFY(l.open(QIODevice::ReadOnly));
                    QVERIFY2(QString::fromUtf8(l.readAll())
                                 .contains(QStringLiteral("id=\"") + anchor + QLatin1Char('"')),
                             qPrintable(page + " " + target));
                }
            }
        }
    }

    // Dragged by its background, its icon and its logo; a press on a link does not drag.
    void dragSurfaces_data() {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<bool>("moves");
        QTest::newRow("background") << QString() << true;
        QTest::newRow("icon") << QStringLiteral("Image1(0)") << true;
        QTest::newRow("logo") << QStringLiteral("Image1(1)") << true;
        QTest::newRow("home-page link") << QStringLiteral("Label3") << false;
    }
    void dragSurfaces() {
        QFETCH(QString, surface);
        QFETCH(bool, moves);
        open({QStringLiteral("作者"), QStringLiteral("1"), QStringLiteral("https://example.org/"),
              QString()});
        about_->move(100, 100);
        QWidget *w = surface.isEmpty() ? about_.data() : about_->findChild<QWidget *>(surface);
        QVERIFY(w);
        const QPoint start = about_->pos();
        const QPoint at = surface.isEmpty() ? QPoint(8, 120) : QPoint(3, 3);
        sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        sendMouse(w, QEvent::MouseMove, at + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
        sendMouse(w, QEvent::MouseButtonRelease, at + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(about_->pos(), moves ? start + QPoint(30, 20) : start);
    }

    void closeButton() {
        open({});
        QPointer<AboutWindow> form5 = about_;
        ImageButton *close = button(AboutFaces::Close);
        QCOMPARE(close->shownFace(), AboutFaces::CloseNormal);
        QCOMPARE(close->toolTip(), QStringLiteral("閉じる"));
        QTest::mousePress(close, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(close->shownFace(), AboutFaces::ClosePressed);
        QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(5, 36));
        QCOMPARE(close->shownFace(), AboutFaces::CloseNormal);
        QVERIFY(form5->isVisible());
        QTest::mousePress(close, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(70, 30));
        QTRY_VERIFY(!form5);
    }

private:
    void open(const AboutWindow::Texts &texts) {
        about_ = new AboutWindow(texts);
        about_->show();
        QVERIFY(QTest::qWaitForWindowExposed(about_));
    }
    QLabel *label(const char *name) const {
        return about_->findChild<QLabel *>(QString::fromLatin1(name));
    }
    ImageButton *button(int item) const {
        return about_->findChild<ImageButton *>(QStringLiteral("Picture12(%1)").arg(item));
    }
    static void click(QWidget *w) {
        QVERIFY(w);
        QTest::mousePress(w, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(5, 5));
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<KolvaneApp> app_;
    QPointer<AboutWindow> about_;
    QByteArray savedPath_, savedBrowser_, savedDataDirs_;
};

QTEST_MAIN(AboutWindowTest)
#include "tst_aboutwindow.moc"
