// The main window's memo panel Picture15: opened by the memo button on the last call, kept on
// that call while others arrive, saved and closed with its own buttons.
#include "app/KolvaneApp.h"
#include "db/Database.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/TrayIcon.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/history/HistoryModel.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

namespace {

// Text typed as a Japanese input method delivers it: committed strings.
void typeText(QWidget *w, const QString &text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}
} // namespace

class MemoPanelTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
        Settings s;
        s.ShowDate = 0;
        s.MainLeft = 1500;
        s.MainTop = 900;
        s.PortName = sim_->device();
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        QTRY_VERIFY(!app_->state().firstActivation());
    }

    void cleanup() {
        app_.reset();
        sim_.reset();
        desktop_.reset();
    }

    // Opened for the first call, a second call arrives, save: the memo goes to the first.
    void memoStaysOnItsCallThroughASecondCall() {
        call("0312345678");
        ImageButton *memo = button("Picture4(5)");
        QTRY_VERIFY(memo->isEnabled());
        const qint32 first = app_->state().call().HistoryId;
        QWidget *panel = window_->findChild<QWidget *>("Picture15");
        QVERIFY(!panel->isVisible());
        QCOMPARE(window_->width(), TwipsToPixelsX(4335));

        QTest::mousePress(memo, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(memo->shownFace(), 105);
        QTest::mouseRelease(memo, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(memo->shownFace(), 105);
        QVERIFY(app_->mainWindow()->memoPanelOpen());
        QVERIFY(panel->isVisible());
        QCOMPARE(window_->geometry(), QRect(TwipsToPixelsX(1500), TwipsToPixelsY(900),
                                            TwipsToPixelsX(7600), window_->height()));
        QCOMPARE(panel->pos(), QPoint(TwipsToPixelsX(4100), TwipsToPixelsY(725)));
        QVERIFY(window_->rect().contains(panel->geometry()));
        const QString dateLine = label("Label12");
        QVERIFY(dateLine.contains(QStringLiteral("  ")));
        QCOMPARE(label("Label11"), QStringLiteral("着信番号：0312345678"));
        QCOMPARE(label("Label10"), QStringLiteral("着信者名："));

        auto *text = panel->findChild<QPlainTextEdit *>("Text1");
        typeText(text, QStringLiteral("折り返し <i>'明日'</i>"));

        call("0398765432");
        QTRY_VERIFY(app_->state().call().HistoryId != first);
        // The panel and its button stay as they were.
        QCOMPARE(label("Label11"), QStringLiteral("着信番号：0312345678"));
        QCOMPARE(memo->shownFace(), 105);
        QVERIFY(panel->isVisible());

        QTest::mouseClick(panel->findChild<ImageButton *>("Picture17(0)"), Qt::LeftButton, {},
                          QPoint(75, 35));
        QVERIFY(!panel->isVisible());
        QVERIFY(!app_->mainWindow()->memoPanelOpen());
        QCOMPARE(memo->shownFace(), 106);
        QCOMPARE(window_->width(), TwipsToPixelsX(4335));
        QCOMPARE(memoOf(first), QVariant(QStringLiteral("折り返し <i>'明日'</i>")));
        QCOMPARE(memoOf(app_->state().call().HistoryId), QVariant());
    }

    // The memo shows in an open history window at once.
    void savedMemoShowsInTheHistoryWindow() {
        call("0312345678");
        QTRY_VERIFY(button("Picture4(5)")->isEnabled());
        QTest::mouseClick(button("Picture4(6)"), Qt::LeftButton, {}, QPoint(5, 5));
        HistoryWindow *history = app_->historyWindow();
        QVERIFY(history);
        QTest::mouseClick(button("Picture4(5)"), Qt::LeftButton, {}, QPoint(5, 5));
        auto *text = window_->findChild<QWidget *>("Picture15")->findChild<QPlainTextEdit *>();
        text->setPlainText(QStringLiteral("一行\n二行"));
        QTest::mouseClick(button("Picture17(0)"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(history->model()->data(history->model()->index(0, 5)).toString(),
                 QStringLiteral("一行\n二行"));
    }

    void closeAndTheMemoButtonWriteNothing() {
        call("0312345678");
        ImageButton *memo = button("Picture4(5)");
        QTRY_VERIFY(memo->isEnabled());
        const qint32 id = app_->state().call().HistoryId;
        QWidget *panel = window_->findChild<QWidget *>("Picture15");
        auto *text = panel->findChild<QPlainTextEdit *>("Text1");

        QTest::mouseClick(memo, Qt::LeftButton, {}, QPoint(5, 5));
        text->setPlainText(QStringLiteral("書かない"));
        QTest::mouseClick(button("Picture17(1)"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!panel->isVisible());
        QCOMPARE(button("Picture17(1)")->shownFace(), 202);
        QCOMPARE(memo->shownFace(), 106);

        QTest::mouseClick(memo, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(panel->isVisible());
        // Opened again: the stored memo (none), not what was typed before.
        QCOMPARE(text->toPlainText(), QString());
        text->setPlainText(QStringLiteral("これも書かない"));
        QTest::mouseClick(memo, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!panel->isVisible());
        QVERIFY(!app_->mainWindow()->memoPanelOpen());
        QCOMPARE(memoOf(id), QVariant());
    }

    void releaseOutsideThePanelButtons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::addColumn<int>("pressedFace");
        QTest::addColumn<int>("face");
        QTest::newRow("save, right of it")
            << "Picture17(0)" << QPoint(76, 5) << Qt::LeftButton << 203 << 204;
        QTest::newRow("save, right button")
            << "Picture17(0)" << QPoint(5, 5) << Qt::RightButton << 204 << 204;
        QTest::newRow("close, below it")
            << "Picture17(1)" << QPoint(5, 36) << Qt::LeftButton << 201 << 202;
    }

    void releaseOutsideThePanelButtons() {
        QFETCH(QString, name);
        QFETCH(QPoint, release);
        QFETCH(Qt::MouseButton, mouseButton);
        QFETCH(int, pressedFace);
        QFETCH(int, face);
        call("0312345678");
        QTRY_VERIFY(button("Picture4(5)")->isEnabled());
        const qint32 id = app_->state().call().HistoryId;
        QTest::mouseClick(button("Picture4(5)"), Qt::LeftButton, {}, QPoint(5, 5));
        window_->findChild<QPlainTextEdit *>("Text1")->setPlainText(QStringLiteral("x"));
        ImageButton *b = button(name);
        QTest::mousePress(b, mouseButton, {}, QPoint(5, 5));
        QCOMPARE(b->shownFace(), pressedFace);
        QTest::mouseRelease(b, mouseButton, {}, release);
        QCOMPARE(b->shownFace(), face);
        QVERIFY(window_->findChild<QWidget *>("Picture15")->isVisible());
        QVERIFY(app_->mainWindow()->memoPanelOpen());
        QCOMPARE(memoOf(id), QVariant());
    }

private:
    void call(const QByteArray &field) { sim_->send(field + "\n"); }
    ImageButton *button(const QString &name) const {
        return window_->findChild<ImageButton *>(name);
    }
    QString label(const char *name) const {
        return window_->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    static QVariant memoOf(qint32 id) {
        db::Database d(Program::DatabasePath());
        QSqlQuery q(d.sqlDatabase());
        q.prepare(QStringLiteral("SELECT メモ FROM 着信履歴 WHERE 履歴ID = ?"));
        q.addBindValue(id);
        if (!q.exec() || !q.next() || q.isNull(0))
            return QVariant();
        return q.value(0);
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<TaSim> sim_;
    std::unique_ptr<KolvaneApp> app_;
    MainWindow *window_ = nullptr;
};

QTEST_MAIN(MemoPanelTest)
#include "tst_memopanel.moc"
