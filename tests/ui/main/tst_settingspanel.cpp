// The main window's settings panel and set-up panel, driven as a user drives them: real
// presses on the settings, apply and cancel buttons, real keys in the boxes, and a simulated
// TA on a pseudo-terminal that sees what the program sends.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "callerid/TaLink.h"
#include "platform/SerialControl.h"
#include "platform/desktop/FileChooser.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/TrayIcon.h"
#include "platform/desktop/UpDown.h"
#include "settings/EnteredValues.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

const QByteArray Setup("at$a16=1\r");
// Heights in pixels at 15 twips per pixel.
const int OpenHeight = 436;   // 4245 + 675 + 1425 + 200 twips
const int ClosedHeight = 254; // 2940 + 875 twips

} // namespace

class SettingsPanelTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
    }

    void cleanup() {
        app_.reset();
        window_ = nullptr;
        sim_.reset();
        other_.reset();
        desktop_.reset();
    }

    // The settings button lays both panels out below the title area, loaded from memory.
    void openShowsBothPanelsLoadedFromMemory_data() {
        QTest::addColumn<int>("trayMode");
        QTest::addColumn<bool>("delayEnabled");
        QTest::newRow("always shown") << 0 << false;
        QTest::newRow("tray") << 1 << true;
    }

    void openShowsBothPanelsLoadedFromMemory() {
        QFETCH(int, trayMode);
        QFETCH(bool, delayEnabled);
        Settings s = linked();
        s.TrayMode = qint16(trayMode);
        s.TrayDelaySeconds = 45;
        s.RingFile = QStringLiteral("/x/鳴る, 音.wav");
        start(s);
        window_->StartReturnToTray();
        QCOMPARE(window_->returnToTray().isActive(), trayMode == 1);

        click("Picture4(1)");
        QCOMPARE(window_->height(), OpenHeight);
        QCOMPARE(window_->width(), 289);
        QVERIFY(!window_->returnToTray().isActive());
        QVERIFY(child<QWidget>("Picture9")->isVisible());
        QVERIFY(child<QWidget>("Picture10")->isVisible());
        QCOMPARE(child<QWidget>("Picture9")->geometry(), QRect(15, 45, 255, 283));
        QCOMPARE(child<QWidget>("Picture10")->geometry(), QRect(15, 328, 255, 95));
        QVERIFY(child<QRadioButton>(QStringLiteral("Option1(%1)").arg(trayMode))->isChecked());
        for (const char *name : {"Label1", "Label2", "Text4"})
            QCOMPARE(child<QWidget>(name)->isEnabled(), delayEnabled);
        QCOMPARE(child<QLineEdit>("Text4")->text(), QStringLiteral("45"));
        QCOMPARE(child<QLineEdit>("Text5")->text(), s.RingFile);
        // The device path is in force: the port box shows it.
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), sim_->device());
        QVERIFY(!app_->mainWindow()->setupPanelOpen());
        nothingClipped();

        // The option buttons enable the delay.
        QTest::mouseClick(child<QRadioButton>(QStringLiteral("Option1(%1)").arg(1 - trayMode)),
                          Qt::LeftButton);
        for (const char *name : {"Label1", "Label2", "Text4"})
            QCOMPARE(child<QWidget>(name)->isEnabled(), !delayEnabled);
    }

    // The serial devices present come first, each with its description, then the numbers.
    void portListOffersDevicesThenNumbers() {
        start(linked());
        click("Picture4(1)");
        auto *combo = child<QComboBox>("Combo1");
        QVERIFY(combo->isEditable());
        QStringList expected;
        for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
            expected << EnteredValues::DeviceEntry(port.systemLocation(), port.description());
        for (int n = 1; n <= 16; ++n)
            expected << QString::number(n);
        QStringList offered;
        for (int i = 0; i < combo->count(); ++i)
            offered << combo->itemText(i);
        QCOMPARE(offered, expected);
    }

    // Cancel changes no setting, loses what was typed, and leaves Timer3 stopped.
    void cancelKeepsTheSettings() {
        Settings s = linked();
        s.TrayMode = 1;
        start(s);
        window_->StartReturnToTray();
        const Settings before = app_->state().settings();
        click("Picture4(1)");
        type("Text4", "99");
        type("Text5", "/y/other.wav");
        QTest::mouseClick(child<QRadioButton>("Option1(0)"), Qt::LeftButton);
        ImageButton *cancel = button("Picture12(1)");
        QTest::mousePress(cancel, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(cancel->shownFace(), 201);
        QTest::mouseRelease(cancel, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(cancel->shownFace(), 202);
        QVERIFY(app_->state().settings() == before);
        QCOMPARE(window_->height(), ClosedHeight);
        QCOMPARE(window_->width(), 289);
        QVERIFY(!child<QWidget>("Picture9")->isVisible());
        QVERIFY(!child<QWidget>("Picture10")->isVisible());
        QVERIFY(child<QWidget>("Picture3")->isVisible());
        QVERIFY(!window_->returnToTray().isActive());
        // Opened again: the values in memory, not what was typed.
        click("Picture4(1)");
        QCOMPARE(child<QLineEdit>("Text4")->text(), QStringLiteral("20"));
        QVERIFY(child<QRadioButton>("Option1(1)")->isChecked());
    }

    // Pressing the settings button while the panel is open reloads it from memory.
    void secondPressReloads() {
        start(linked());
        click("Picture4(1)");
        type("Text5", "/typed.wav");
        click("Picture4(1)");
        QCOMPARE(child<QLineEdit>("Text5")->text(), QString());
        QCOMPARE(window_->height(), OpenHeight);
    }

    // A release outside apply or cancel only restores the face.
    void releaseOutsideDoesNothing() {
        start(linked());
        click("Picture4(1)");
        for (const char *name : {"Picture12(0)", "Picture12(1)"}) {
            ImageButton *b = button(name);
            const int normal = b->shownFace();
            QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(76, 5));
            QCOMPARE(b->shownFace(), normal);
            QCOMPARE(window_->height(), OpenHeight);
        }
    }

    // Apply with a new port: the old port is closed, the new one opened, the TA set up there.
    void applyWithNewPort() {
        start(linked());
        QTRY_VERIFY(sim_->received().contains(Setup));
        other_ = std::make_unique<TaSim>();
        click("Picture4(1)");
        typeInCombo(other_->device());
        ImageButton *apply = button("Picture12(0)");
        QTest::mousePress(apply, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(apply->shownFace(), 203);
        QTest::mouseRelease(apply, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(apply->shownFace(), 204);
        QCOMPARE(app_->state().settings().PortName, other_->device());
        QTRY_COMPARE_WITH_TIMEOUT(other_->received(), Setup, 5000);
        QCOMPARE(sim_->received(), Setup);
        QVERIFY(app_->link().isOpen());
        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("待機中．．．"));
        QCOMPARE(window_->height(), ClosedHeight);
        QVERIFY(child<QWidget>("Picture3")->isVisible());
        // Applying again sends the command again.
        click("Picture4(1)");
        click("Picture12(0)");
        QTRY_COMPARE_WITH_TIMEOUT(other_->received(), Setup + Setup, 5000);
    }

    // Applied settings are written to Kolvane.ini at once (the window's place too); cancelled
    // ones leave the file as it was.
    void applyWritesTheFile_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<bool>("written");
        QTest::newRow("apply") << QByteArray("Picture12(0)") << true;
        QTest::newRow("cancel") << QByteArray("Picture12(1)") << false;
    }

    void applyWritesTheFile() {
        QFETCH(QByteArray, button);
        QFETCH(bool, written);
        start(linked());
        click("Picture4(1)");
        type("Text5", "/y/applied.wav");
        click(button.constData());
        Settings onDisk;
        QVERIFY(ReadSettingsFile(iniPath(), onDisk));
        QCOMPARE(onDisk.RingFile == QStringLiteral("/y/applied.wav"), written);
        QCOMPARE(onDisk.PortName, sim_->device());
    }

    // Choosing a port number clears the device path; the new value is written on close.
    void numberChoiceClearsThePath() {
        start(linked());
        click("Picture4(1)");
        auto *combo = child<QComboBox>("Combo1");
        combo->setFocus();
        // The third numbered entry of the list, chosen with the keys from the first entry
        // (the devices present come before the numbers).
        for (qsizetype i = 0; i < QSerialPortInfo::availablePorts().size() + 2; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentText(), QStringLiteral("3"));
        click("Picture12(0)");
        QCOMPARE(app_->state().settings().PortNumber, qint16(3));
        QCOMPARE(app_->state().settings().PortName, QString());
        window_->close();
        Settings back;
        QVERIFY(ReadSettingsFile(iniPath(), back));
        QCOMPARE(back.PortNumber, qint16(3));
        QCOMPARE(back.PortName, QString());
    }

    // In tray mode, apply arms Timer3 with the delay in force before it; the new delay is
    // used from the next call on.
    void applyInTrayModeUsesTheOldDelay_data() {
        QTest::addColumn<int>("oldDelay");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("newDelay");
        QTest::newRow("20 then 600") << 20 << "600" << 600;
        QTest::newRow("600 then 10") << 600 << "10" << 10;
        QTest::newRow("halves to even") << 30 << "12.5" << 12;
        QTest::newRow("beyond 16 bits keeps the delay") << 45 << "70000" << 45;
        QTest::newRow("no number gives 0") << 45 << "abc" << 0;
    }

    void applyInTrayModeUsesTheOldDelay() {
        QFETCH(int, oldDelay);
        QFETCH(QString, typed);
        QFETCH(int, newDelay);
        Settings s = linked();
        s.TrayDelaySeconds = qint16(oldDelay);
        start(s);
        click("Picture4(1)");
        QTest::mouseClick(child<QRadioButton>("Option1(1)"), Qt::LeftButton);
        type("Text4", typed);
        click("Picture12(0)");
        QCOMPARE(app_->state().settings().TrayMode, qint16(1));
        QVERIFY(window_->returnToTray().isActive());
        QCOMPARE(window_->returnToTray().interval(), oldDelay * 1000);
        QCOMPARE(int(app_->state().settings().TrayDelaySeconds), newDelay);
    }

    void applyAlwaysShownLeavesTimer3Stopped() {
        Settings s = linked();
        s.TrayMode = 1;
        start(s);
        click("Picture4(1)");
        QTest::mouseClick(child<QRadioButton>("Option1(0)"), Qt::LeftButton);
        click("Picture12(0)");
        QCOMPARE(app_->state().settings().TrayMode, qint16(0));
        QVERIFY(!window_->returnToTray().isActive());
    }

    // The spin control steps the delay within 10 ... 600.
    void spinControlStepsTheDelay() {
        Settings s = linked();
        s.TrayMode = 1;
        s.TrayDelaySeconds = 599;
        start(s);
        click("Picture4(1)");
        auto *spin = window_->findChild<UpDown *>();
        QVERIFY(spin);
        QCOMPARE(spin->buddy(), child<QLineEdit>("Text4"));
        QCOMPARE(spin->lower(), 10);
        QCOMPARE(spin->upper(), 600);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(spin->upButton(), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>("Text4")->text(), QStringLiteral("600"));
        click("Picture12(0)");
        QCOMPARE(app_->state().settings().TrayDelaySeconds, qint16(600));
    }

    // The ring button's tooltip reminds of a missing ring sound.
    void ringTooltip_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("tip");
        QTest::newRow("empty") << ""
                               << "着信音が設定されてません。着信音を設定してください。";
        QTest::newRow("a file") << "/x/ring.wav"
                                << "着信音　ON/OFF";
    }

    void ringTooltip() {
        QFETCH(QString, file);
        QFETCH(QString, tip);
        start(linked());
        click("Picture4(1)");
        child<QLineEdit>("Text5")->clear();
        type("Text5", file);
        click("Picture12(0)");
        QCOMPARE(app_->state().settings().RingFile, file);
        QCOMPARE(button("Picture4(3)")->name(), tip);
    }

    // The "..." button: the chooser with preview and the WAVE filter; cancelled, it leaves the
    // box as it was, and OK keeps the ring.
    void ringFileChooser() {
        start(linked());
        click("Picture4(1)");
        child<QLabel>("Label5")->setText(QStringLiteral("x"));
        FileChooser::setNextFileName(QStringLiteral("/snd/着信.wav"));
        QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>("Text5")->text(), QStringLiteral("/snd/着信.wav"));
        QCOMPARE(child<QLabel>("Label5")->text(), QString());
        const QList<FileChooser::Request> asked = FileChooser::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].filter, QStringLiteral("WAVEファイル(*.wav)"));
        QCOMPARE(asked[0].title, QStringLiteral("ファイルを開く"));
        QVERIFY(asked[0].preview);
        // With no ring file it opens in the program's folder.
        QCOMPARE(asked[0].start, Program::AppFolder);
        // The caption says what plays.
        QCOMPARE(child<QLabel>("Label3")->text(), QStringLiteral("着信時の再生音（*.wav のみ）"));
        FileChooser::setNextFileName(QString());
        QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>("Text5")->text(), QStringLiteral("/snd/着信.wav"));
        // A file whose folder is gone: the program's folder again; else beside the file.
        QCOMPARE(FileChooser::takeAsked().value(0).start, Program::AppFolder);
        child<QLineEdit>("Text5")->setText(Program::filePath(QStringLiteral("鳴る.wav")));
        FileChooser::setNextFileName(QString());
        QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(FileChooser::takeAsked().value(0).start,
                 Program::filePath(QStringLiteral("鳴る.wav")));
        child<QLineEdit>("Text5")->setText(QStringLiteral("/snd/着信.wav"));
        click("Picture12(0)");
        QCOMPARE(app_->state().settings().RingFile, QStringLiteral("/snd/着信.wav"));
    }

    // Command2 opens the reference-database window; a second press brings the same one up.
    void referenceWindowOnce() {
        start(linked());
        click("Picture4(1)");
        QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton);
        int shown = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("Form4") && w->isVisible())
                ++shown;
        QCOMPARE(shown, 1);
    }

    // A start without settings shows the set-up panel; choosing the TA's device brings the
    // link up, and the choice is in the settings file after closing.
    void setupFromAFreshStart() {
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        QTRY_VERIFY(app_->mainWindow()->setupPanelOpen());
        QVERIFY(child<QWidget>("Picture10")->isVisible());
        QVERIFY(!child<QWidget>("Picture9")->isVisible());
        QVERIFY(!child<QWidget>("Picture3")->isVisible());
        QCOMPARE(child<QWidget>("Picture10")->pos(), QPoint(15, 87));
        QCOMPARE(window_->height(), ClosedHeight);
        nothingClipped();
        typeInCombo(sim_->device());
        click("Picture12(0)");
        QTRY_COMPARE_WITH_TIMEOUT(sim_->received(), Setup, 5000);
        QVERIFY(!app_->state().firstActivation());
        QVERIFY(!app_->mainWindow()->setupPanelOpen());
        QVERIFY(child<QWidget>("Picture3")->isVisible());
        QVERIFY(!child<QWidget>("Picture10")->isVisible());
        QCOMPARE(window_->height(), ClosedHeight);
        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("待機中．．．"));
        window_->close();
        Settings back;
        QVERIFY(ReadSettingsFile(iniPath(), back));
        QCOMPARE(back.PortName, sim_->device());
    }

    // A port that does not open at start shows the set-up panel with that port; a second
    // port that does not open keeps it in sight.
    void setupAfterAPortThatDoesNotOpen() {
        Settings s;
        s.PortName = desktop_->file(QStringLiteral("no-such-tty"));
        QVERIFY(WriteSettingsFile(iniPath(), s));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QTRY_VERIFY(app_->mainWindow()->setupPanelOpen());
        QVERIFY(app_->state().settingsFileFound().isEmpty());
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), s.PortName);
        QVERIFY(child<QWidget>("Picture10")->isVisible());
        typeInCombo(desktop_->file(QStringLiteral("still-none")));
        click("Picture12(0)");
        QVERIFY(app_->state().firstActivation());
        QVERIFY(app_->mainWindow()->setupPanelOpen());
        QVERIFY(child<QWidget>("Picture10")->isVisible());
        QVERIFY(!child<QWidget>("Picture3")->isVisible());
        typeInCombo(sim_->device());
        click("Picture12(0)");
        QTRY_COMPARE_WITH_TIMEOUT(sim_->received(), Setup, 5000);
        QVERIFY(!app_->mainWindow()->setupPanelOpen());
        QVERIFY(child<QWidget>("Picture3")->isVisible());
    }

    // Cancel in set-up mode ends the program, with the settings written as at any close.
    void cancelInSetupEnds() {
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        QSignalSpy finished(app_.get(), &KolvaneApp::finished);
        window_->show();
        QTRY_VERIFY(app_->mainWindow()->setupPanelOpen());
        QVERIFY(!QFile::exists(iniPath()));
        click("Picture12(1)");
        QCOMPARE(finished.size(), 1);
        QVERIFY(!window_->isVisible());
        Settings back;
        QVERIFY(ReadSettingsFile(iniPath(), back));
        QVERIFY(!app_->link().isOpen());
    }

    // After a link that worked, a port that does not open is said on the status line.
    void applyWithAPortThatDoesNotOpenAfterALink() {
        start(linked());
        QTRY_VERIFY(sim_->received().contains(Setup));
        click("Picture4(1)");
        typeInCombo(desktop_->file(QStringLiteral("gone")));
        click("Picture12(0)");
        QVERIFY(!app_->link().isOpen());
        QVERIFY(!app_->mainWindow()->setupPanelOpen());
        QVERIFY(!child<QWidget>("Picture10")->isVisible());
        QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("ＴＡとの接続が切れました。"));
    }

    // A call takes the window from an open panel: the call is shown, and when its display
    // ends the panel comes back with what was typed; the idle line keeps the call's time, also
    // after the settings are applied and the link is set up anew.
    void callTakesThePanelAndGivesItBack_data() {
        QTest::addColumn<bool>("setup");
        QTest::newRow("settings panel") << false;
        QTest::newRow("set-up panel") << true;
    }
    void callTakesThePanelAndGivesItBack() {
        QFETCH(bool, setup);
        const QString typed = desktop_->file(QStringLiteral("typed.wav"));
        if (setup) {
            app_ = std::make_unique<KolvaneApp>();
            window_ = app_->mainWindow();
            window_->show();
            QTRY_VERIFY(window_->setupPanelOpen());
            typeInCombo(typed);
        } else {
            Settings s = linked();
            s.TrayMode = 1;
            start(s);
            click("Picture4(1)");
            type("Text5", typed);
        }
        window_->callDisplayEnd().setInterval(100);
        app_->callHandler().HandleBlock("\r\nRING ANALOG 0471234567\r\n");
        QVERIFY(child<QWidget>("Picture3")->isVisible());
        QVERIFY(!child<QWidget>("Picture9")->isVisible());
        QVERIFY(!child<QWidget>("Picture10")->isVisible());
        QCOMPARE(window_->height(), ClosedHeight);
        QCOMPARE(child<QLabel>("Label6")->text(), QStringLiteral("0471234567"));

        QTRY_VERIFY(child<QWidget>("Picture10")->isVisible());
        QCOMPARE(child<QWidget>("Picture9")->isVisible(), !setup);
        // The panel that came back hides the commands under it, as it did before the call.
        QVERIFY(!child<QWidget>("Picture3")->isVisible());
        QCOMPARE(window_->height(), setup ? ClosedHeight : OpenHeight);
        QVERIFY(!window_->returnToTray().isActive());
        const QString idle =
            QStringLiteral("待機中．．．      ( %1 )").arg(app_->state().call().CallTime);
        QCOMPARE(child<QLabel>("Label5")->text(), idle);
        if (setup) {
            QCOMPARE(child<QComboBox>("Combo1")->currentText(), typed);
            typeInCombo(sim_->device());
        } else {
            QCOMPARE(child<QLineEdit>("Text5")->text(), typed);
        }
        click("Picture12(0)");
        QTRY_VERIFY(sim_->received().endsWith(Setup));
        QVERIFY(!app_->state().firstActivation());
        QCOMPARE(child<QLabel>("Label5")->text(), idle);
    }

    // Nothing sends the window to the tray while the user edits in it: the set-up panel after
    // a click on the tray icon, the settings panel, the memo panel (the return follows its
    // close).
    void nothingHidesWhileEditing_data() {
        QTest::addColumn<QString>("panel");
        QTest::newRow("set-up panel") << "setup";
        QTest::newRow("settings panel") << "settings";
        QTest::newRow("memo panel") << "memo";
    }
    void nothingHidesWhileEditing() {
        QFETCH(QString, panel);
        Settings s = linked();
        s.TrayMode = 1;
        if (panel == QLatin1String("setup")) {
            // A port that does not open: the set-up panel, and the window in the tray all the same.
            s.PortName = desktop_->file(QStringLiteral("no-such-tty"));
            QVERIFY(WriteSettingsFile(iniPath(), s));
            app_ = std::make_unique<KolvaneApp>();
            window_ = app_->mainWindow();
            window_->show();
            QTRY_VERIFY(window_->setupPanelOpen());
            QTRY_VERIFY(!window_->isVisible());
            app_->trayIcon().activate(QSystemTrayIcon::Trigger);
            QVERIFY(window_->isVisible());
        } else {
            start(s);
            if (panel == QLatin1String("memo")) {
                app_->callHandler().HandleBlock("\r\nRING ANALOG 0471234567\r\n");
                click("Picture4(5)");
                QVERIFY(window_->memoPanelOpen());
            } else {
                click("Picture4(1)");
            }
        }
        // However the return was armed, it hides nothing now.
        window_->returnToTray().start(10);
        QTest::qWait(100);
        QVERIFY(window_->isVisible());
        QVERIFY(!window_->returnToTray().isActive());
        if (panel == QLatin1String("memo")) {
            click("Picture4(5)");
            QVERIFY(window_->returnToTray().isActive());
            window_->returnToTray().setInterval(10);
            window_->returnToTray().start();
            QTRY_VERIFY(!window_->isVisible());
        }
    }

private:
    Settings linked() const {
        Settings s;
        s.ShowDate = 0;
        s.PortName = sim_->device();
        return s;
    }
    void start(const Settings &s) {
        QVERIFY(WriteSettingsFile(iniPath(), s));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QTRY_VERIFY(!app_->state().firstActivation());
        if (s.TrayMode == 1) {
            // In tray mode the window goes to the tray at start; a click on the icon brings it.
            QTRY_VERIFY(!window_->isVisible());
            app_->trayIcon().activate(QSystemTrayIcon::Trigger);
        }
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    static QString iniPath() { return Program::filePath(QStringLiteral("Kolvane.ini")); }
    template <typename W> W *child(const char *name) const {
        return child<W>(QString::fromLatin1(name));
    }
    template <typename W> W *child(const QString &name) const {
        W *w = window_->findChild<W *>(name);
        if (!w)
            qFatal("no %s", qPrintable(name));
        return w;
    }
    ImageButton *button(const char *name) const { return child<ImageButton>(name); }
    void click(const char *name) const {
        QTest::mouseClick(button(name), Qt::LeftButton, {}, QPoint(5, 5));
    }
    // Replaces the box's text with keys.
    void type(const char *name, const QString &text) const {
        auto *edit = child<QLineEdit>(name);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void typeInCombo(const QString &text) const {
        auto *combo = child<QComboBox>("Combo1");
        combo->setFocus();
        QTest::keyClick(combo->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
        QTest::keyClicks(combo->lineEdit(), text);
        QCOMPARE(combo->currentText(), text);
    }
    void nothingClipped() const {
        for (QWidget *c : window_->findChildren<QWidget *>()) {
            if (!c->isVisibleTo(window_) || c->isWindow())
                continue;
            QVERIFY2(c->parentWidget()->rect().contains(c->geometry()),
                     qPrintable(c->objectName()));
        }
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<TaSim> sim_;
    std::unique_ptr<TaSim> other_;
    std::unique_ptr<KolvaneApp> app_;
    MainWindow *window_ = nullptr;
};

QTEST_MAIN(SettingsPanelTest)
#include "tst_settingspanel.moc"
