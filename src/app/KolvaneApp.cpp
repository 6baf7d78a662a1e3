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
    Picture8 = new TrayIcon(TrayPicture(), this);

    form1_ = new MainWindow(state_);
    connect(form1_, &MainWindow::linkSetupRequested, this, &KolvaneApp::InitTerminalAdapter);
    connect(form1_, &MainWindow::trayRequested, this, &KolvaneApp::SendToTray);
    connect(form1_, &MainWindow::unloaded, this, &KolvaneApp::MainWindowUnloaded);
    // A left click, or "表示" from the icon's menu where the desktop offers only a menu.
    const auto showFromTray = [this] {
        BringBackFromTray();
        form1_->StartReturnToTray();
    };
    connect(Picture8, &TrayIcon::leftButtonDown, this, showFromTray);
    connect(Picture8, &TrayIcon::showRequested, this, showFromTray);
    connect(Picture8, &TrayIcon::exitRequested, this, &KolvaneApp::requestClose);
    // A port that goes away while open is said on the status line until the link is up again.
    // A TA behind a USB adapter goes away when unplugged or when the computer sleeps, and
    // comes back under the same device: it is tried again until it opens.
    reconnect_.setInterval(ReconnectMs);
    connect(&reconnect_, &QTimer::timeout, this, &KolvaneApp::ReconnectTerminalAdapter);
    connect(link_, &TaLink::portLost, this, [this] {
        form1_->ShowLinkLost();
        reconnect_.start();
    });
    // Ring off stops a ring that is playing.
    connect(&state_, &RunState::settingsChanged, this, [this] {
        if (state_.settings().RingOn == 0)
            ring_->stop();
    });
    connect(form1_, &MainWindow::commandRequested, this, &KolvaneApp::CommandRequested);
    connect(form1_, &MainWindow::linkRestartRequested, this, &KolvaneApp::InitTerminalAdapter);
    connect(form1_, &MainWindow::referenceSettingsRequested, this,
            &KolvaneApp::OpenReferenceWindow);
    form1_->installEventFilter(this);
    connect(form1_, &MainWindow::compactionRequested, this, &KolvaneApp::CompactCallDatabase);
    WireCallPath();
}

// --- the reference-database window (Form4) ---

void KolvaneApp::OpenReferenceWindow() {
    // Modeless; a second request brings the open one to the front.
    if (!form4_) {
        form4_ = new ReferenceWindow(state_);
        form4_->setAttribute(Qt::WA_DeleteOnClose);
    }
    form4_->show();
    form4_->raise();
    form4_->activateWindow();
}

KolvaneApp::~KolvaneApp() {
    // The phonebook first: it writes its pending edits while the database is still there.
    delete form3_;
    // The windows unload first, while the link and the tray they release are still here.
    CloseHistoryWindow();
    delete form1_;
}

void KolvaneApp::WireCallPath() {
    link_->setReceiveGate([this] { return handler_->ReceiveGate(); });
    connect(link_, &TaLink::blockRead, handler_, &CallHandler::MSComm1_OnComm);
    connect(handler_, &CallHandler::callArriving, this, [this] {
        // 8: a call brings the window out of the notification area.
        if (form1_->isMinimized() || !form1_->isVisible())
            BringBackFromTray();
        form1_->ShowCallArriving();
    });
    connect(handler_, &CallHandler::callerShown, form1_, &MainWindow::ShowCaller);
    connect(handler_, &CallHandler::ringRequested, ring_, &RingPlayer::play);
    connect(handler_, &CallHandler::callHandled, form1_, &MainWindow::ShowCallHandled);
}

void KolvaneApp::CommandRequested(MainWindow::Command item) {
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
    if (!form2_) {
        form2_ = new HistoryWindow(state_, form1_);
        connect(form2_, &HistoryWindow::registerRequested, this,
                &KolvaneApp::RegisterCallerFromHistory);
        form2_->show();
    }
    form2_->raise();
    form2_->activateWindow();
}

void KolvaneApp::CloseHistoryWindow() {
    // Closing writes Rireki.ini; the window deletes itself once closed.
    if (form2_) {
        form2_->close();
        delete form2_;
    }
}

// --- the phonebook window (Form3) ---

void KolvaneApp::OpenPhonebookWindow() {
    // A second press brings the open one to the front.
    if (form3_) {
        form3_->showNormal();
        form3_->raise();
        form3_->activateWindow();
        return;
    }
    form3_ = new PhonebookWindow(state_);
    form3_->setAttribute(Qt::WA_DeleteOnClose);
    PhonebookWindow *opened = form3_;
    connect(opened, &PhonebookWindow::unloaded, this, [this, opened] {
        if (form3_ == opened)
            form3_ = nullptr;
    });
    form3_->show();
    form3_->raise();
    form3_->activateWindow();
}

PhonebookWindow *KolvaneApp::phonebookWindow() const {
    return form3_;
}

void KolvaneApp::ClosePhonebookWindow() {
    if (form3_)
        form3_->close();
}

bool KolvaneApp::eventFilter(QObject *watched, QEvent *event) {
    // Only the main window is watched. Asked by type, not through form1_: while the window is
    // destroyed it is no longer a MainWindow, and the QPointer would cast it as one.
    if (event->type() == QEvent::Close && qobject_cast<MainWindow *>(watched))
        ClosePhonebookWindow();
    return QObject::eventFilter(watched, event);
}

namespace {

void RefuseRegistration(QWidget *parent, db::RegistrationCheck check) {
    Dialogs::MessageBox box;
    box.text = db::RegistrationRefusalText(check);
    box.title = db::RegistrationRefusalTitle();
    box.icon = Dialogs::Icon::Question;
    box.buttons = Dialogs::Buttons::Ok;
    box.systemModal = true;
    Dialogs::Show(parent, box);
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
        RefuseRegistration(form1_, check);
        return;
    }
    db::CallerToRegister caller;
    caller.Number = call.Number;
    caller.Name = call.CallerName;
    caller.Address = call.CallerAddress;
    caller.Zip = call.CallerZip;
    // The remark is the memo box's text when the memo panel holds this call, typed but not
    // saved yet included; else the memo stored with the call.
    caller.Remark = form1_->MemoTextOf(call.HistoryId);
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
    return form5_;
}

void KolvaneApp::OpenAboutWindow() {
    // Modal over the main window; closing it unloads it, and the next About is a fresh one.
    if (form5_) {
        form5_->raise();
        form5_->activateWindow();
        return;
    }
    form5_ = new AboutWindow(AboutWindow::Texts::FromBuild(), form1_);
    form5_->setWindowFlag(Qt::Window, true);
    form5_->setWindowModality(Qt::WindowModal);
    const QRect main = form1_->geometry();
    form5_->move(main.center() - form5_->rect().center());
    form5_->show();
    form5_->activateWindow();
}

// --- database compaction ---

void KolvaneApp::CompactCallDatabase() {
    // A double-click while a compaction runs does nothing.
    if (state_.CompactionBusy)
        return;
    Dialogs::MessageBox confirmation;
    confirmation.text = QStringLiteral("Zelmoraの電話帳データベースを最適化します。");
    confirmation.title = QStringLiteral("最適化の確認");
    confirmation.icon = Dialogs::Icon::Question;
    confirmation.buttons = Dialogs::Buttons::OkCancel;
    confirmation.defaultButton = Dialogs::Answer::Cancel;
    confirmation.systemModal = true;
    // 1
    if (Dialogs::Show(form1_, confirmation) != Dialogs::Answer::Ok || state_.CompactionBusy)
        return;
    // 2-4: the call path waits; Label5 says so, and the history and phonebook windows close
    // themselves (saving what they hold), releasing the file.
    state_.CompactionBusy = true;
    state_.announceCompactionStarting();
    // 5-8 off this thread, once the closed windows are gone.
    compaction_ = new db::CompactionJob(Program::AppFolder, this);
    connect(compaction_, &db::CompactionJob::finished, this, &KolvaneApp::CompactionDone);
    QTimer::singleShot(0, compaction_, &db::CompactionJob::start);
}

void KolvaneApp::CompactionDone(bool ok, const QString &failure) {
    if (compaction_)
        compaction_->deleteLater();
    // 9
    state_.CompactionBusy = false;
    state_.announceCompactionFinished();
    // A report that came meanwhile is handled now, not at the next call (whose read would
    // hold both reports and keep only the first).
    link_->ReceiveWaiting();
    if (!ok) {
        Dialogs::MessageBox box;
        box.text = QStringLiteral("電話帳データベースを最適化できませんでした。\n") + failure +
                   QStringLiteral("\n電話帳データベースは最適化する前のまま使えます。");
        box.title = QStringLiteral("Kolvane");
        box.icon = Dialogs::Icon::Exclamation;
        Dialogs::Show(form1_, box);
    }
}

void KolvaneApp::start() {
    form1_->show();
}

void KolvaneApp::requestClose() {
    if (form1_)
        form1_->close();
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
            form1_->ShowLinkLost();
            reconnect_.start();
            return false;
        }
        state_.SettingsFileFound.clear();
        form1_->MainWindowActivation();
        // After a link that once worked the activation shows nothing: the status line says
        // the link is down rather than still reading "waiting".
        if (!state_.FirstActivation)
            form1_->ShowLinkLost();
        return false;
    }
    reconnect_.stop();
    if (!settings.PortName.isEmpty())
        LastPort::remember(settings.PortName);
    form1_->ShowLinkUp();
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
        form1_->showMinimized();
        return;
    }
    if (order == MainWindow::TrayOrder::IconFirst)
        Picture8->add(tip);
    form1_->showMinimized();
    form1_->hide();
    if (order == MainWindow::TrayOrder::WindowFirst)
        Picture8->add(tip);
}

void KolvaneApp::BringBackFromTray() {
    form1_->show();
    form1_->showNormal();
    form1_->raise();
    form1_->activateWindow();
    Picture8->remove();
}

void KolvaneApp::MainWindowUnloaded() {
    reconnect_.stop();
    CloseHistoryWindow();
    ring_->stop();
    link_->close();
    Picture8->remove();
    if (form4_)
        form4_->close();
    emit finished();
}
