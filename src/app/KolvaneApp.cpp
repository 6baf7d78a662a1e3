#include "app/KolvaneApp.h"

#include "app/MarkCommand.h"
#include "callerid/CallHandler.h"
#include "callerid/TaLink.h"
#include "callerid/TaLinkKeeper.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "network/NcidCallLog.h"
#include "network/NcidClient.h"
#include "network/NcidServer.h"
#include "network/NetworkOptions.h"
#include "platform/Clock.h"
#include "platform/DiagnosticLog.h"
#include "platform/desktop/DesktopNotifier.h"
#include "platform/desktop/RingPlayer.h"
#include "platform/desktop/TrayIcon.h"
#include "settings/CommandLine.h"
#include "settings/HelpPages.h"
#include "settings/Program.h"
#include "settings/SettingsStore.h"
#include "ui/about/AboutWindow.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/help/HelpWindow.h"
#include "ui/marks/MarksWindow.h"
#include "ui/network/NetworkWindow.h"
#include "ui/phonebook/PhonebookWindow.h"
#include "ui/refdb/ReferenceWindow.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <QScreen>
#include <utility>

KolvaneApp::KolvaneApp(QObject *parent)
    : QObject(parent), registration_(state_, {[this] { ClosePhonebookWindow(); },
                                              [this] { OpenPhonebookWindow(); }}) {
    // The program's folder is the current directory for every relative file name.
    QDir::setCurrent(Program::AppFolder);
    // A compaction cut short may have left the calls under another name: they are taken back
    // before anything could make an empty Kolvane.mdb.
    const QString takenBack = db::TakeBackCallDatabase(Program::AppFolder).message;
    if (!takenBack.isEmpty())
        DiagnosticLog::note(takenBack);
    LoadSettings();
    link_ = new TaLink(this);
    linkKeeper_ = new TaLinkKeeper(state_, *link_, this);
    handler_ = new CallHandler(state_, this);
    ring_ = new RingPlayer(this);
    tray_ = new TrayIcon(TrayPicture(), this);
    compaction_ = new CompactionCommand(state_, *link_, this);

    mainWindow_ = new MainWindow(state_);
    WatchHelp(mainWindow_);
    mainWindow_->ShowSettingsFileNotice(settingsFileDamaged_);
    if (!takenBack.isEmpty())
        mainWindow_->ShowStartNotice(takenBack);
    connect(mainWindow_, &MainWindow::linkSetupRequested, linkKeeper_,
            &TaLinkKeeper::InitTerminalAdapter);
    connect(mainWindow_, &MainWindow::trayRequested, this, &KolvaneApp::SendToTray);
    connect(mainWindow_, &MainWindow::closing, this, &KolvaneApp::SaveSettings);
    connect(mainWindow_, &MainWindow::unloaded, this, &KolvaneApp::OnMainWindowUnloaded);
    // A left click, or "表示" from the icon's menu where the desktop offers only a menu.
    const auto showFromTray = [this] {
        BringBackFromTray();
        mainWindow_->StartReturnToTray();
    };
    connect(tray_, &TrayIcon::leftButtonDown, this, showFromTray);
    connect(tray_, &TrayIcon::showRequested, this, showFromTray);
    connect(tray_, &TrayIcon::exitRequested, this, &KolvaneApp::RequestClose);
    // Ring off stops a ring that is playing.
    connect(&state_, &RunState::settingsChanged, this, [this] {
        if (state_.settings().RingOn == 0)
            ring_->stop();
    });
    connect(mainWindow_, &MainWindow::commandRequested, this, &KolvaneApp::OnCommandRequested);
    // Applied settings are written, then the port closed and the TA set up again.
    connect(mainWindow_, &MainWindow::linkRestartRequested, this, [this] {
        SaveSettings();
        linkKeeper_->InitTerminalAdapter();
    });
    connect(mainWindow_, &MainWindow::referenceSettingsRequested, this,
            &KolvaneApp::OpenReferenceWindow);
    connect(mainWindow_, &MainWindow::marksListRequested, this, &KolvaneApp::OpenMarksWindow);
    connect(mainWindow_, &MainWindow::nuisanceMarkRequested, this,
            [this](const QString &number, bool mark) {
                ChangeNuisanceMark(mainWindow_, number, mark);
            });
    connect(mainWindow_, &MainWindow::networkSettingsRequested, this,
            &KolvaneApp::OpenNetworkWindow);
    mainWindow_->installEventFilter(this);
    connect(mainWindow_, &MainWindow::compactionRequested, this, &KolvaneApp::CompactCallDatabase);
    WireLink();
    WireCallPath();
    WireNetwork();
}

void KolvaneApp::LoadSettings() {
    // A damaged file gives the defaults except where the TA is, and the link opens with that
    // as for a file that reads (a computer restarted unattended still catches calls); only a
    // port that does not open leads to the set-up panel. The user is told, and the file is
    // kept beside before the first write over it.
    Settings settings = state_.settings();
    settings.ShowDate = 0;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    SettingsStore::Screen twips;
    twips.widthTwips = WindowChrome::PixelsToTwipsX(area.width());
    twips.heightTwips = WindowChrome::PixelsToTwipsY(area.height());
    twips.mainPanelHeightTwips = MainFaces::MainPanelHeight;
    const SettingsFileState read = SettingsStore().Load(settings, twips);
    state_.setSettingsFileFound(read == SettingsFileState::Missing ? QString()
                                                                   : SettingsStore::FileName());
    settingsFileDamaged_ = read == SettingsFileState::Damaged;
    state_.setSettings(settings);
}

void KolvaneApp::SaveSettings() {
    SettingsStore().Save(state_.settings());
}

void KolvaneApp::WireLink() {
    // A port that goes away while open is said on the status line until the link is up again.
    connect(linkKeeper_, &TaLinkKeeper::linkUp, mainWindow_, &MainWindow::ShowLinkUp);
    connect(linkKeeper_, &TaLinkKeeper::linkLost, mainWindow_, &MainWindow::ShowLinkLost);
    // The set-up panel opens through the first activation, run again.
    connect(linkKeeper_, &TaLinkKeeper::setupNeeded, mainWindow_,
            &MainWindow::MainWindowActivation);
}

// --- the reference-database window (Form4) ---

void KolvaneApp::OpenReferenceWindow() {
    // Modeless; a second request brings the open one to the front.
    if (!referenceWindow_) {
        referenceWindow_ = new ReferenceWindow(state_);
        WatchHelp(referenceWindow_);
        referenceWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    referenceWindow_->show();
    referenceWindow_->raise();
    referenceWindow_->activateWindow();
}

// --- the nuisance marks ---

void KolvaneApp::OpenMarksWindow() {
    if (!marksWindow_)
        marksWindow_ = new MarksWindow(mainWindow_);
    marksWindow_->show();
    marksWindow_->raise();
    marksWindow_->activateWindow();
}

void KolvaneApp::ChangeNuisanceMark(QWidget *parent, const QString &number, bool mark) {
    const bool changed = mark ? MarkCommand::MarkFromCall(parent, number)
                              : MarkCommand::UnmarkFromCall(parent, number);
    if (changed && marksWindow_)
        marksWindow_->RefreshList();
}

KolvaneApp::~KolvaneApp() {
    // The phonebook first: it writes its pending edits while the database is still there.
    delete phonebookWindow_;
    // The windows unload first, while the link and the tray they release are still here.
    CloseHistoryWindow();
    delete mainWindow_;
    delete helpWindow_;
    delete networkWindow_;
    // The run's calls go into Kolvane.mdb itself: a copy of that one file holds every call, and
    // no log is left beside it (which a backup put back in its place would be read with). An
    // empty log has nothing to fold in: the opening would read the whole file for damage when
    // the program ends before the run's first check of it has.
    const QString database = Program::DatabasePath();
    if (QFileInfo(database + QStringLiteral("-wal")).size() > 0)
        db::CheckpointDatabase(database);
}

void KolvaneApp::WireCallPath() {
    link_->setReceiveGate([this] { return handler_->ReceiveGate(); });
    connect(link_, &TaLink::blockRead, handler_, &CallHandler::HandleBlock);
    connect(handler_, &CallHandler::callArriving, this, [this] {
        // A call brings the window out of the notification area.
        if (mainWindow_->isMinimized() || !mainWindow_->isVisible())
            BringBackFromTray();
        mainWindow_->ShowCallArriving();
    });
    connect(handler_, &CallHandler::callerShown, mainWindow_, &MainWindow::ShowCaller);
    connect(handler_, &CallHandler::ringRequested, ring_, &RingPlayer::play);
    // A silent ring is said once on the status line (the log has every one).
    connect(ring_, &RingPlayer::cannotPlay, this, [this](const QString &file, const QString &why) {
        if (file == ringProblemShown_ || !mainWindow_)
            return;
        ringProblemShown_ = file;
        mainWindow_->ShowRingProblem(why);
    });
    connect(handler_, &CallHandler::callHandled, mainWindow_, &MainWindow::ShowCallHandled);
    connect(handler_, &CallHandler::callsTogether, mainWindow_, &MainWindow::ShowCallsTogether);
}

void KolvaneApp::OnCommandRequested(MainWindow::Command item) {
    switch (item) {
    case MainFaces::History:
        OpenHistoryWindow();
        break;
    case MainFaces::Phonebook:
        OpenPhonebookWindow();
        break;
    case MainFaces::About:
        OpenAboutWindow();
        break;
    case MainFaces::Register:
        registration_.RegisterCallerFromMainWindow(mainWindow_);
        break;
    default:
        // The settings and memo panels belong to the main window itself.
        break;
    }
}

// --- the call-history window (Form2) ---

void KolvaneApp::OpenHistoryWindow() {
    // A second press brings the open window to the front.
    if (!historyWindow_) {
        historyWindow_ = new HistoryWindow(state_, mainWindow_);
        WatchHelp(historyWindow_);
        connect(historyWindow_, &HistoryWindow::registerRequested, this,
                &KolvaneApp::RegisterCallerFromHistory);
        if (historyWindow_->layout().Left == 0 && historyWindow_->layout().Top == 0)
            PlaceBesideMainWindow(historyWindow_);
        connect(historyWindow_, &HistoryWindow::nuisanceMarkRequested, this,
                [this](const QString &number, bool mark) {
                    ChangeNuisanceMark(historyWindow_, number, mark);
                });
        historyWindow_->show();
    }
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

void KolvaneApp::CloseHistoryWindow() {
    // Closing writes Rireki.ini; the window deletes itself once closed.
    if (historyWindow_) {
        historyWindow_->close();
        delete historyWindow_;
    }
}

// --- the phonebook window (Form3) ---

void KolvaneApp::OpenPhonebookWindow() {
    // A second press brings the open one to the front.
    if (phonebookWindow_) {
        phonebookWindow_->showNormal();
        phonebookWindow_->raise();
        phonebookWindow_->activateWindow();
        return;
    }
    phonebookWindow_ = new PhonebookWindow(state_);
    WatchHelp(phonebookWindow_);
    phonebookWindow_->setAttribute(Qt::WA_DeleteOnClose);
    if (state_.settings().PhonebookLeft == 0 && state_.settings().PhonebookTop == 0)
        PlaceBesideMainWindow(phonebookWindow_);
    PhonebookWindow *opened = phonebookWindow_;
    connect(opened, &PhonebookWindow::unloaded, this, [this, opened] {
        if (phonebookWindow_ == opened)
            phonebookWindow_ = nullptr;
    });
    phonebookWindow_->show();
    phonebookWindow_->raise();
    phonebookWindow_->activateWindow();
}

void KolvaneApp::PlaceBesideMainWindow(QWidget *window) {
    // A window that has no place of its own yet (the files' 0, 0) opens beside the main
    // window, on its screen, rather than over the call display.
    window->move(WindowChrome::BesidePosition(mainWindow_, window->size()));
}

PhonebookWindow *KolvaneApp::phonebookWindow() const {
    return phonebookWindow_;
}

void KolvaneApp::ClosePhonebookWindow() {
    if (phonebookWindow_)
        phonebookWindow_->close();
}

bool KolvaneApp::eventFilter(QObject *watched, QEvent *event) {
    // Only the main window is watched. Asked by type, not through mainWindow_: while the window is
    // destroyed it is no longer a MainWindow, and the QPointer would cast it as one.
    if (event->type() == QEvent::Close && qobject_cast<MainWindow *>(watched))
        ClosePhonebookWindow();
    return QObject::eventFilter(watched, event);
}

void KolvaneApp::RegisterCallerFromHistory(qint32 historyId) {
    registration_.RegisterCallerFromHistory(historyId);
}

// --- the About window (Form5) ---

AboutWindow *KolvaneApp::aboutWindow() const {
    return aboutWindow_;
}

void KolvaneApp::OpenAboutWindow() {
    // Modal over the main window; closing it unloads it, and the next About is a fresh one.
    if (aboutWindow_) {
        aboutWindow_->raise();
        aboutWindow_->activateWindow();
        return;
    }
    aboutWindow_ = new AboutWindow(AboutWindow::Texts::FromBuild(), mainWindow_);
    WatchHelp(aboutWindow_);
    aboutWindow_->setWindowFlag(Qt::Window, true);
    aboutWindow_->setWindowModality(Qt::WindowModal);
    // Above a main window kept on top, never under it.
    if (state_.settings().AlwaysOnTop != 0)
        aboutWindow_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const QRect main = mainWindow_->geometry();
    aboutWindow_->move(main.center() - aboutWindow_->rect().center());
    aboutWindow_->show();
    aboutWindow_->activateWindow();
}

// --- database compaction ---

HelpWindow *KolvaneApp::helpWindow() const {
    return helpWindow_;
}

void KolvaneApp::WatchHelp(SkinnedWindow *window) {
    connect(window, &SkinnedWindow::helpRequested, this, &KolvaneApp::OpenHelp);
}

void KolvaneApp::OpenHelp(const QString &page) {
    // A window of its own, not a child of the asking one: a modal window (About) leaves it
    // usable, and it stays open when the asking window closes.
    if (!helpWindow_)
        helpWindow_ = new HelpWindow;
    helpWindow_->ShowPage(HelpPages::Page(page));
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void KolvaneApp::CompactCallDatabase() {
    compaction_->CompactCallDatabase(mainWindow_);
}

void KolvaneApp::Start() {
    mainWindow_->show();
    ApplyNetwork();
}

void KolvaneApp::RequestClose() {
    if (mainWindow_)
        mainWindow_->close();
}

// --- tray ---

void KolvaneApp::SendToTray(const QString &tip, MainWindow::TrayOrder order) {
    // Without a notification area a hidden window could never come back: minimise only.
    if (!TrayIcon::available()) {
        mainWindow_->showMinimized();
        return;
    }
    if (order == MainWindow::TrayOrder::IconFirst)
        tray_->add(tip);
    mainWindow_->showMinimized();
    mainWindow_->hide();
    if (order == MainWindow::TrayOrder::WindowFirst)
        tray_->add(tip);
}

void KolvaneApp::BringBackFromTray() {
    // A window hidden while minimised keeps that state, and shown with it the window manager
    // maps it as an icon that a later restore may never reach. Cleared while the window is
    // hidden, it is mapped as a normal window.
    if (!mainWindow_->isVisible())
        mainWindow_->setWindowState(mainWindow_->windowState() & ~Qt::WindowMinimized);
    mainWindow_->showNormal();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    tray_->remove();
}

void KolvaneApp::OnMainWindowUnloaded() {
    linkKeeper_->Stop();
    CloseHistoryWindow();
    ring_->stop();
    tray_->remove();
    if (referenceWindow_)
        referenceWindow_->close();
    emit finished();
}

// --- NCID: the server, the client and the network window ---

void KolvaneApp::SetNetworkForRun(const QString &listen, const QString &server) {
    runListen_ = listen;
    runServer_ = server;
}

NetworkWindow *KolvaneApp::networkWindow() const {
    return networkWindow_;
}

void KolvaneApp::WireNetwork() {
    ncidServer_ = new NcidServer(this);
    ncidClient_ = new NcidClient(this);
    // The log of the last day, read from the file as it is; none while it is compacted.
    ncidServer_->setCallLog([this] {
        return state_.compactionBusy() ? QList<ncid::AnnouncedCall>()
                                       : ncid::RecentCalls(Program::DatabasePath(), Clock::now());
    });
    connect(handler_, &CallHandler::callerAnnounced, this, &KolvaneApp::PassOnCall);
    connect(ncidClient_, &NcidClient::callReceived, this, &KolvaneApp::TakeNetworkCall);
    connect(ncidClient_, &NcidClient::connectionLost, this, [this] {
        serverLostShown_ = true;
        mainWindow_->ShowServerLost();
        if (networkWindow_)
            networkWindow_->ShowState(NetworkStateText());
    });
    connect(ncidClient_, &NcidClient::connectionUp, this, [this] {
        if (serverLostShown_)
            mainWindow_->ShowLinkUp();
        serverLostShown_ = false;
        if (networkWindow_)
            networkWindow_->ShowState(NetworkStateText());
    });
    connect(ncidServer_, &NcidServer::clientsChanged, this, [this] {
        if (networkWindow_)
            networkWindow_->ShowState(NetworkStateText());
    });
    // A call that came over the network while the file was compacted is handled after it.
    connect(&state_, &RunState::compactionFinished, this, [this] {
        const QList<ncid::ReceivedCall> waiting = std::exchange(waitingNetworkCalls_, {});
        for (const ncid::ReceivedCall &call : waiting)
            TakeNetworkCall(call);
    });
}

void KolvaneApp::ApplyNetwork() {
    const NetworkOptions options = NetworkOptions::load();
    notify_ = options.Notify;
    ncidServer_->setLine(options.Line);
    const QStringList unread = ncidServer_->setAllowList(options.AllowList);
    for (const QString &entry : unread)
        DiagnosticLog::failure(QStringLiteral("NCID allow-list entry not read"), entry);

    const QString listen =
        !runListen_.isEmpty() ? runListen_ : (options.ServerOn ? options.ListenAddress : QString());
    if (listen != listeningOn_ || (!listen.isEmpty() && !ncidServer_->isListening())) {
        ncidServer_->close();
        listeningOn_ = listen;
        QString host;
        quint16 port = 0;
        if (!listen.isEmpty() && ParseHostAndPort(listen, &host, &port))
            ncidServer_->listen(QHostAddress(host), port);
    }

    const QString server =
        !runServer_.isEmpty() ? runServer_ : (options.ClientOn ? options.ServerAddress : QString());
    if (server != takingFrom_) {
        takingFrom_ = server;
        QString host;
        quint16 port = 0;
        if (!server.isEmpty() && ParseHostAndPort(server, &host, &port)) {
            ncidClient_->connectTo(host, port);
        } else {
            ncidClient_->stop();
            if (serverLostShown_)
                mainWindow_->ShowLinkUp();
            serverLostShown_ = false;
        }
    }
    if (networkWindow_)
        networkWindow_->ShowState(NetworkStateText());
}

QString KolvaneApp::NetworkStateText() const {
    QStringList parts;
    if (ncidServer_->isListening())
        parts << QStringLiteral("サーバー: %1 で待ち受け中、%2 台が接続中")
                     .arg(listeningOn_)
                     .arg(ncidServer_->clientCount());
    else if (!listeningOn_.isEmpty())
        parts << QStringLiteral("サーバー: %1 で待ち受けられません（%2）")
                     .arg(listeningOn_, ncidServer_->errorString());
    if (!takingFrom_.isEmpty())
        parts << QStringLiteral("クライアント: %1 に%2")
                     .arg(takingFrom_, ncidClient_->isConnected()
                                           ? QStringLiteral("接続中")
                                           : QStringLiteral("接続を試みています"));
    return parts.join(QLatin1Char('\n'));
}

void KolvaneApp::PassOnCall(const IncomingCall &call, const CallDisplay &display,
                            bool fromNetwork) {
    if (notify_) {
        const QString summary = display.NameLine.isEmpty() ? display.NumberLine : display.NameLine;
        const QString body =
            (display.AddressLine.isEmpty() ? QString() : display.AddressLine + QLatin1Char('\n')) +
            call.CallDate + QLatin1Char(' ') + call.CallTime;
        DesktopNotifier::notify(summary, body);
    }
    // A call taken from an NCID server is not sent on: two programs pointed at each other
    // would pass it back and forth for ever.
    if (fromNetwork || !ncidServer_->isListening())
        return;
    ncid::AnnouncedCall announced;
    announced.when = QDateTime::fromString(call.CallDate + QLatin1Char(' ') + call.CallTime,
                                           QStringLiteral("yyyy/MM/dd H:mm:ss"));
    if (!announced.when.isValid())
        announced.when = Clock::now();
    announced.number = call.Number;
    announced.name = display.NameLine;
    // The warning of a call taken for a nuisance travels in the message field.
    if (!call.NuisanceReason.isEmpty())
        announced.message = QStringLiteral("迷惑電話の可能性：") + call.NuisanceReason;
    ncidServer_->Announce(announced);
}

void KolvaneApp::TakeNetworkCall(const ncid::ReceivedCall &call) {
    // While the file is compacted the call waits, as a TA report waits in the port's buffer.
    if (state_.compactionBusy()) {
        waitingNetworkCalls_.append(call);
        return;
    }
    DiagnosticLog::note(QStringLiteral("NCID call received: ") + call.number);
    handler_->HandleNetworkCall(call.number, call.name, Clock::now());
}

void KolvaneApp::OpenNetworkWindow() {
    if (!networkWindow_) {
        networkWindow_ = new NetworkWindow;
        WatchHelp(networkWindow_);
        networkWindow_->setAttribute(Qt::WA_DeleteOnClose);
        connect(networkWindow_, &NetworkWindow::applied, this, &KolvaneApp::ApplyNetwork);
        networkWindow_->ShowState(NetworkStateText());
    }
    networkWindow_->show();
    networkWindow_->raise();
    networkWindow_->activateWindow();
}
