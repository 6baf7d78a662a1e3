#pragma once

#include "app/CompactionCommand.h"
#include "app/RegistrationCommand.h"
#include "network/NcidLines.h"
#include "runstate/RunState.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MainWindow.h"

#include <QObject>
#include <QPointer>

class AboutWindow;
class NcidClient;
class NcidServer;
class NetworkWindow;
class HelpWindow;
class SkinnedWindow;
class CallHandler;
class ReferenceWindow;
class MarksWindow;
class PhonebookWindow;
class RingPlayer;
class TaLink;
class TaLinkKeeper;
class TrayIcon;

// The program: the run state, the settings file, the TA link and its keeper, the call
// handler, the tray icon, the ring player, the commands and the windows. Windows ask for what
// the user wants through their signals and the program carries it out here; they hear of
// changes through the run state.
class KolvaneApp : public QObject {
    Q_OBJECT
public:
    // Reads the settings (Kolvane.ini) and loads the main window; Start() shows it.
    explicit KolvaneApp(QObject *parent = nullptr);
    ~KolvaneApp() override;

    void Start();
    // NCID for this run, from the command line (ADDRESS:PORT to listen on, HOST:PORT to take
    // calls from); they take the place of the network window's for the run. Before Start().
    void SetNetworkForRun(const QString &listen, const QString &server);
    // As the main window's close button: settings written, then the program ends.
    void RequestClose();

    RunState &state() { return state_; }
    TaLink &link() { return *link_; }
    TaLinkKeeper &linkKeeper() { return *linkKeeper_; }
    CallHandler &callHandler() { return *handler_; }
    TrayIcon &trayIcon() { return *tray_; }
    MainWindow *mainWindow() const { return mainWindow_; }
    // The open call-history window; null while it is closed (HistoryWindowOpen).
    HistoryWindow *historyWindow() const { return historyWindow_; }
    // The open phonebook window, or null.
    PhonebookWindow *phonebookWindow() const;
    AboutWindow *aboutWindow() const;
    // The open help window, or null.
    HelpWindow *helpWindow() const;
    // The network window while it is open, or null.
    NetworkWindow *networkWindow() const;
    NcidServer &ncidServer() { return *ncidServer_; }
    NcidClient &ncidClient() { return *ncidClient_; }

    void SendToTray(const QString &tip, MainWindow::TrayOrder order);
    void BringBackFromTray();

    // The history window's register command for its row 履歴ID historyId.
    void RegisterCallerFromHistory(qint32 historyId);
    // The double-click on the title icon: asks, then compacts Kolvane.mdb.
    void CompactCallDatabase();

signals:
    // The main window has unloaded: the program ends.
    void finished();

private:
    void LoadSettings();
    void SaveSettings();
    void WireLink();
    void WireCallPath();
    // The main window's commands that open other windows.
    void OnCommandRequested(MainWindow::Command item);
    void OnMainWindowUnloaded();
    void OpenHistoryWindow();
    void CloseHistoryWindow();
    void OpenPhonebookWindow();
    void ClosePhonebookWindow();
    void PlaceBesideMainWindow(QWidget *window);
    void OpenAboutWindow();
    // The help window on `page` (a name of the help folder); F1 of any window asks for it.
    void OpenHelp(const QString &page);
    void WatchHelp(SkinnedWindow *window);
    // The settings panel's request for the reference-database window.
    void OpenReferenceWindow();
    // The settings panel's request for the list of nuisance marks.
    void OpenMarksWindow();
    // A call's number marked as a nuisance (or no longer) from the main or history window.
    void ChangeNuisanceMark(QWidget *parent, const QString &number, bool mark);
    // The settings panel's request for the network window.
    void OpenNetworkWindow();
    // Starts, stops or moves the NCID server and client as Options.ini and the run's command
    // line say.
    void ApplyNetwork();
    void WireNetwork();
    // The shown call to the NCID clients and the desktop notification.
    void PassOnCall(const IncomingCall &call, const CallDisplay &display, bool fromNetwork);
    void TakeNetworkCall(const ncid::ReceivedCall &call);
    QString NetworkStateText() const;
    // The phonebook window writes its edits and its place before the main window's close
    // writes the settings.
    bool eventFilter(QObject *watched, QEvent *event) override;

    RunState state_;
    TaLink *link_ = nullptr;
    TaLinkKeeper *linkKeeper_ = nullptr;
    CallHandler *handler_ = nullptr;
    TrayIcon *tray_ = nullptr;
    RingPlayer *ring_ = nullptr;
    RegistrationCommand registration_;
    CompactionCommand *compaction_ = nullptr;
    // Kolvane.ini did not read at start: the main window says so.
    bool settingsFileDamaged_ = false;
    // The ring file whose silence the status line has said.
    QString ringProblemShown_;
    QPointer<MainWindow> mainWindow_;
    QPointer<HistoryWindow> historyWindow_;
    QPointer<ReferenceWindow> referenceWindow_;
    QPointer<MarksWindow> marksWindow_;
    QPointer<PhonebookWindow> phonebookWindow_;
    QPointer<AboutWindow> aboutWindow_;
    QPointer<HelpWindow> helpWindow_;
    QPointer<NetworkWindow> networkWindow_;
    NcidServer *ncidServer_ = nullptr;
    NcidClient *ncidClient_ = nullptr;
    QString runListen_, runServer_;
    QString listeningOn_, takingFrom_;
    bool notify_ = false;
    bool serverLostShown_ = false;
    // Calls from the network that came while the database was compacted.
    QList<ncid::ReceivedCall> waitingNetworkCalls_;
};
