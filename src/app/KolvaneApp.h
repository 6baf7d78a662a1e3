#pragma once

#include "runstate/RunState.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MainWindow.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace db {
class CompactionJob;
}
class AboutWindow;
class CallHandler;
class ReferenceWindow;
class PhonebookWindow;
namespace db {
struct CallerToRegister;
}
class RingPlayer;
class TaLink;
class TrayIcon;

// The program: the run state, the TA link, the call handler, the tray icon, the ring player
// and the windows. Windows ask for what the user wants through their signals and the program
// carries it out here; they hear of changes through the run state.
class KolvaneApp : public QObject {
    Q_OBJECT
public:
    // Loads the main window (which reads the settings); Start() shows it.
    explicit KolvaneApp(QObject *parent = nullptr);
    ~KolvaneApp() override;

    void Start();
    // As the main window's close button: settings written, then the program ends.
    void RequestClose();

    RunState &state() { return state_; }
    TaLink &link() { return *link_; }
    CallHandler &callHandler() { return *handler_; }
    TrayIcon &trayIcon() { return *tray_; }
    RingPlayer &ringPlayer() { return *ring_; }
    MainWindow *mainWindow() const { return mainWindow_; }
    // The open call-history window; null while it is closed (HistoryWindowOpen).
    HistoryWindow *historyWindow() const { return historyWindow_; }

    // Opens the port of the settings and sends the TA its set-up command. On failure the
    // set-up panel is asked for (SettingsFileFound emptied, the activation run again).
    bool InitTerminalAdapter();

    // The TA's port went away, or the device that opened in an earlier run is missing at start:
    // the same device is tried again every ReconnectMs, quietly.
    static constexpr int ReconnectMs = 2000;
    bool reconnecting() const { return reconnect_.isActive(); }

    void SendToTray(const QString &tip, MainWindow::TrayOrder order);
    void BringBackFromTray();

    // --- the phonebook window (Form3) and registration from a call ---
    // The open phonebook window, or null.
    PhonebookWindow *phonebookWindow() const;
    // The history window's register command for its row 履歴ID historyId: refused for a
    // withheld call or a number already in the phonebook, else registered and shown.
    void RegisterCallerFromHistory(qint32 historyId);

signals:
    // The main window has unloaded: the program ends.
    void finished();

private:
    // The settings panel's request for the reference-database window.
    void OpenReferenceWindow();
    void WireCallPath();
    void ReconnectTerminalAdapter();
    bool AwaitingRememberedDevice() const;
    // The main window's commands that open other windows.
    void OnCommandRequested(MainWindow::Command item);
    void OpenHistoryWindow();
    void CloseHistoryWindow();
    void OpenPhonebookWindow();
    void OpenAboutWindow();
    void RegisterCallerFromMainWindow();
    void OnMainWindowUnloaded();

    // --- the phonebook window (Form3) and registration from a call ---
    void ClosePhonebookWindow();
    // Adds the caller to the phonebook and shows them there (the open window closed first).
    void RegisterToPhonebook(const db::CallerToRegister &caller);
    // The phonebook window writes its edits and its place before the main window's close
    // writes the settings.
    bool eventFilter(QObject *watched, QEvent *event) override;

    RunState state_;
    TaLink *link_ = nullptr;
    CallHandler *handler_ = nullptr;
    TrayIcon *tray_ = nullptr;
    RingPlayer *ring_ = nullptr;
    QPointer<MainWindow> mainWindow_;
    QTimer reconnect_;
    QPointer<HistoryWindow> historyWindow_;
    QPointer<ReferenceWindow> referenceWindow_;
    QPointer<PhonebookWindow> phonebookWindow_;

    // --- database compaction and the About window ---
public:
    // The double-click on the title icon: asks, then compacts Kolvane.mdb off the window's
    // thread while the call path waits; the windows that hold the file close themselves.
    void CompactCallDatabase();
    AboutWindow *aboutWindow() const;

private:
    void OnCompactionDone(bool ok, const QString &failure);
    QPointer<db::CompactionJob> compaction_;
    QPointer<AboutWindow> aboutWindow_;
};
