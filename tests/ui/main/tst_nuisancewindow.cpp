// The nuisance warning as the user meets it: the status line of a marked or international
// call, the settings panel's switches, marking from the call display's menu, and the list
// window opened from the settings panel.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Recorder.h"
#include "settings/Options.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "settings/Warnings.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>
#include <memory>

class NuisanceWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
    }

    void cleanup() {
        app_.reset();
        sim_.reset();
        desktop_.reset();
    }

    void statusLineWarns_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("silence");
        QTest::addColumn<QString>("status"); // empty: the red status of a call
        QTest::addColumn<bool>("rung");
        QTest::newRow("marked") << QByteArray("0312345678") << false
                                << "迷惑電話の可能性：還付金詐欺" << true;
        QTest::newRow("marked, silenced")
            << QByteArray("0312345678") << true << "迷惑電話の可能性：還付金詐欺" << false;
        QTest::newRow("international")
            << QByteArray("0101415555012") << false << "迷惑電話の可能性：国際電話" << true;
        QTest::newRow("ordinary call") << QByteArray("0471234567") << true << "" << true;
    }

    void statusLineWarns() {
        QFETCH(QByteArray, field);
        QFETCH(bool, silence);
        QFETCH(QString, status);
        QFETCH(bool, rung);
        {
            db::Database d(Program::DatabasePath());
            QVERIFY(db::MarkNumber(d, QStringLiteral("03-1234-5678"), QStringLiteral("還付金詐欺"),
                                   QStringLiteral("2026/12/08")));
        }
        Warnings w;
        w.SilenceMarked = silence;
        QVERIFY(w.write());
        start();
        Recorder::take();
        // The status line as the caller is shown (a ring sound that cannot play is said there
        // afterwards).
        QLabel *line = window_->findChild<QLabel *>(QStringLiteral("Label5"));
        QString shown;
        QColor colour;
        connect(&app_->callHandler(), &CallHandler::callerShown, this, [&] {
            shown = line->text();
            colour = line->palette().color(QPalette::WindowText);
        });
        QVERIFY(ring(field));
        if (status.isEmpty()) {
            QVERIFY(shown.startsWith(QStringLiteral("着信中")));
            QCOMPARE(colour, QColor(255, 0, 0));
        } else {
            QCOMPARE(shown, status);
            QCOMPARE(colour, QColor(255, 255, 0));
        }
        QCOMPARE(Recorder::take().size(), rung ? 1 : 0);
    }

    // The switches show Options.ini and apply writes it.
    void settingsPanelSwitches() {
        start();
        QTest::mouseClick(window_->findChild<ImageButton *>(QStringLiteral("Picture4(1)")),
                          Qt::LeftButton, {}, QPoint(5, 5));
        auto *international = window_->findChild<QCheckBox *>(QStringLiteral("WarnInternational"));
        auto *silence = window_->findChild<QCheckBox *>(QStringLiteral("SilenceMarked"));
        QVERIFY(international->isVisible() && silence->isVisible());
        QVERIFY(international->isChecked());
        QVERIFY(!silence->isChecked());
        QVERIFY(!international->accessibleName().isEmpty() && !silence->toolTip().isEmpty());
        QTest::mouseClick(international, Qt::LeftButton);
        QTest::mouseClick(silence, Qt::LeftButton);
        QTest::mouseClick(window_->findChild<ImageButton *>(QStringLiteral("Picture12(0)")),
                          Qt::LeftButton, {}, QPoint(5, 5));
        const Warnings w = Warnings::read();
        QVERIFY(!w.InternationalCalls);
        QVERIFY(w.SilenceMarked);
        QCOMPARE(
            Options::value(QStringLiteral("Warnings"), QStringLiteral("SilenceMarked")).toBool(),
            true);
    }

    // The call display's menu marks the last call with the reason typed; the list window shows
    // it and removes it.
    void markFromTheCallDisplay() {
        start();
        QVERIFY(ring("0471234567"));
        Dialogs::setNextText(QStringLiteral("しつこい勧誘"));
        QWidget *display = window_->findChild<QWidget *>(QStringLiteral("Picture14"));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(20, 20),
                                    display->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(display, &menuEvent);
        auto *menu = window_->findChild<QMenu *>(QStringLiteral("CallDisplayMenu"));
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions().first()).center());
        {
            db::Database d(Program::DatabasePath());
            const QList<db::NuisanceMark> marks = db::ReadNuisanceMarks(d);
            QCOMPARE(marks.size(), 1);
            QCOMPARE(marks.first().Number, QStringLiteral("0471234567"));
            QCOMPARE(marks.first().Reason, QStringLiteral("しつこい勧誘"));
        }
        // The list window from the settings panel, and the mark removed there.
        QTest::mouseClick(window_->findChild<ImageButton *>(QStringLiteral("Picture4(1)")),
                          Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(window_->findChild<QPushButton *>(QStringLiteral("MarksButton")),
                          Qt::LeftButton);
        QWidget *list = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("MarksWindow") && w->isVisible())
                list = w;
        QVERIFY(list);
        auto *table = list->findChild<QTableWidget *>(QStringLiteral("MarkList"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("しつこい勧誘"));
        table->selectRow(0);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        QTest::mouseClick(list->findChild<QPushButton *>(QStringLiteral("RemoveMark")),
                          Qt::LeftButton);
        QCOMPARE(table->rowCount(), 0);
        // The next call from that number is an ordinary one again.
        QVERIFY(ring("0471234567"));
        QVERIFY(window_->findChild<QLabel *>(QStringLiteral("Label5"))
                    ->text()
                    .startsWith(QStringLiteral("着信中")));
    }

private:
    void start() {
        Settings s;
        s.ShowDate = 0;
        s.PortName = sim_->device();
        s.RingFile = QStringLiteral("/x/ring.wav");
        s.RingOn = 1;
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QTRY_VERIFY_WITH_TIMEOUT(!app_->state().firstActivation(), 5000);
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }

    bool ring(const QByteArray &field) {
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        sim_->send(field + "\n");
        return handled.wait(5000);
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<TaSim> sim_;
    std::unique_ptr<KolvaneApp> app_;
    MainWindow *window_ = nullptr;
};

QTEST_MAIN(NuisanceWindowTest)
#include "tst_nuisancewindow.moc"
