// The call path of the real main window: reports played by tools/ta-sim on a pseudo-terminal,
// looked up in the phonebook and a reference file, shown, rung and stored.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "callerid/CallReport.h"
#include "callerid/TaLink.h"
#include "callerid/TaLinkKeeper.h"
#include "db/Database.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/TrayIcon.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/CallRows.h"
#include "support/PhonebookRows.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/controls/DigitalClock.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>
#include <memory>
#include <sys/stat.h>

namespace {

// The window states a widget is shown with, in order: a window shown minimised is mapped as
// an icon, which the desktop may never restore.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(QWidget *w) : w_(w) { w->installEventFilter(this); }
    QList<Qt::WindowStates> shown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == w_ && event->type() == QEvent::Show)
            shown.append(w_->windowState());
        return false;
    }

private:
    QWidget *w_;
};

const QString Fixtures = QStringLiteral(KOLVANE_FIXTURES_DIR);

// A field as stored: Null stays an invalid QVariant, so it differs from empty text.
QVariant value(const QSqlQuery &q, int i) {
    return q.isNull(i) ? QVariant() : q.value(i);
}

struct HistoryRow {
    QVariant id, date, time, number, name, address, zip, callerId;
};

} // namespace

class CallPathTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
        settings_ = Settings();
        settings_.ShowDate = 0;
        settings_.PortName = sim_->device();
    }

    void cleanup() {
        app_.reset();
        window_ = nullptr;
        sim_.reset();
        desktop_.reset();
    }

    void shownAndStored_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("reference");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QVariant>("storedNumber");
        QTest::addColumn<QVariant>("storedZip");
        QTest::addColumn<bool>("known");

        const QVariant null;
        QTest::newRow("known caller with a remark")
            << QByteArray("0471234567 0312349876") << false << "0471234567 （自宅）"
            << "0471234567"
            << "山田 太郎"
            << "千葉県柏市旭町１－２－３" << QVariant("0471234567") << QVariant("277-0852") << true;
        QTest::newRow("line end after the number")
            << QByteArray("0471234567") << false << "0471234567 （自宅）"
            << "0471234567"
            << "山田 太郎"
            << "千葉県柏市旭町１－２－３" << QVariant("0471234567") << QVariant("277-0852") << true;
        QTest::newRow("sub-address cut off")
            << QByteArray("0312345678/12 0312349876") << false << "0312345678"
            << "0312345678"
            << "佐藤 商店"
            << "" << QVariant("0312345678") << null << true;
        QTest::newRow("phonebook name, reference address")
            << QByteArray("030-0074321") << true << "030-0074321 （会社）"
            << "030-0074321"
            << "アルフレッド"
            << "Obere Str. 57" << QVariant("030-0074321 （会社）") << QVariant("12209") << true;
        QTest::newRow("only in the reference file")
            << QByteArray("0452-076545") << true << "0452-076545"
            << "0452-076545"
            << "Chop-suey Chinese"
            << "Hauptstr. 29" << QVariant("0452-076545") << QVariant("3012") << false;
        QTest::newRow("unknown caller") << QByteArray("09012345678") << false << "09012345678"
                                        << "09012345678"
                                        << ""
                                        << "" << QVariant("09012345678") << null << false;
        QTest::newRow("markup is plain text") << QByteArray("<h1>x") << false << "<h1>x"
                                              << "<h1>x"
                                              << ""
                                              << "" << QVariant("<h1>x") << null << false;
        for (const char *reason : {"P", "O", "C", "S"}) {
            const QString text = *ReasonText(QString::fromLatin1(reason));
            QTest::newRow(reason) << QByteArray(reason) << false << text << "-----------"
                                  << ""
                                  << "" << QVariant(text) << null << false;
        }
    }

    void shownAndStored() {
        QFETCH(QByteArray, field);
        QFETCH(bool, reference);
        QFETCH(QString, number);
        QFETCH(QString, clock);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QVariant, storedNumber);
        QFETCH(QVariant, storedZip);
        QFETCH(bool, known);

        int yamada = 0;
        {
            db::Database d(Program::DatabasePath());
            yamada =
                addEntry(d, QStringLiteral("山田 太郎"), QStringLiteral("千葉県柏市旭町１－２－３"),
                         QStringLiteral("277-0852"));
            addNumber(d, yamada, QStringLiteral("0471234567"), QStringLiteral("自宅"));
            addNumber(d, addEntry(d, QStringLiteral("佐藤 商店"), {}, {}),
                      QStringLiteral("0312345678"), {});
            // Known without an address: the reference file supplies it.
            addNumber(d, addEntry(d, QStringLiteral("アルフレッド"), {}, {}),
                      QStringLiteral("030-0074321"), QStringLiteral("会社"));
        }
        if (reference) {
            settings_.RefEnabled = true;
            settings_.RefDatabasePath = Fixtures + QStringLiteral("/nwind.mdb");
            settings_.RefTable = QStringLiteral("Customers");
            settings_.RefPhoneField = QStringLiteral("Phone");
            settings_.RefNameField = QStringLiteral("CompanyName");
            settings_.RefAddressField = QStringLiteral("Address");
            settings_.RefZipField = QStringLiteral("PostalCode");
        }
        startWindow();
        QVERIFY(ring(field));

        QCOMPARE(label("Label6")->text(), number);
        QCOMPARE(label("Label7")->text(), name);
        QCOMPARE(label("Label8")->text(), address);
        for (const char *l : {"Label5", "Label6", "Label7", "Label8"})
            QCOMPARE(label(l)->textFormat(), Qt::PlainText);
        QVERIFY(label("Label5")->text().startsWith(QStringLiteral("着信中．．．      ( ")));
        QCOMPARE(label("Label5")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        auto *clockDisplay = window_->findChild<DigitalClock *>();
        QCOMPARE(clockDisplay->text(), clock);
        QVERIFY(clockDisplay->highlight());
        QVERIFY(!window_->clockTick().isActive());
        QVERIFY(window_->callDisplayEnd().isActive());

        ImageButton *registerButton = button("Picture4(9)");
        QCOMPARE(registerButton->isEnabled(), !known && !ReasonText(QString::fromLatin1(field)));
        QCOMPARE(registerButton->shownFace(), registerButton->isEnabled() ? 112 : 114);
        ImageButton *memo = button("Picture4(5)");
        QVERIFY(memo->isEnabled());
        QCOMPARE(memo->shownFace(), 106);

        const QList<HistoryRow> rows = history();
        QCOMPARE(rows.size(), 1);
        const HistoryRow &row = rows.first();
        QCOMPARE(row.id.toInt(), 1);
        QCOMPARE(row.number, storedNumber);
        QCOMPARE(row.name, name.isEmpty() ? QVariant() : QVariant(name));
        QCOMPARE(row.address, address.isEmpty() ? QVariant() : QVariant(address));
        QCOMPARE(row.zip, storedZip);
        QCOMPARE(row.date.toString(), app_->state().call().CallDate);
        QCOMPARE(row.time.toString(), app_->state().call().CallTime);
        QCOMPARE(row.callerId.toInt(), app_->state().call().CallerId);
        if (field.startsWith("0471234567"))
            QCOMPARE(row.callerId.toInt(), yamada);
    }

    // A number typed into the phonebook with hyphens, spaces, full-width digits or the
    // country code is the caller the TA reports by its digits: the name shows, the register
    // button stays off, and the history row keeps the number as the TA sent it.
    void typedNumbersAreKnown_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("remark");
        QTest::newRow("hyphens") << "03-1234-5678"
                                 << "会社";
        QTest::newRow("full width") << "０３－１２３４－５６７８"
                                    << "";
        QTest::newRow("spaces") << "03 1234 5678"
                                << "";
        QTest::newRow("international") << "+81 3 1234 5678"
                                       << "携帯";
    }

    void typedNumbersAreKnown() {
        QFETCH(QString, typed);
        QFETCH(QString, remark);
        int sato = 0;
        {
            db::Database d(Program::DatabasePath());
            addNumber(d, addEntry(d, QStringLiteral("山田 太郎")), QStringLiteral("0471234567"));
            sato = addEntry(d, QStringLiteral("佐藤 商店"), QStringLiteral("東京都千代田区"));
            addNumber(d, sato, typed, remark);
        }
        startWindow();
        QVERIFY(ring("0312345678"));

        QCOMPARE(label("Label6")->text(), remark.isEmpty()
                                              ? QStringLiteral("0312345678")
                                              : QStringLiteral("0312345678 （%1）").arg(remark));
        QCOMPARE(label("Label7")->text(), QStringLiteral("佐藤 商店"));
        QCOMPARE(label("Label8")->text(), QStringLiteral("東京都千代田区"));
        QCOMPARE(window_->findChild<DigitalClock *>()->text(), QStringLiteral("0312345678"));
        QVERIFY(!button("Picture4(9)")->isEnabled());

        const QList<HistoryRow> rows = history();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().number, QVariant(QStringLiteral("0312345678")));
        QCOMPARE(rows.first().name, QVariant(QStringLiteral("佐藤 商店")));
        QCOMPARE(rows.first().callerId.toInt(), sato);

        // Another number with none of those digits stays unknown.
        QVERIFY(ring("0312345679"));
        QCOMPARE(label("Label7")->text(), QString());
        QVERIFY(button("Picture4(9)")->isEnabled());
    }

    // Two reports a moment apart are two calls with consecutive ids after the largest so far.
    void consecutiveCallsTakeConsecutiveIds() {
        {
            db::Database d(Program::DatabasePath());
            db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
            t.addNew();
            t.setField(QStringLiteral("履歴ID"), 41);
            QVERIFY(t.update());
        }
        startWindow();
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        sim_->send("0471111111\n");
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 1, 5000);
        sim_->send("0472222222\n");
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 2, 5000);
        const QList<HistoryRow> rows = history();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(1).id.toInt(), 42);
        QCOMPARE(rows.at(1).number.toString(), QStringLiteral("0471111111"));
        QCOMPARE(rows.at(2).id.toInt(), 43);
        QCOMPARE(app_->state().call().HistoryId, 43);
    }

    // An empty table has no largest id: the first row of a run gets 1, the next 2.
    void emptyTableStartsAtOne() {
        startWindow();
        QVERIFY(ring("P"));
        QVERIFY(ring("O"));
        const QList<HistoryRow> rows = history();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).id.toInt(), 1);
        QCOMPARE(rows.at(1).id.toInt(), 2);
    }

    void openMemoPanelKeepsMemoButton() {
        startWindow();
        window_->ShowMemoPanel();
        QVERIFY(ring("0471234567"));
        QVERIFY(!button("Picture4(5)")->isEnabled());
        QCOMPARE(button("Picture4(5)")->shownFace(), 113);
    }

    void endOfCallDisplay_data() {
        QTest::addColumn<int>("showDate");
        QTest::newRow("time shown") << 0;
        QTest::newRow("date shown") << 1;
    }

    void endOfCallDisplay() {
        QFETCH(int, showDate);
        settings_.ShowDate = qint16(showDate);
        startWindow();
        QCOMPARE(window_->callDisplayEnd().interval(), 5000);
        window_->callDisplayEnd().setInterval(50);
        QVERIFY(ring("0471234567"));
        const QString time = app_->state().call().CallTime;
        QTRY_VERIFY(!window_->callDisplayEnd().isActive());
        QCOMPARE(label("Label5")->text(), QStringLiteral("待機中．．．      ( ") + time + " )");
        QCOMPARE(label("Label5")->palette().color(QPalette::WindowText), QColor(255, 128, 0));
        QCOMPARE(label("Label6")->text(), QStringLiteral("0471234567"));
        auto *clockDisplay = window_->findChild<DigitalClock *>();
        QVERIFY(!clockDisplay->highlight());
        QCOMPARE(window_->clockTick().isActive(), showDate == 0);
        if (showDate)
            QCOMPARE(clockDisplay->text(), QDate::currentDate().toString("yyyy-MM-dd"));
    }

    void ringFollowsTheSettings_data() {
        QTest::addColumn<QString>("ringFile");
        QTest::addColumn<int>("ringOn");
        QTest::addColumn<QStringList>("requests");
        QTest::newRow("on") << "/x/ring.wav" << 1 << QStringList{"ring play /x/ring.wav"};
        QTest::newRow("off") << "/x/ring.wav" << 0 << QStringList{};
        QTest::newRow("no file") << "" << 1 << QStringList{};
    }

    void ringFollowsTheSettings() {
        QFETCH(QString, ringFile);
        QFETCH(int, ringOn);
        QFETCH(QStringList, requests);
        settings_.RingFile = ringFile;
        settings_.RingOn = qint16(ringOn);
        startWindow();
        Recorder::take();
        QVERIFY(ring("S"));
        QCOMPARE(Recorder::take(), requests);
    }

    // Files named in the settings that cannot serve: the call is shown and stored all the same,
    // and nothing waits on a FIFO. A ring that stays silent is said once on the status line
    // (a second call with the same file is not told again).
    void unusableFilesNeverHoldTheCall_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("stored");
        QTest::newRow("ring file missing")
            << "ring"
            << "missing"
            << "着信音を鳴らせません（ファイルがありません）" << true;
        QTest::newRow("ring file not a WAV")
            << "ring"
            << "text"
            << "着信音を鳴らせません（WAVファイルではありません）" << true;
        QTest::newRow("ring file a FIFO")
            << "ring"
            << "fifo"
            << "着信音を鳴らせません（普通のファイルではありません）" << true;
        QTest::newRow("reference file a FIFO") << "reference"
                                               << "fifo"
                                               << "" << true;
        QTest::newRow("call database a FIFO") << "database"
                                              << "fifo"
                                              << "" << false;
    }

    void unusableFilesNeverHoldTheCall() {
        QFETCH(QString, which);
        QFETCH(QString, kind);
        QFETCH(QString, status);
        QFETCH(bool, stored);
        const QString path = which == QLatin1String("database")
                                 ? Program::DatabasePath()
                                 : Program::filePath(QStringLiteral("unusable.wav"));
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("text")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a sound\n");
        }
        if (which == QLatin1String("ring")) {
            settings_.RingFile = path;
            settings_.RingOn = 1;
        } else if (which == QLatin1String("reference")) {
            settings_.RefEnabled = true;
            settings_.RefDatabasePath = path;
            settings_.RefTable = QStringLiteral("t");
            settings_.RefPhoneField = QStringLiteral("p");
        }
        startWindow();
        for (int call = 0; call < 2; ++call) {
            QVERIFY(ring("0471234567"));
            QCOMPARE(label("Label6")->text(), QStringLiteral("0471234567"));
            if (call == 0 && !status.isEmpty())
                QCOMPARE(fullText(label("Label5")), status);
            else
                QVERIFY(label("Label5")->text().startsWith(QStringLiteral("着信中")));
        }
        QCOMPARE(app_->state().callHistoryProblem().isEmpty(), stored);
        if (stored)
            QCOMPARE(history().size(), 2);
    }

    // A TA that pauses inside a report: the whole number is stored, not the part before the
    // pause.
    void reportWithAPauseIsStoredWhole() {
        startWindow();
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        sim_->send("raw:" + QByteArray("\r\nRING ANALOG 05").toHex() + "\n");
        QTest::qWait(TaLink::SettleMs + 400);
        sim_->send("raw:" + QByteArray("12345678 1\r\n").toHex() + "\n");
        QVERIFY(handled.wait(10000));
        QCOMPARE(handled.size(), 1);
        const QList<HistoryRow> rows = history();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].number, QVariant(QStringLiteral("0512345678")));
    }

    // In TrayMode the window starts in the tray, comes out for a call, goes back after the
    // delay, and comes out again for a left click only.
    void trayRoundTrip() {
        settings_.TrayMode = 1;
        settings_.TrayDelaySeconds = 60;
        startWindow();
        QTRY_VERIFY(!window_->isVisible());
        QCOMPARE(Recorder::take(), QStringList{"tray add Kolvane"});
        QVERIFY(!window_->returnToTray().isActive());

        QVERIFY(ring("0471234567"));
        QVERIFY(window_->isVisible());
        QVERIFY(!window_->isMinimized());
        QCOMPARE(Recorder::take(), QStringList{"tray remove"});
        QVERIFY(window_->returnToTray().isActive());
        QCOMPARE(window_->returnToTray().interval(), 60000);

        window_->returnToTray().setInterval(50);
        QTRY_VERIFY(!window_->isVisible());
        QCOMPARE(Recorder::take(), QStringList{"tray add コルベーン！"});
        QCOMPARE(app_->trayIcon().tip(), QStringLiteral("コルベーン！"));
        QVERIFY(!window_->returnToTray().isActive());

        for (auto reason :
             {QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick})
            app_->trayIcon().activate(reason);
        QVERIFY(!window_->isVisible());
        app_->trayIcon().activate(QSystemTrayIcon::Trigger);
        QVERIFY(window_->isVisible());
        QCOMPARE(Recorder::take(), QStringList{"tray remove"});
        QCOMPARE(window_->returnToTray().interval(), 60000);
        QVERIFY(window_->returnToTray().isActive());
    }

    // From the first start on, a click on the icon or its "表示" brings the window back as a
    // normal window, however it went into the tray.
    void trayBringsBackANormalWindow_data() {
        QTest::addColumn<int>("trayMode");
        QTest::addColumn<QString>("into");
        QTest::addColumn<QString>("back");
        QTest::newRow("at start, left click") << 1 << "start"
                                              << "click";
        QTest::newRow("at start, 表示") << 1 << "start"
                                        << "show";
        QTest::newRow("tray button, left click") << 0 << "button"
                                                 << "click";
        QTest::newRow("minimised, then tray button, 表示") << 0 << "minimised"
                                                           << "show";
    }
    void trayBringsBackANormalWindow() {
        QFETCH(int, trayMode);
        QFETCH(QString, into);
        QFETCH(QString, back);
        settings_.TrayMode = qint16(trayMode);
        startWindow();
        if (into == QLatin1String("minimised"))
            window_->showMinimized();
        if (into != QLatin1String("start"))
            QTest::mouseClick(button("Picture7"), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(!window_->isVisible());
        QVERIFY(app_->trayIcon().isShown());
        ShowWatch watch(window_);
        if (back == QLatin1String("click"))
            app_->trayIcon().activate(QSystemTrayIcon::Trigger);
        else
            app_->trayIcon().contextMenu()->findChild<QAction *>(QStringLiteral("show"))->trigger();
        QVERIFY(window_->isVisible());
        QVERIFY(!window_->isMinimized());
        QVERIFY(!app_->trayIcon().isShown());
        QVERIFY(!watch.shown.isEmpty());
        for (Qt::WindowStates state : watch.shown)
            QCOMPARE(state, Qt::WindowStates(Qt::WindowNoState));
        QCOMPARE(window_->returnToTray().isActive(), trayMode == 1);
    }

    void trayDelayKeepsToItsRange_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("interval");
        QTest::newRow("shortest") << 10 << 10000;
        QTest::newRow("longest") << 600 << 600000;
        QTest::newRow("no number typed") << 0 << 10000;
        QTest::newRow("negative") << -5 << 10000;
        QTest::newRow("too long") << 32000 << 600000;
    }

    void trayDelayKeepsToItsRange() {
        QFETCH(int, seconds);
        QFETCH(int, interval);
        settings_.TrayMode = 1;
        settings_.TrayDelaySeconds = qint16(seconds);
        startWindow();
        QVERIFY(ring("0471234567"));
        QVERIFY(window_->returnToTray().isActive());
        QCOMPARE(window_->returnToTray().interval(), interval);
        QCOMPARE(app_->state().settings().TrayDelaySeconds, qint16(seconds));
    }

    void withoutTrayModeNoReturnToTray() {
        startWindow();
        QVERIFY(ring("0471234567"));
        QVERIFY(!window_->returnToTray().isActive());
        QVERIFY(window_->isVisible());
        QCOMPARE(Recorder::take(), QStringList{});
    }

    // Where the desktop has no notification area the window only minimises, so it can be
    // brought back from the task bar.
    void noNotificationAreaMinimisesOnly() {
        TrayIcon::setAvailableForTest(false);
        settings_.TrayMode = 1;
        startWindow();
        QTRY_VERIFY(window_->isMinimized());
        QVERIFY(window_->isVisible());
        QVERIFY(!app_->trayIcon().isShown());
    }

    // A damaged or foreign call database: the call is shown and rung, and the file is left
    // exactly as it was.
    void foreignDatabaseIsLeftAlone() {
        const QString path = Program::DatabasePath();
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all\r\n");
        f.close();
        settings_.RingFile = QStringLiteral("/x/ring.wav");
        settings_.RingOn = 1;
        startWindow();
        Recorder::take();
        QVERIFY(ring("0471234567"));
        QCOMPARE(label("Label6")->text(), QStringLiteral("0471234567"));
        QCOMPARE(Recorder::take(), QStringList{"ring play /x/ring.wav"});
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a database at all\r\n"));
        // The user is told that calls are not recorded, and why, when the call display ends.
        app_->mainWindow()->callDisplayEnd().setInterval(10);
        QTRY_VERIFY(!app_->mainWindow()->callDisplayEnd().isActive());
        QCOMPARE(fullText(label("Label5")),
                 QStringLiteral("着信履歴に記録できません（Kolvaneのデータベースではありません）"));
    }

    // Said from the start, before any call: at once for a file that is not ours, and once the
    // window is up for damage among the rows (found by the run's first reading of the file).
    void unusableDatabaseSaidAtLoad_data() {
        QTest::addColumn<bool>("amongTheRows");
        QTest::newRow("unreadable from its start") << false;
        QTest::newRow("damaged among its rows") << true;
    }
    void unusableDatabaseSaidAtLoad() {
        QFETCH(bool, amongTheRows);
        const QString path = Program::DatabasePath();
        if (amongTheRows)
            QVERIFY(fillCalls(path, 3000));
        QFile f(path);
        QVERIFY(f.open(amongTheRows ? QIODevice::ReadWrite : QIODevice::WriteOnly));
        QVERIFY(f.seek(amongTheRows ? 20 * 4096 : 0));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY(changedElsewhere(path));
        startWindow();
        QTRY_VERIFY(
            fullText(label("Label5")).startsWith(QStringLiteral("着信履歴に記録できません")));
    }

    // A database locked by another program: no lookup and no row, but the call is shown, and
    // the next call after the lock is stored.
    void lockedDatabaseSkipsTheRowOnly() {
        const QString path = Program::DatabasePath();
        {
            db::Database d(path);
            addNumber(d, addEntry(d, QStringLiteral("山田 太郎"), {}, {}),
                      QStringLiteral("0471234567"), {});
        }
        startWindow();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "locker");
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(ring("0471234567"));
            QCOMPARE(label("Label6")->text(), QStringLiteral("0471234567"));
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QCOMPARE(history().size(), 0);
        window_->callDisplayEnd().setInterval(10);
        QTRY_VERIFY(!window_->callDisplayEnd().isActive());
        QCOMPARE(fullText(label("Label5")),
                 QStringLiteral("着信履歴に記録できません（使用中です）"));
        QVERIFY(ring("0471234567"));
        QCOMPARE(label("Label7")->text(), QStringLiteral("山田 太郎"));
        QCOMPARE(history().size(), 1);
        // Stored again: the idle line is the usual one.
        QTRY_VERIFY(!window_->callDisplayEnd().isActive());
        QVERIFY(label("Label5")->text().startsWith(QStringLiteral("待機中．．．")));
    }

    // While the database is compacted the report waits in the buffer for the next event.
    void compactionHoldsTheReport() {
        startWindow();
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        app_->state().setCompactionBusy(true);
        sim_->send("0471234567\n");
        QTest::qWait(600);
        QCOMPARE(handled.size(), 0);
        app_->state().setCompactionBusy(false);
        sim_->send("raw:0d0a\n");
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 1, 5000);
        QCOMPARE(app_->state().call().Number, QStringLiteral("0471234567"));
    }

    // Texts longer than the call lines are cut with "…" at a character, never in the middle
    // of one; the whole text is the line's tooltip, still plain text.
    void longTextsAreElided() {
        const QString name =
            QStringLiteral("株式会社<b>コルベーン</b>システムズ東日本営業本部第一営業部");
        const QString address =
            QStringLiteral("北海道札幌市中央区北一条西二丁目一番地 札幌時計台ビル十二階 𠮷野家前");
        {
            db::Database d(Program::DatabasePath());
            addNumber(d, addEntry(d, name, address), QStringLiteral("0111234567"),
                      QStringLiteral("本社代表番号（受付）・夜間は留守番電話"));
        }
        startWindow();
        QVERIFY(ring("0111234567"));
        for (const char *line : {"Label6", "Label7", "Label8"}) {
            QLabel *l = label(line);
            QVERIFY2(l->text().endsWith(QChar(0x2026)), line);
            QVERIFY(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width());
            QVERIFY(!l->text().contains(QChar::ReplacementCharacter));
            const QString shown = l->text().chopped(1);
            QVERIFY(shown.isEmpty() || !shown.back().isHighSurrogate());
        }
        QVERIFY(label("Label7")->toolTip().contains(name.toHtmlEscaped()));
        QVERIFY(label("Label8")->toolTip().contains(address.toHtmlEscaped()));
        QVERIFY(label("Label6")->toolTip().contains(QStringLiteral("夜間は留守番電話")));
        // The stored row has the whole texts, not the cut ones.
        QCOMPARE(history().first().name.toString(), name);
        QCOMPARE(history().first().address.toString(), address);
    }

    // Reports that pile up in one read (a busy disk, a compaction) are each a call with a row
    // of its own, in order; the display ends on the last caller.
    void reportsInOneReadAreEachACall() {
        startWindow();
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        QSignalSpy read(&app_->link(), &TaLink::blockRead);
        sim_->send("0471234567\nP\n0312345678/12 0312349876\n");
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 3, 5000);
        QCOMPARE(read.size(), 1);
        QCOMPARE(app_->state().call().Number, QStringLiteral("0312345678"));
        QCOMPARE(label("Label6")->text(), QStringLiteral("0312345678"));
        const QList<HistoryRow> rows = history();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).number.toString(), QStringLiteral("0471234567"));
        QCOMPARE(rows.at(1).number.toString(), QStringLiteral("ユーザ拒否"));
        QCOMPARE(rows.at(2).number.toString(), QStringLiteral("0312345678"));
        QCOMPARE(rows.at(2).id.toInt(), rows.at(1).id.toInt() + 1);
    }

    // Several calls in one read: the status line says how many, and an open history window
    // lists every one.
    void severalCallsAreCountedAndListed() {
        startWindow();
        emit window_->commandRequested(MainFaces::History);
        QVERIFY(app_->historyWindow());
        const QTableView *list = app_->historyWindow()->grid();
        QCOMPARE(list->model()->rowCount(), 0);
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        sim_->send("0471234567\n0312345678\n");
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 2, 5000);
        QCOMPARE(label("Label5")->text(),
                 QStringLiteral("着信 2件      ( %1 )").arg(app_->state().call().CallTime));
        QTRY_COMPARE(list->model()->rowCount(), 2);
        // The next call on its own, after the display ended, is one call again.
        window_->callDisplayEnd().setInterval(10);
        window_->callDisplayEnd().start();
        QTRY_VERIFY(!window_->callDisplayEnd().isActive());
        window_->callDisplayEnd().setInterval(5000);
        QVERIFY(ring("09012345678"));
        QVERIFY(label("Label5")->text().startsWith(QStringLiteral("着信中．．．")));
        QTRY_COMPARE(list->model()->rowCount(), 3);
    }

    // Line noise that looks like the start of a report is not a call; the call after it is.
    void noiseIsNotACall() {
        startWindow();
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        sim_->send("raw:00ff1b5b324a52494e4720414e414c4f\n0471234567\n");
        QTRY_VERIFY_WITH_TIMEOUT(handled.size() >= 1, 5000);
        QTest::qWait(100);
        QCOMPARE(handled.size(), 1);
        const QList<HistoryRow> rows = history();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).number.toString(), QStringLiteral("0471234567"));
    }

    // A second set-up (new port settings) sends the command again and the link stays usable.
    void secondSetupSendsTheCommandAgain() {
        startWindow();
        QVERIFY(app_->linkKeeper().InitTerminalAdapter());
        QTRY_COMPARE(sim_->received(), QByteArray("at$a16=1\rat$a16=1\r"));
        QCOMPARE(label("Label5")->text(), QStringLiteral("待機中．．．"));
        QVERIFY(ring("0471234567"));
    }

    // A port that cannot be opened leads to the set-up panel, without a message box.
    void portThatCannotOpenLeadsToSetup_data() {
        QTest::addColumn<QString>("portName");
        QTest::addColumn<int>("portNumber");
        QTest::newRow("no such device") << "/dev/kolvane-no-such-port" << 1;
        QTest::newRow("port number 0") << "" << 0;
        QTest::newRow("not a serial device") << "/dev/null" << 1;
    }

    void portThatCannotOpenLeadsToSetup() {
        QFETCH(QString, portName);
        QFETCH(int, portNumber);
        settings_.PortName = portName;
        settings_.PortNumber = qint16(portNumber);
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), settings_));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        QCOMPARE(app_->state().settingsFileFound(), QStringLiteral("Kolvane.ini"));
        window_->show();
        QTRY_VERIFY(app_->mainWindow()->setupPanelOpen());
        QVERIFY(app_->state().settingsFileFound().isEmpty());
        QVERIFY(app_->state().firstActivation());
        QVERIFY(!app_->link().isOpen());
        // The set-up panel over the hidden main panel.
        QVERIFY(window_->findChild<QWidget *>(QStringLiteral("Picture10"))->isVisible());
        QCOMPARE(window_->findChild<QWidget *>(QStringLiteral("Picture10"))->pos(), QPoint(15, 87));
        QVERIFY(!window_->findChild<QWidget *>(QStringLiteral("Picture3"))->isVisible());
        // No message box: the main window is the only window shown (the port box's list
        // is a hidden popup window of its own).
        int shown = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            shown += w->isVisible() ? 1 : 0;
        QCOMPARE(shown, 1);
        QCOMPARE(sim_->received(), QByteArray());
    }

    // The TA (or its USB adapter) goes away: the window carries on and says so in orange
    // until a new set-up opens the port that is there now.
    void vanishedPortCanBeReopened() {
        startWindow();
        QCOMPARE(label("Label5")->text(), QStringLiteral("待機中．．．"));
        QSignalSpy lost(&app_->link(), &TaLink::portLost);
        sim_->kill();
        QTRY_VERIFY_WITH_TIMEOUT(!lost.isEmpty(), 5000);
        QCOMPARE(label("Label5")->text(), QStringLiteral("ＴＡとの接続が切れました。"));
        QCOMPARE(label("Label5")->palette().color(QPalette::WindowText), QColor(255, 128, 0));
        QVERIFY(window_->isVisible());
        sim_ = std::make_unique<TaSim>();
        app_->state().changeSettings([&](Settings &s) { s.PortName = sim_->device(); });
        QVERIFY(app_->linkKeeper().InitTerminalAdapter());
        QCOMPARE(label("Label5")->text(), QStringLiteral("待機中．．．"));
        QVERIFY(ring("0471234567"));
        QCOMPARE(app_->state().call().Number, QStringLiteral("0471234567"));
    }

    // A TA behind a USB adapter is unplugged and plugged in again under the same device: the
    // program opens it again by itself, sends the set-up command and records the next call.
    void unpluggedTaComesBack() {
        const QString link = desktop_->file(QStringLiteral("ttyUSB0"));
        QVERIFY(QFile::link(sim_->device(), link));
        settings_.PortName = link;
        startWindow();
        // Unplugged: the device goes away (its pseudo-terminal number may be given to another
        // program's terminal at once, so the name is taken away too).
        sim_->kill();
        QVERIFY(QFile::remove(link));
        QTRY_VERIFY_WITH_TIMEOUT(app_->linkKeeper().reconnecting(), 5000);
        QCOMPARE(label("Label5")->text(), QStringLiteral("ＴＡとの接続が切れました。"));
        QCOMPARE(label("Label5")->toolTip(), QStringLiteral("再接続を待っています．．．"));
        // Gone for a while: the tries fail quietly, without a message box or a set-up panel.
        QTest::qWait(TaLinkKeeper::ReconnectMs + 500);
        QVERIFY(app_->linkKeeper().reconnecting());
        QVERIFY(!app_->mainWindow()->setupPanelOpen());
        QVERIFY(!app_->link().isOpen());
        plugInAgain(link);
    }

    // The device that opened in the last run is missing at the next start (the adapter not
    // plugged in yet): the program waits for it rather than asking for the set-up again, and
    // takes the first call once it is there. A device never opened before still leads to the
    // set-up panel (portThatCannotOpenLeadsToSetup).
    void rememberedDeviceMissingAtStartIsAwaited() {
        const QString link = runOnceThroughLink();
        QVERIFY(!QTest::currentTestFailed());
        sim_->kill();
        QVERIFY(QFile::remove(link));

        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QTRY_VERIFY_WITH_TIMEOUT(app_->linkKeeper().reconnecting(), 5000);
        QVERIFY(!app_->mainWindow()->setupPanelOpen());
        QCOMPARE(label("Label5")->text(), QStringLiteral("ＴＡとの接続が切れました。"));
        // Another activation of the window (the user brings it up) does not start over.
        window_->activateWindow();
        QTest::qWait(TaLinkKeeper::ReconnectMs + 500);
        QVERIFY(!app_->mainWindow()->setupPanelOpen());
        QVERIFY(app_->linkKeeper().reconnecting());

        plugInAgain(link);
    }

    // The remembered device is there but is not a TA port any more: the set-up panel, as for
    // any port that does not open.
    void rememberedDeviceThatDoesNotOpenLeadsToSetup() {
        const QString link = runOnceThroughLink();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QTRY_VERIFY(app_->mainWindow()->setupPanelOpen());
        QVERIFY(!app_->linkKeeper().reconnecting());
    }

private:
    // A run whose TA is behind the symbolic link `ttyUSB0`, which opens and ends.
    QString runOnceThroughLink() {
        const QString link = desktop_->file(QStringLiteral("ttyUSB0"));
        [&] {
            QVERIFY(QFile::link(sim_->device(), link));
            settings_.PortName = link;
            startWindow();
            QVERIFY(app_->link().isOpen());
            app_->RequestClose();
        }();
        app_.reset();
        return link;
    }

    // The TA comes back under `link`: the program opens it by itself, sets it up and records
    // the next call.
    void plugInAgain(const QString &link) {
        sim_ = std::make_unique<TaSim>();
        QVERIFY(QFile::link(sim_->device(), link));
        QTRY_VERIFY_WITH_TIMEOUT(app_->link().isOpen(), 3 * TaLinkKeeper::ReconnectMs);
        QVERIFY(!app_->linkKeeper().reconnecting());
        QTRY_COMPARE_WITH_TIMEOUT(sim_->received(), TaLink::SetupCommand, 2000);
        QCOMPARE(label("Label5")->text(), QStringLiteral("待機中．．．"));
        QVERIFY(ring("0471234567"));
        QCOMPARE(history().size(), 1);
    }

    void startWindow() {
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), settings_));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QTRY_VERIFY_WITH_TIMEOUT(!app_->state().firstActivation(), 5000);
    }

    bool ring(const QByteArray &field) {
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        sim_->send(field + "\n");
        return handled.wait(5000);
    }

    // A status line cut to fit carries its whole text as its tooltip.
    static QString fullText(const QLabel *l) {
        if (l->toolTip().isEmpty())
            return l->text();
        QTextDocument doc;
        doc.setHtml(l->toolTip());
        return doc.toPlainText();
    }

    QLabel *label(const char *name) const {
        return window_->findChild<QLabel *>(QString::fromLatin1(name));
    }
    ImageButton *button(const char *name) const {
        return window_->findChild<ImageButton *>(QString::fromLatin1(name));
    }

    QList<HistoryRow> history() const {
        QList<HistoryRow> rows;
        {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "reader");
            d.setDatabaseName(Program::DatabasePath());
            d.open();
            QSqlQuery q(d);
            q.exec(QStringLiteral("SELECT 履歴ID, 日時, 時間, 電番, 氏名, 住所, 郵便番号, 着信者ID "
                                  "FROM 着信履歴 ORDER BY 履歴ID"));
            while (q.next())
                rows.append({value(q, 0), value(q, 1), value(q, 2), value(q, 3), value(q, 4),
                             value(q, 5), value(q, 6), value(q, 7)});
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        return rows;
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<TaSim> sim_;
    std::unique_ptr<KolvaneApp> app_;
    MainWindow *window_ = nullptr;
    Settings settings_;
};

QTEST_MAIN(CallPathTest)
#include "tst_callpath.moc"
