#pragma once

#include "app/Settings.h"
#include "callerid/CallReport.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class DigitalClock;

// Form1: the main window. Its life is the program's life: load reads the settings, the first
// activation brings up the TA link or the set-up panel, and closing writes the settings back.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Height of the main panel Picture3, in twips.
    static constexpr int MainPanelHeight = 2940;
    static constexpr int WindowWidth = 4335;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    Settings settings;
    IncomingCall call;
    bool FirstActivation = true;
    QString SettingsFileFound;
    bool SettingsPanelOpen = false;

    void MainWindowActivation();
    void QueryUnload();
    void Unload();

signals:
    void unloaded();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormLoad();
    // Pieces that later parts of the window fill in; the order of the load steps is fixed here.
    void CreateSpinControl() {}
    void LoadButtonFaces() {}
    bool InitTerminalAdapter();
    void OpenSetupPanel();
    void SendToTrayAtStart() {}

    void ShowClockMode();
    void Timer1_Timer();

    QTimer Timer1;
    QLabel *Label5 = nullptr;
    DigitalClock *CtlDigital1 = nullptr;
    bool unloaded_ = false;
};
