#pragma once

#include "ui/chrome/SkinnedWindow.h"
#include "ui/main/MainFaces.h"

#include <QPointer>
#include <QTimer>

class QColor;
class QLabel;
class QWidget;
namespace db {
class OpeningCheck;
}
class DigitalClock;
class ImageButton;
class MemoPanel;
class RunState;
class SettingsPanel;
struct CallDisplay;

// Form1: the main window. It lays out the clock, the call lines and the commands, shows what
// the call path reports, and runs its own commands; what belongs to the whole program (the TA
// link, the tray, the ring, other windows) it asks of the program object through its signals.
// The first activation asks for the TA link or opens the set-up panel; closing records the
// window's place for the program to write with the settings.
class MainWindow : public SkinnedWindow {
    Q_OBJECT
public:
    using Command = MainFaces::Command;

    explicit MainWindow(RunState &state, QWidget *parent = nullptr);
    ~MainWindow() override;

    void MainWindowActivation();
    // A Kolvane.ini that did not read at start: said above the set-up panel until applied.
    void ShowSettingsFileNotice(bool damaged);
    // What the start did to the program's files (a call database taken back): on the status
    // line while the program waits, until the first call.
    void ShowStartNotice(const QString &text);
    bool memoPanelOpen() const { return memoPanelOpen_; }
    // The set-up panel (the settings panel alone, on the port) is open.
    bool setupPanelOpen() const;
    void QueryUnload();
    void Unload();
    // The clock's second tick, the end of a call's display, and the return to the tray.
    QTimer &clockTick() { return clockTick_; }
    QTimer &callDisplayEnd() { return callDisplayEnd_; }
    QTimer &returnToTray() { return returnToTray_; }

    // The TA link is up (InitTerminalAdapter succeeded).
    void ShowLinkUp();
    // The open port went away: said on the status line until the link is up again.
    void ShowLinkLost();
    // The NCID server this program takes calls from went away (it is tried again).
    void ShowServerLost();

    // The call path as the program's call handler reports it.
    void ShowCallArriving();
    void ShowCaller(const CallDisplay &display);
    // The caller shown is in the phonebook now: nothing left to register.
    void ShowCallerKnown();
    // The calls of one read from the TA, after the last of them.
    void ShowCallsTogether(int calls);
    // The ring stayed silent, and why: on the status line until the call display ends.
    void ShowRingProblem(const QString &why);
    void ShowCallHandled();
    // Arms the return to the tray after the tray delay, in tray mode.
    void StartReturnToTray();

    // The memo panel (Picture15) on the last call: opened and closed by the memo button.
    void ShowMemoPanel();
    void HideMemoPanel();
    // The memo box's text when the panel holds the call `historyId` (saved or not); null
    // otherwise. Registering that call takes it as the remark.
    QString MemoTextOf(qint32 historyId) const;

    // How the window goes into the notification area: the icon before the window hides (from
    // the activation and the return to the tray) or after (the title-bar button).
    enum class TrayOrder { IconFirst, WindowFirst };

signals:
    // Closing: the settings, the window's place included, are to be written.
    void closing();
    void unloaded();
    // The first activation with settings read: bring up the TA link (InitTerminalAdapter).
    void linkSetupRequested();
    // Into the notification area with this tip.
    void trayRequested(const QString &tip, MainWindow::TrayOrder order);
    // A command that opens another window (settings, phonebook, memo, history, About,
    // register): the program object opens it.
    void commandRequested(MainWindow::Command item);
    // The settings panel applied: close the port and set the TA up again (InitTerminalAdapter).
    void linkRestartRequested();
    // The settings panel's Command2: the reference-database window.
    void referenceSettingsRequested();
    // The settings panel's button of the nuisance marks: their list window.
    void marksListRequested();
    // The call display's right-click menu: mark (or unmark) the last call's number.
    void nuisanceMarkRequested(const QString &number, bool mark);
    // The settings panel's network button: the network window.
    void networkSettingsRequested();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The run's first reading of the call database for damage, once the window is up (drawn,
    // or gone to the tray first): beside the start it would slow it at millions of calls.
    void StartOpeningCheck();
    void BuildLayout();
    // The icon, the logo, the tray and close buttons.
    void BuildTitleArea();
    // The clock in its frame and its time and date buttons.
    void BuildClock();
    // The status line and the number, name and address lines on their black display.
    void BuildCallDisplay();
    void BuildCommandButtons();
    // The call display's right-click menu (MainWindowMarks.cpp).
    void BuildCallDisplayMenu();
    void ShowCallDisplayMenu(const QPoint &at);
    void Load();
    // The up-down control of the settings panel's delay box.
    void CreateSpinControl();
    void BuildSettingsPanel();
    void LoadButtonFaces();
    void OpenSetupPanel();

    void OnClockTick();
    void OnCallDisplayEnd();
    void OnReturnToTray();
    void ShowStatus(const QColor &colour, const QString &what);
    // Tells a screen reader of the call shown.
    void AnnounceCall(const CallDisplay &display);
    // The status line between calls: a notice when there is one, else what is given.
    void ShowIdleStatus(const QString &waiting);
    int TrayDelayMs() const;
    // "待機中．．．" with the last call's time, when there was a call.
    QString WaitingLine() const;
    void ShowClockMode();

    void CommandClicked(int item);
    void ClockButtonClicked(int item);
    void OpenDateTimeSettings();
    int KeepOnTopFace() const;
    int RingFace() const;
    int TimeButtonFace() const;
    int DateButtonFace() const;

    RunState &state_;
    QTimer clockTick_;
    QTimer callDisplayEnd_;
    QTimer returnToTray_;
    // Until it has started and ended.
    QPointer<db::OpeningCheck> openingCheck_;

    QWidget *titlePictures_[2] = {};
    ImageButton *trayButton_ = nullptr;
    ImageButton *closeButton_ = nullptr;
    QWidget *mainPanel_ = nullptr;
    QWidget *callDisplay_ = nullptr;
    DigitalClock *clock_ = nullptr;
    ImageButton *clockModeButtons_[2] = {};
    ImageButton *commandButtons_[MainFaces::CommandCount] = {};
    QLabel *statusLine_ = nullptr;
    QString startNotice_;
    QLabel *numberLine_ = nullptr;
    QLabel *nameLine_ = nullptr;
    QLabel *addressLine_ = nullptr;
    bool unloaded_ = false;
    // The return to the tray came while the memo panel was open: it follows the panel's close.
    bool returnAfterMemo_ = false;
    // A Kolvane.ini that could not be read: said until the settings are applied.
    QLabel *settingsNotice_ = nullptr;
    bool settingsNoticeWanted_ = false;

    // The memo panel.
    void BuildMemoPanel();
    void SaveMemoPanel();
    MemoPanel *memoPanel_ = nullptr;
    bool memoPanelOpen_ = false;
    // The settings and set-up panels (Picture9, Picture10).
    SettingsPanel *settingsPanel_ = nullptr;
    // --- database compaction ---
signals:
    // A double-click on the title icon Image1(0): compact the call database.
    void compactionRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The status line says so while the call database is compacted.
    void WatchCompaction();
};
