#include "app/KolvaneApp.h"

#include "callerid/CallHandler.h"
#include "callerid/TaLink.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/Registration.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/RingPlayer.h"
#include "platform/desktop/TrayIcon.h"
#include "settings/LastPort.h"
#include "settings/Program.h"
#include "ui/about/AboutWindow.h"
#include "ui/chrome/Pictures.h"
#include "ui/phonebook/PhonebookWindow.h"
#include "ui/refdb/ReferenceWindow.h"

#include <QApplication>
#include <QEvent>

#include <QDir>
#include <QFileInfo>
#include <QTimer>

KolvaneApp::KolvaneApp(QObject *parent) : QObject(parent) {
    link_ = new TaLink(this);
    handler_ = new CallHandler(state_, this);
    ring_ = new RingPlayer(this);
    tray_ = new TrayIcon(TrayPicture(), this);

    mainWindow_ = new MainWindow(state_);
    connect(mainWindow_, &MainWindow::linkSetupRequested, this, &KolvaneApp::InitTerminalAdapter);
    connect(mainWindow_, &MainWindow::trayRequested, this, &KolvaneApp::SendToTray);
    connect(mainWindow_, &MainWindow::unloaded, this, &KolvaneApp::OnMainWindowUnloaded);
    // A left click, or "表示" from the icon's menu where the desktop offers only a menu.
    const auto showFromTray = [this] {
        BringBackFromTray();
        mainWindow_->StartReturnToTray();
    };
    connect(tray_, &TrayIcon::leftButtonDown, this, showFromTray);
    connect(tray_, &TrayIcon::showRequested, this, showFromTray);
    connect(tray_, &TrayIcon::exitRequested, this, &KolvaneApp::RequestClose);
    // A port that goes away while open is said on the status line until the link is up again.
    // A TA behind a USB adapter goes away when unplugged or when the computer sleeps, and
    // comes back under the same device: it is tried again until it opens.
    reconnect_.setInterval(ReconnectMs);
    connect(&reconnect_, &QTimer::timeout, this, &KolvaneApp::ReconnectTerminalAdapter);
    connect(link_, &TaLink::portLost, this, [this] {
        mainWindow_->ShowLinkLost();
        reconnect_.start();
    });
    // Ring off stops a ring that is playing.
    connect(&state_, &RunState::settingsChanged, this, [this] {
        if (state_.settings().RingOn == 0)
            ring_->stop();
    });
    connect(mainWindow_, &MainWindow::commandRequested, this, &KolvaneApp::OnCommandRequested);
    connect(mainWindow_, &MainWindow::linkRestartRequested, this, &KolvaneApp::InitTerminalAdapter);
    connect(mainWindow_, &MainWindow::referenceSettingsRequested, this,
            &KolvaneApp::OpenReferenceWindow);
    mainWindow_->installEventFilter(this);
    connect(mainWindow_, &MainWindow::compactionRequested, this, &KolvaneApp::CompactCallDatabase);
    WireCallPath();
}

// --- the reference-database window (Form4) ---

void KolvaneApp::OpenReferenceWindow() {
    // Modeless; a second request brings the open one to the front.
    if (!referenceWindow_) {
        referenceWindow_ = new ReferenceWindow(state_);
        referenceWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    referenceWindow_->show();
    referenceWindow_->raise();
    referenceWindow_->activateWindow();
}

KolvaneApp::~KolvaneApp() {
    // The phonebook first: it writes its pending edits while the database is still there.
    delete phonebookWindow_;
    // The windows unload first, while the link and the tray they release are still here.
    CloseHistoryWindow();
    delete mainWindow_;
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
    connect(handler_, &CallHandler::callHandled, mainWindow_, &MainWindow::ShowCallHandled);
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
        RegisterCallerFromMainWindow();
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
        connect(historyWindow_, &HistoryWindow::registerRequested, this,
                &KolvaneApp::RegisterCallerFromHistory);
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
    phonebookWindow_->setAttribute(Qt::WA_DeleteOnClose);
    PhonebookWindow *opened = phonebookWindow_;
    connect(opened, &PhonebookWindow::unloaded, this, [this, opened] {
        if (phonebookWindow_ == opened)
            phonebookWindow_ = nullptr;
    });
    phonebookWindow_->show();
    phonebookWindow_->raise();
    phonebookWindow_->activateWindow();
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

namespace {

void RefuseRegistration(QWidget *parent, db::RegistrationCheck check) {
    Dialogs::Tell(parent, db::RegistrationRefusalText(check), db::RegistrationRefusalTitle(),
                  Dialogs::Icon::Question, Dialogs::Modality::System);
}

} // namespace

void KolvaneApp::RegisterToPhonebook(const db::CallerToRegister &caller) {
    ClosePhonebookWindow();
    QCoreApplication::processEvents();
    {
        db::Database database(Program::DatabasePath());
        db::RegisterToPhonebook(database, caller);
    }
    // Opening shows the last entry: the one just made.
    OpenPhonebookWindow();
}

void KolvaneApp::RegisterCallerFromMainWindow() {
    const IncomingCall &call = state_.call;
    const db::RegistrationCheck check = db::CheckRegistrationFromMainWindow(call.Number);
    if (check != db::RegistrationCheck::Allowed) {
        RefuseRegistration(mainWindow_, check);
        return;
    }
    db::CallerToRegister caller;
    caller.Number = call.Number;
    caller.Name = call.CallerName;
    caller.Address = call.CallerAddress;
    caller.Zip = call.CallerZip;
    // The remark is the memo box's text when the memo panel holds this call, typed but not
    // saved yet included; else the memo stored with the call.
    caller.Remark = mainWindow_->MemoTextOf(call.HistoryId);
    if (caller.Remark.isNull()) {
        db::Database database(Program::DatabasePath());
        const auto row = db::CallerOfHistoryRow(database, call.HistoryId);
        if (row && row->Number == call.Number)
            caller.Remark = row->Remark;
    }
    RegisterToPhonebook(caller);
}

void KolvaneApp::RegisterCallerFromHistory(qint32 historyId) {
    std::optional<db::CallerToRegister> caller;
    db::RegistrationCheck check = db::RegistrationCheck::NotNumeric;
    {
        db::Database database(Program::DatabasePath());
        caller = db::CallerOfHistoryRow(database, historyId);
        if (caller)
            check = db::CheckRegistrationFromHistory(database, caller->Number);
    }
    if (check != db::RegistrationCheck::Allowed) {
        RefuseRegistration(QApplication::activeWindow(), check);
        return;
    }
    RegisterToPhonebook(*caller);
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
    aboutWindow_->setWindowFlag(Qt::Window, true);
    aboutWindow_->setWindowModality(Qt::WindowModal);
    const QRect main = mainWindow_->geometry();
    aboutWindow_->move(main.center() - aboutWindow_->rect().center());
    aboutWindow_->show();
    aboutWindow_->activateWindow();
}

// --- database compaction ---

void KolvaneApp::CompactCallDatabase() {
    // A double-click while a compaction runs does nothing.
    if (state_.CompactionBusy)
        return;
    if (!Dialogs::Confirm(mainWindow_,
                          QStringLiteral("Zelmoraの電話帳データベースを最適化します。"),
                          QStringLiteral("最適化の確認"), Dialogs::Icon::Question) ||
        state_.CompactionBusy)
        return;
    // The call path waits; the status line says so, and the history and phonebook windows close
    // themselves (saving what they hold), releasing the file.
    state_.CompactionBusy = true;
    state_.announceCompactionStarting();
    // Compacted off this thread, once the closed windows are gone.
    compaction_ = new db::CompactionJob(Program::AppFolder, this);
    connect(compaction_, &db::CompactionJob::finished, this, &KolvaneApp::OnCompactionDone);
    QTimer::singleShot(0, compaction_, &db::CompactionJob::start);
}

void KolvaneApp::OnCompactionDone(bool ok, const QString &failure) {
    if (compaction_)
        compaction_->deleteLater();
    state_.CompactionBusy = false;
    state_.announceCompactionFinished();
    // A report that came meanwhile is handled now, not at the next call (whose read would
    // hold both reports and keep only the first).
    link_->ReceiveWaiting();
    if (!ok) {
        Dialogs::Tell(mainWindow_,
                      QStringLiteral("電話帳データベースを最適化できませんでした。\n") + failure +
                          QStringLiteral("\n電話帳データベースは最適化する前のまま使えます。"),
                      QStringLiteral("Kolvane"), Dialogs::Icon::Exclamation);
    }
}

void KolvaneApp::Start() {
    mainWindow_->show();
}

void KolvaneApp::RequestClose() {
    if (mainWindow_)
        mainWindow_->close();
}

bool KolvaneApp::InitTerminalAdapter() {
    QDir::setCurrent(Program::AppFolder);
    // A second set-up (new port settings) starts from a closed port and sends the command again.
    link_->close();
    link_->setLinkUp(false);
    const Settings &settings = state_.settings();
    if (!link_->open(settings)) {
        if (AwaitingRememberedDevice()) {
            // As if it were unplugged just after the start: the activation is done (no set-up
            // panel, no second trip to the tray), and the device is tried until it comes.
            state_.FirstActivation = false;
            mainWindow_->ShowLinkLost();
            reconnect_.start();
            return false;
        }
        state_.SettingsFileFound.clear();
        mainWindow_->MainWindowActivation();
        // After a link that once worked the activation shows nothing: the status line says
        // the link is down rather than still reading "waiting".
        if (!state_.FirstActivation)
            mainWindow_->ShowLinkLost();
        return false;
    }
    reconnect_.stop();
    if (!settings.PortName.isEmpty())
        LastPort::remember(settings.PortName);
    mainWindow_->ShowLinkUp();
    state_.FirstActivation = false;
    link_->setLinkUp(true);
    return true;
}

bool KolvaneApp::AwaitingRememberedDevice() const {
    // Only at start, with settings read from the file, and only for the very device that opened
    // in an earlier run and is now absent. A device that is there but will not open, or a
    // port never opened before, still leads to the set-up panel.
    const QString device = state_.settings().PortName;
    return state_.FirstActivation && !state_.SettingsFileFound.isEmpty() && !device.isEmpty() &&
           device == LastPort::read() && !QFileInfo::exists(device);
}

void KolvaneApp::ReconnectTerminalAdapter() {
    // Opening a device that is not there fails at once: the window never waits for it.
    if (!link_->isOpen())
        InitTerminalAdapter();
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
    mainWindow_->show();
    mainWindow_->showNormal();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    tray_->remove();
}

void KolvaneApp::OnMainWindowUnloaded() {
    reconnect_.stop();
    CloseHistoryWindow();
    ring_->stop();
    link_->close();
    tray_->remove();
    if (referenceWindow_)
        referenceWindow_->close();
    emit finished();
}
