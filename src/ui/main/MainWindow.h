#pragma once

#include "settings/Settings.h"
#include "callerid/CallReport.h"
#include "ui/chrome/SkinnedWindow.h"

#include <QTimer>

class QColor;
class QLabel;
class QWidget;
class DigitalClock;
class ImageButton;
class RingPlayer;
class TaLink;
class TrayIcon;

// Form1: the main window. Its life is the program's life: load reads the settings, the first
// activation brings up the TA link or the set-up panel, each call report is looked up, shown,
// rung and recorded, and closing writes the settings back.
class MainWindow : public SkinnedWindow {
    Q_OBJECT
public:
    // Height of the main panel Picture3, in twips.
    static constexpr int MainPanelHeight = 2940;
    static constexpr int WindowWidth = 4335;
    // Picture4 items.
    enum Command {
        Exit,
        Setup,
        KeepOnTop,
        RingOnOff,
        Phonebook,
        Memo,
        History,
        About,
        DateTime,
        Register,
        CommandCount
    };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    Settings settings;
    IncomingCall call;
    bool FirstActivation = true;
    QString SettingsFileFound;
    bool SettingsPanelOpen = false;
    bool MemoPanelOpen = false;

    void MainWindowActivation();
    bool InitTerminalAdapter();
    void QueryUnload();
    void Unload();

    void PlayRingSound();
    void StopRingSound();

    TaLink &link() { return *taLink; }
    TrayIcon &trayIcon() { return *Picture8; }
    RingPlayer &ringPlayer() { return *ring; }
    QTimer &timer(int number);

signals:
    void unloaded();
    // A call report has been shown, rung and stored (the last step of the receive event).
    void callHandled();
    // The history table has a new row; an open call-history window shows it.
    void historyChanged();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void BuildLayout();
    void FormLoad();
    // The up-down control belongs to the set-up panel, which builds it with the panel.
    void CreateSpinControl() {}
    void LoadButtonFaces();
    void OpenSetupPanel();

    // The receive event, from the block read onwards.
    void MSComm1_OnComm(const QByteArray &block);
    bool ReceiveGate();
    void HandleIncomingCall(const QString &callerField);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void ShowStatus(const QColor &colour, const QString &state);
    void StartReturnToTray();
    int TrayDelayMs() const;
    void ShowClockMode();

    // Into the notification area, with the order of steps each caller uses.
    enum class TrayOrder { IconFirst, WindowFirst };
    void SendToTray(const QString &tip, TrayOrder order);
    void BringBackFromTray();
    void TrayIconClicked();

    void CommandClicked(int item);
    void ClockButtonClicked(int item);
    void OpenDateTimeSettings();
    int KeepOnTopFace() const;
    int RingFace() const;
    int TimeButtonFace() const;
    int DateButtonFace() const;

    QTimer Timer1;
    QTimer Timer2;
    QTimer Timer3;
    TaLink *taLink = nullptr;
    TrayIcon *Picture8 = nullptr;
    RingPlayer *ring = nullptr;

    QWidget *Image1[2] = {};
    ImageButton *Picture7 = nullptr;
    ImageButton *Picture5 = nullptr;
    QWidget *Picture3 = nullptr;
    QWidget *Picture14 = nullptr;
    DigitalClock *CtlDigital1 = nullptr;
    ImageButton *Picture6[2] = {};
    ImageButton *Picture4[CommandCount] = {};
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    bool unloaded_ = false;
};
