#pragma once

#include <QObject>
#include <functional>

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

// The main window's settings: the upper panel Picture9 (tray behaviour, delay, ring sound,
// the way to the reference-database window) and the lower panel Picture10 (the TA's port,
// apply and cancel). Opened by the settings button with both panels, or alone as the
// set-up panel when the first activation finds no usable settings. Applying stores the
// values in the run state and asks for the TA link again.
class SettingsPanel : public QObject {
    Q_OBJECT
public:
    // What of the main window the panel works on.
    struct Host {
        QWidget *window = nullptr;
        QWidget *Picture3 = nullptr;
        QLabel *Label5 = nullptr;
        // Picture4(3): its tooltip reminds of a missing ring sound.
        QWidget *ringButton = nullptr;
        QTimer *Timer3 = nullptr;
        // Arms Timer3 with the delay in force, in tray mode.
        std::function<void()> startReturnToTray;
    };

    SettingsPanel(RunState &state, const Host &host);

    // Load step 5: the up-down control on Text4.
    void CreateSpinControl();
    // The settings button.
    void Open();
    // The first activation without usable settings (or with a port that did not open).
    void OpenForSetup();
    bool isShown() const;

signals:
    // The port is to be closed and the TA set up again (InitTerminalAdapter).
    void linkRestartRequested();
    // Command2: the reference-database window.
    void referenceSettingsRequested();
    // Cancel in set-up mode: the program ends.
    void closeRequested();

private:
    void Build();
    void BuildUpperPanel();
    void BuildLowerPanel();
    void FillPortList();
    void LoadControls();
    void Option1_Click(int index);
    void Command1_Click();
    void Apply();
    void Cancel();
    void Close();

    RunState &state;
    Host host;
    QWidget *Picture9 = nullptr;
    QWidget *Picture10 = nullptr;
    QWidget *Picture11 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QRadioButton *Option1[2] = {};
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QComboBox *Combo1 = nullptr;
    ImageButton *Picture12[2] = {};
    UpDown *spin = nullptr;
};
