#pragma once

#include <QObject>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QWidget;
class ImageButton;
class RunState;
class UpDown;

// The main window's settings: the upper panel (Picture9: tray behaviour, delay, ring sound,
// the way to the reference-database window) and the lower panel (Picture10: the TA's port,
// apply and cancel). Opened by the settings button with both panels, or alone as the
// set-up panel when the first activation finds no usable settings. Applying stores the
// values in the run state and asks for the TA link again.
class SettingsPanel : public QObject {
    Q_OBJECT
public:
    // What of the main window the panel works on.
    struct Host {
        QWidget *window = nullptr;
        QWidget *mainPanel = nullptr;
        QLabel *statusLine = nullptr;
        // Picture4(3): its tooltip reminds of a missing ring sound.
        QWidget *ringButton = nullptr;
        QTimer *returnToTray = nullptr;
        // Arms returnToTray with the delay in force, in tray mode.
        std::function<void()> startReturnToTray;
    };

    SettingsPanel(RunState &state_, const Host &host_);

    // At load: the up-down control on the delay box.
    void CreateSpinControl();
    // The settings button.
    void Open();
    // The first activation without usable settings (or with a port that did not open).
    void OpenForSetup();
    // The settings or set-up panel is open in the window (shown, or in the tray with it).
    bool isShown() const;
    // Open as the set-up panel: the program waits for a port that opens.
    bool setupOpen() const { return setupOpen_; }
    // A call takes the window: the open panel steps aside with what was typed in it, and
    // Resume brings it back as it was when the call display ends.
    void GiveWay();
    void Resume();
    bool givenWay() const { return givenWay_ != Panels::None; }

signals:
    // The port is to be closed and the TA set up again (InitTerminalAdapter).
    void linkRestartRequested();
    // The button Command2: the reference-database window.
    void referenceSettingsRequested();
    // The button of the nuisance marks: their list window.
    void marksListRequested();
    // The button beside it: the network window.
    void networkSettingsRequested();
    // Cancel in set-up mode: the program ends.
    void closeRequested();

private:
    void Build();
    void BuildUpperPanel();
    void BuildLowerPanel();
    void BuildWarnings();
    void FillPortList();
    void LoadControls();
    void OnTrayModeClicked(int index);
    void ChooseRingFile();
    void Apply();
    void Cancel();
    void Close();
    // The window at the main panel's height, the main panel in sight.
    void ShowMainPanel();
    void ShowBothPanels();
    void ShowSetupPanel();
    void HoldReturnToTray();

    RunState &state_;
    Host host_;
    QWidget *upperPanel_ = nullptr;
    QWidget *lowerPanel_ = nullptr;
    QWidget *delayBox_ = nullptr;
    QGroupBox *windowFrame_ = nullptr;
    QGroupBox *portFrame_ = nullptr;
    QLabel *delayCaption_ = nullptr;
    QLabel *secondsCaption_ = nullptr;
    QLabel *ringCaption_ = nullptr;
    QLabel *portCaption_ = nullptr;
    QLineEdit *delayText_ = nullptr;
    QLineEdit *ringFileText_ = nullptr;
    QRadioButton *trayModeOptions_[2] = {};
    QPushButton *chooseRingButton_ = nullptr;
    QPushButton *referenceButton_ = nullptr;
    // The warnings before a call is answered (Options.ini, not Kolvane.ini).
    QCheckBox *warnInternationalBox_ = nullptr;
    QCheckBox *silenceMarkedBox_ = nullptr;
    QPushButton *marksButton_ = nullptr;
    QPushButton *networkButton_ = nullptr;
    QComboBox *portBox_ = nullptr;
    ImageButton *applyCancelButtons_[2] = {};
    UpDown *spin_ = nullptr;
    bool setupOpen_ = false;
    // Which panel a call made step aside.
    enum class Panels { None, Settings, Setup };
    Panels givenWay_ = Panels::None;
};
