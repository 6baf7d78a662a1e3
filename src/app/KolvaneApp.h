#pragma once

#include "app/CompactionCommand.h"
#include "app/RegistrationCommand.h"
#include "runstate/RunState.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MainWindow.h"

#include <QObject>
#include <QPointer>

class AboutWindow;
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
};
