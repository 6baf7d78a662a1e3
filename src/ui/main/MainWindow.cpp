#include "ui/main/MainWindow.h"
#include "ui/main/SettingsPanel.h"

#include "callerid/CallLookup.h"
#include "callerid/CallReport.h"
#include "db/Database.h"
#include "db/OpeningCheck.h"
#include "platform/Clock.h"
#include "platform/desktop/Shell.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/BevelPanel.h"
#include "ui/controls/DigitalClock.h"
#include "ui/main/MemoPanel.h"
#include "ui/main/SettingsNotice.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>
#include <optional>

namespace {

using namespace MainFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

using WindowChrome::PlaceTwips;

const QColor CallColour(255, 0, 0);   // colour value 255
const QColor IdleColour(255, 128, 0); // colour value 33023
// A call taken for a nuisance: a colour of its own, apart from a call's red.
const QColor NuisanceColour(255, 255, 0);
const QString Waiting = QStringLiteral("待機中．．．");
const QString NoNumberOnClock = QStringLiteral("-----------");

QString StatusLine(const QString &what, const QString &time) {
    return what + QStringLiteral("      ( ") + time + QStringLiteral(" )");
}

QString TodayOnClock() {
    return Clock::now().toString(QStringLiteral("yyyy-MM-dd"));
}

// A call line shows what fits, cut with "…", and the whole text as its tooltip. The tooltip
// is escaped: names and addresses come from outside and are never read as markup.
void ShowFitted(QLabel *label, const QString &text) {
    label->setText(
        label->fontMetrics().elidedText(text, Qt::ElideRight, label->contentsRect().width()));
    label->setToolTip(text.isEmpty() ? QString()
                                     : QStringLiteral("<qt>") + text.toHtmlEscaped() +
                                           QStringLiteral("</qt>"));
    // A screen reader reads the whole text, as it is, not the tooltip's markup.
    label->setAccessibleDescription(text);
}

QLabel *CallLine(QWidget *parent, const char *name, int top, int height, int pointSize, bool bold) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // Numbers, names and addresses come from outside: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    PlaceTwips(label, 60, top, 2925, height);
    return label;
}

} // namespace

MainWindow::MainWindow(RunState &state, QWidget *parent)
    : SkinnedWindow(WindowKind::Main, parent), state_(state) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kolvane"));
    setWindowIcon(ProgramIcon());

    clockTick_.setInterval(900);
    connect(&clockTick_, &QTimer::timeout, this, &MainWindow::OnClockTick);
    callDisplayEnd_.setInterval(5000);
    connect(&callDisplayEnd_, &QTimer::timeout, this, &MainWindow::OnCallDisplayEnd);
    connect(&returnToTray_, &QTimer::timeout, this, &MainWindow::OnReturnToTray);

    BuildLayout();
    Load();
    WatchCompaction();
}

MainWindow::~MainWindow() {
    Unload();
}

void MainWindow::BuildLayout() {
    BuildTitleArea();
    // The main panel.
    mainPanel_ = new QWidget(this);
    mainPanel_->setObjectName(QStringLiteral("Picture3"));
    PlaceTwips(mainPanel_, 225, 615, 3855, MainPanelHeight);
    addDragSurface(mainPanel_);
    BuildClock();
    BuildCallDisplay();
    BuildCallDisplayMenu();
    BuildCommandButtons();
    BuildMemoPanel();
    BuildSettingsPanel();
}

void MainWindow::BuildTitleArea() {
    auto *icon = new QLabel(this);
    icon->setPixmap(TitleIcon());
    PlaceTwips(icon, 240, 180, 360, 360);
    auto *logo = new QLabel(this);
    logo->setPixmap(TitleLogo());
    PlaceTwips(logo, 660, 165, 1920, 450);
    titlePictures_[0] = icon;
    titlePictures_[1] = logo;
    for (int i = 0; i < 2; ++i) {
        titlePictures_[i]->setObjectName(QStringLiteral("Image1(%1)").arg(i));
        addDragSurface(titlePictures_[i]);
    }

    trayButton_ = new ImageButton(70, 30, this);
    trayButton_->setObjectName(QStringLiteral("Picture7"));
    trayButton_->setToolTip(QStringLiteral("システムトレーに入れる。"));
    trayButton_->setPressedFace(TrayPressed);
    trayButton_->move(TwipsToPixelsX(2640), TwipsToPixelsY(165));
    connect(trayButton_, &ImageButton::clicked, this,
            [this] { emit trayRequested(QStringLiteral("コルベーン！"), TrayOrder::WindowFirst); });

    closeButton_ = new ImageButton(20, 20, this);
    closeButton_->setObjectName(QStringLiteral("Picture5"));
    closeButton_->setToolTip(QStringLiteral("終了"));
    closeButton_->setPressedFace(ClosePressed);
    closeButton_->move(TwipsToPixelsX(3735), TwipsToPixelsY(225));
    connect(closeButton_, &ImageButton::clicked, this, &QWidget::close);
}

void MainWindow::BuildClock() {
    // The bevelled frames lie behind the clock and the call lines.
    const auto bevel = [this](const char *name, int left, int top, int width, int height) {
        auto *frame = new BevelPanel(mainPanel_);
        frame->setObjectName(QString::fromLatin1(name));
        // Sunken black display frames.
        frame->setOuterEdge(BevelPanel::Sunken);
        frame->setInnerEdge(BevelPanel::Sunken);
        frame->setBackColorValue(0);
        PlaceTwips(frame, left, top, width, height);
        // A frame only: presses go through to the panel, which drags the window.
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    };
    bevel("BevelPanel1", 0, 60, 3225, 585);
    bevel("BevelPanel2", 0, 690, 3225, 1620);

    clock_ = new DigitalClock(mainPanel_);
    PlaceTwips(clock_, 90, 150, 2970, 405);
    connect(clock_, &DigitalClock::doubleClicked, this, &MainWindow::OpenDateTimeSettings);

    for (int i = 0; i < 2; ++i) {
        clockModeButtons_[i] = new ImageButton(32, 20, mainPanel_);
        clockModeButtons_[i]->setObjectName(QStringLiteral("Picture6(%1)").arg(i));
        clockModeButtons_[i]->move(TwipsToPixelsX(3290), TwipsToPixelsY(i == 0 ? 90 : 380));
        clockModeButtons_[i]->setPressedFace(i == 0 ? TimeButtonInForce : DateButtonInForce);
        clockModeButtons_[i]->setAccessibleName(i == 0 ? QStringLiteral("時刻を表示")
                                                       : QStringLiteral("日付を表示"));
        connect(clockModeButtons_[i], &ImageButton::clicked, this,
                [this, i] { ClockButtonClicked(i); });
    }
    // A release outside shows the faces of the mode in force.
    clockModeButtons_[0]->setNormalFace([this] { return TimeButtonFace(); });
    clockModeButtons_[1]->setNormalFace([this] { return DateButtonFace(); });
}

void MainWindow::BuildCallDisplay() {
    callDisplay_ = new QWidget(mainPanel_);
    callDisplay_->setObjectName(QStringLiteral("Picture14"));
    PlaceTwips(callDisplay_, 90, 765, 3045, 1515);
    // The call lines are part of the display: light text on its black.
    callDisplay_->setAutoFillBackground(true);
    QPalette display = callDisplay_->palette();
    display.setColor(QPalette::Window, Qt::black);
    display.setColor(QPalette::WindowText, QColor(235, 235, 235));
    callDisplay_->setPalette(display);
    statusLine_ = CallLine(callDisplay_, "Label5", 30, 300, 9, false);
    numberLine_ = CallLine(callDisplay_, "Label6", 360, 390, 11, true);
    nameLine_ = CallLine(callDisplay_, "Label7", 780, 390, 11, true);
    addressLine_ = CallLine(callDisplay_, "Label8", 1200, 300, 9, false);
}

void MainWindow::BuildCommandButtons() {
    for (int i = 0; i < CommandCount; ++i) {
        ImageButton *button =
            MakeFaceButton(Commands[i], 35, 35, mainPanel_, QStringLiteral("Picture4(%1)").arg(i));
        connect(button, &ImageButton::clicked, this, [this, i] { CommandClicked(i); });
        button->setShortcut(QKeySequence(QString::fromLatin1(CommandKeys[i])));
        commandButtons_[i] = button;
    }
    trayButton_->setShortcut(QKeySequence(QString::fromLatin1(TrayKey)));
    commandButtons_[KeepOnTop]->setNormalFace([this] { return KeepOnTopFace(); });
    commandButtons_[RingOnOff]->setNormalFace([this] { return RingFace(); });
    commandButtons_[Memo]->setNormalFace(
        [this] { return memoPanelOpen_ ? MemoPanelShown : MemoReady; });
    commandButtons_[Memo]->setDisabledFace(MemoDisabled);
    commandButtons_[Register]->setDisabledFace(RegisterDisabled);
}

void MainWindow::Load() {
    // No caption bar: a skinned window is made without one and paints its own frame. The
    // program has read the settings before.
    CreateSpinControl();
    state_.setFirstActivation(true);
    LoadButtonFaces();
    // A foreign or unwritable call database is said at once (and a fresh install has its
    // database from the start); the first opening, which reads the file through for damage,
    // runs beside the window so that start costs the same at any size of the history.
    state_.announceHistoryWritable(db::ProblemText(db::Database::Judge(Program::DatabasePath())));
    if (!state_.callHistoryProblem().isEmpty())
        ShowIdleStatus(QString());
    auto *check = new db::OpeningCheck(Program::DatabasePath(), this);
    openingCheck_ = check;
    connect(check, &db::OpeningCheck::finished, this, [this, check](const QString &problem) {
        check->deleteLater();
        if (problem.isEmpty() || problem == state_.callHistoryProblem())
            return;
        state_.announceHistoryWritable(problem);
        // A call on show keeps its status; the notice comes when its display ends.
        if (!callDisplayEnd_.isActive())
            ShowIdleStatus(QString());
    });
    // A position saved for a screen that is gone is shown on the screen there is.
    const Settings &settings = state_.settings();
    const QRect saved(TwipsToPixelsX(settings.MainLeft), TwipsToPixelsY(settings.MainTop),
                      TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));
    setGeometry(WindowChrome::VisibleGeometry(saved));
}

void MainWindow::LoadButtonFaces() {
    for (int i = 0; i < CommandCount; ++i)
        commandButtons_[i]->setFace(Commands[i].normal);
    commandButtons_[KeepOnTop]->setFace(KeepOnTopFace());
    if (state_.settings().AlwaysOnTop != 0)
        WindowChrome::ApplyTopMost(this, true, this, true);
    commandButtons_[RingOnOff]->setFace(RingFace());
    // Memo and register wait for the first call.
    commandButtons_[Memo]->setEnabled(false);
    commandButtons_[Register]->setEnabled(false);
    closeButton_->setFace(CloseNormal);
    clockModeButtons_[0]->setFace(TimeButtonFace());
    clockModeButtons_[1]->setFace(DateButtonFace());
    ShowClockMode();
    trayButton_->setFace(TrayNormal);
}

void MainWindow::ShowClockMode() {
    if (state_.settings().ShowDate != 0) {
        clockTick_.stop();
        clock_->setText(TodayOnClock());
    } else {
        OnClockTick();
        clockTick_.start();
    }
}

void MainWindow::OnClockTick() {
    clock_->setText(JapaneseTimeText(Clock::now()));
}

// --- TA link ---

void MainWindow::ShowLinkUp() {
    // A call on show keeps its status.
    if (!callDisplayEnd_.isActive())
        ShowIdleStatus(WaitingLine());
}

QString MainWindow::WaitingLine() const {
    // After a call the idle line keeps its time (a settings change sets the link up anew).
    const QString &time = state_.call().CallTime;
    return time.isEmpty() ? Waiting : StatusLine(Waiting, time);
}

void MainWindow::ShowLinkLost() {
    QPalette palette = statusLine_->palette();
    palette.setColor(QPalette::WindowText, IdleColour);
    statusLine_->setPalette(palette);
    statusLine_->setText(QStringLiteral("ＴＡとの接続が切れました。"));
    statusLine_->setToolTip(QStringLiteral("再接続を待っています．．．"));
}

void MainWindow::ShowServerLost() {
    QPalette palette = statusLine_->palette();
    palette.setColor(QPalette::WindowText, IdleColour);
    statusLine_->setPalette(palette);
    statusLine_->setText(QStringLiteral("サーバーとの接続が切れました。"));
    statusLine_->setToolTip(QStringLiteral("再接続を待っています．．．"));
}

// --- settings and set-up panels ---

void MainWindow::BuildSettingsPanel() {
    SettingsPanel::Host host;
    host.window = this;
    host.mainPanel = mainPanel_;
    host.statusLine = statusLine_;
    host.ringButton = commandButtons_[RingOnOff];
    host.returnToTray = &returnToTray_;
    host.startReturnToTray = [this] { StartReturnToTray(); };
    settingsPanel_ = new SettingsPanel(state_, host);
    connect(settingsPanel_, &SettingsPanel::linkRestartRequested, this,
            &MainWindow::linkRestartRequested);
    connect(settingsPanel_, &SettingsPanel::referenceSettingsRequested, this,
            &MainWindow::referenceSettingsRequested);
    connect(settingsPanel_, &SettingsPanel::marksListRequested, this,
            &MainWindow::marksListRequested);
    connect(settingsPanel_, &SettingsPanel::networkSettingsRequested, this,
            &MainWindow::networkSettingsRequested);
    connect(settingsPanel_, &SettingsPanel::closeRequested, this, &QWidget::close);
}

void MainWindow::CreateSpinControl() {
    settingsPanel_->CreateSpinControl();
}

bool MainWindow::setupPanelOpen() const {
    return settingsPanel_->setupOpen();
}

void MainWindow::OpenSetupPanel() {
    settingsPanel_->OpenForSetup();
}

void MainWindow::MainWindowActivation() {
    if (!state_.firstActivation())
        return;
    if (!state_.settingsFileFound().isEmpty()) {
        // InitTerminalAdapter: on failure it empties SettingsFileFound and comes back here.
        emit linkSetupRequested();
        if (state_.settings().TrayMode == 1)
            emit trayRequested(QStringLiteral("Kolvane"), TrayOrder::IconFirst);
    } else {
        OpenSetupPanel();
    }
}

// --- the call path, as the call handler reports it ---

void MainWindow::ShowCallArriving() {
    startNotice_.clear();
    // The settings panel gives way to the call and comes back, as it was, after it.
    settingsPanel_->GiveWay();
    // The call lines empty.
    statusLine_->clear();
    numberLine_->clear();
    nameLine_->clear();
    addressLine_->clear();
    for (QLabel *line : {statusLine_, numberLine_, nameLine_, addressLine_}) {
        line->setToolTip(QString());
        line->setAccessibleDescription(QString());
    }
    // The red status, or the warning of a call taken for a nuisance.
    const QString nuisance = state_.call().NuisanceReason;
    if (nuisance.isEmpty()) {
        ShowStatus(CallColour, QStringLiteral("着信中．．．"));
    } else {
        QPalette palette = statusLine_->palette();
        palette.setColor(QPalette::WindowText, NuisanceColour);
        statusLine_->setPalette(palette);
        ShowFitted(statusLine_, QStringLiteral("迷惑電話の可能性：") + nuisance);
    }
    if (settingsNotice_)
        settingsNotice_->hide();
    // The clock holds the time of the call.
    clockTick_.stop();
    clock_->setHighlight(true);
}

void MainWindow::ShowCaller(const CallDisplay &display) {
    AnnounceCall(display);
    // The number and its time.
    ShowFitted(numberLine_, display.NumberLine);
    clock_->setText(display.ClockText);
    if (display.Withheld)
        return;
    // A caller already in the phonebook needs no registering.
    ShowFitted(nameLine_, display.NameLine);
    commandButtons_[Register]->setFace(RegisterReady);
    commandButtons_[Register]->setEnabled(!display.InPhonebook);
    ShowFitted(addressLine_, display.AddressLine);
}

void MainWindow::ShowCallsTogether(int calls) {
    // Several reports in one read: only the last caller stays in sight, so the status line
    // says how many came (the history has every one); the warning of a nuisance stays.
    if (calls > 1 && state_.call().NuisanceReason.isEmpty())
        ShowStatus(CallColour, QStringLiteral("着信 %1件").arg(calls));
}

void MainWindow::AnnounceCall(const CallDisplay &display) {
    // A screen reader tells of the call at once: the status line alerts with who calls.
    QStringList parts{QStringLiteral("着信"), display.NumberLine};
    if (!display.Withheld)
        parts << display.NameLine << display.AddressLine;
    parts.removeAll(QString());
    statusLine_->setAccessibleDescription(parts.join(QLatin1Char(' ')));
    QAccessibleEvent alert(statusLine_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void MainWindow::ShowCallerKnown() {
    commandButtons_[Register]->setEnabled(false);
}

void MainWindow::ShowRingProblem(const QString &why) {
    ShowFitted(statusLine_, QStringLiteral("着信音を鳴らせません（%1）").arg(why));
}

void MainWindow::ShowCallHandled() {
    // The display ends later; the window returns to the tray; the memo is offered.
    callDisplayEnd_.start();
    StartReturnToTray();
    if (!memoPanelOpen_) {
        commandButtons_[Memo]->setFace(MemoReady);
        commandButtons_[Memo]->setEnabled(true);
    }
}

void MainWindow::OnCallDisplayEnd() {
    callDisplayEnd_.stop();
    clock_->setHighlight(false);
    if (state_.settings().ShowDate != 0)
        clock_->setText(TodayOnClock());
    else
        clockTick_.start();
    ShowIdleStatus(StatusLine(Waiting, state_.call().CallTime));
    if (settingsNotice_ && settingsNoticeWanted_)
        settingsNotice_->show();
    // The panel the call took the window from, with what was typed in it.
    settingsPanel_->Resume();
}

void MainWindow::ShowIdleStatus(const QString &waiting) {
    QPalette palette = statusLine_->palette();
    palette.setColor(QPalette::WindowText, IdleColour);
    statusLine_->setPalette(palette);
    // A call keeps its red status; the notice replaces the idle line when the display ends.
    if (state_.callHistoryProblem().isEmpty() && !startNotice_.isEmpty()) {
        ShowFitted(statusLine_, startNotice_);
    } else if (state_.callHistoryProblem().isEmpty()) {
        statusLine_->setText(waiting);
        statusLine_->setToolTip(QString());
    } else {
        ShowFitted(statusLine_, QStringLiteral("着信履歴に記録できません（") +
                                    state_.callHistoryProblem() + QStringLiteral("）"));
    }
}

void MainWindow::ShowStartNotice(const QString &text) {
    startNotice_ = text;
    ShowIdleStatus(QString());
}

void MainWindow::ShowSettingsFileNotice(bool damaged) {
    settingsNoticeWanted_ = damaged;
    if (!damaged) {
        if (settingsNotice_)
            settingsNotice_->hide();
        return;
    }
    if (!settingsNotice_) {
        settingsNotice_ = MakeSettingsNotice(this);
        // Applied settings are written over the file (kept beside as Kolvane.ini.damaged).
        connect(this, &MainWindow::linkRestartRequested, this,
                [this] { ShowSettingsFileNotice(false); });
    }
    settingsNotice_->show();
}

void MainWindow::ShowStatus(const QColor &colour, const QString &what) {
    QPalette palette = statusLine_->palette();
    palette.setColor(QPalette::WindowText, colour);
    statusLine_->setPalette(palette);
    statusLine_->setText(StatusLine(what, state_.call().CallTime));
}

// --- tray ---

int MainWindow::TrayDelayMs() const {
    // The set-up panel offers 10 to 600 seconds; a value outside (a hand-edited file, a text
    // without a number) would send the window back before the call could be read, or never.
    return std::clamp<int>(state_.settings().TrayDelaySeconds, 10, 600) * 1000;
}

void MainWindow::OnReturnToTray() {
    returnToTray_.stop();
    returnToTray_.setInterval(0);
    // Nothing hides the window while the user edits in it. The settings panel arms the return
    // again when applied; the memo panel lets the window go when it closes.
    if (settingsPanel_->isShown() || settingsPanel_->givenWay())
        return;
    if (memoPanelOpen_) {
        returnAfterMemo_ = true;
        return;
    }
    emit trayRequested(QStringLiteral("コルベーン！"), TrayOrder::IconFirst);
}

void MainWindow::StartReturnToTray() {
    // The set-up panel waits for a port: the window stays out until it is applied.
    if (state_.settings().TrayMode == 1 && !settingsPanel_->setupOpen()) {
        returnToTray_.setInterval(TrayDelayMs());
        returnToTray_.start();
    }
}

// --- commands ---

void MainWindow::CommandClicked(int item) {
    switch (item) {
    case Exit:
        close();
        break;
    case KeepOnTop: {
        state_.changeSettings([](Settings &s) { s.AlwaysOnTop = s.AlwaysOnTop != 0 ? 0 : 1; });
        const bool onTop = state_.settings().AlwaysOnTop != 0;
        commandButtons_[KeepOnTop]->setFace(KeepOnTopFace());
        WindowChrome::ApplyTopMost(this, onTop, this, onTop);
        break;
    }
    case RingOnOff:
        // Ring off also stops a ring that is playing (the program hears the change).
        state_.changeSettings([](Settings &s) { s.RingOn = s.RingOn != 0 ? 0 : 1; });
        commandButtons_[RingOnOff]->setFace(RingFace());
        break;
    case DateTime:
        OpenDateTimeSettings();
        break;
    case Memo:
        if (memoPanelOpen_)
            HideMemoPanel();
        else
            ShowMemoPanel();
        break;
    case Setup:
        settingsPanel_->Open();
        break;
    default:
        // Phonebook, memo, history, About and register open windows of their own.
        emit commandRequested(static_cast<Command>(item));
        break;
    }
}

void MainWindow::ClockButtonClicked(int item) {
    // A click on the mode already shown changes nothing.
    const qint16 showDate = state_.settings().ShowDate;
    if (item == 1 && showDate == 0) {
        state_.changeSettings([](Settings &s) { s.ShowDate = 1; });
        clockTick_.stop();
        clock_->setText(TodayOnClock());
    } else if (item == 0 && showDate == 1) {
        state_.changeSettings([](Settings &s) { s.ShowDate = 0; });
        clockTick_.start();
    } else {
        return;
    }
    clockModeButtons_[0]->setFace(TimeButtonFace());
    clockModeButtons_[1]->setFace(DateButtonFace());
}

void MainWindow::OpenDateTimeSettings() {
    Shell::OpenDateTimeSettings();
}

// --- database compaction ---

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    // Only item 0 of the title pictures compacts; both drag the window.
    if (watched == titlePictures_[0] && event->type() == QEvent::MouseButtonDblClick) {
        emit compactionRequested();
        return true;
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void MainWindow::WatchCompaction() {
    connect(&state_, &RunState::compactionStarting, this, [this] {
        // The compaction needs the file let go everywhere, and reads it through itself: the
        // run's first reading stops (a moment) and is not started later.
        delete openingCheck_;
        statusLine_->setText(QStringLiteral("電話帳を最適化します。"));
    });
    connect(&state_, &RunState::compactionFinished, this,
            [this] { ShowIdleStatus(WaitingLine()); });
}

// --- window events ---

void MainWindow::showEvent(QShowEvent *event) {
    SkinnedWindow::showEvent(event);
    // Without a window manager a shown window may never be activated; the first show counts.
    QTimer::singleShot(0, this, [this] {
        if (!settingsPanel_->setupOpen())
            MainWindowActivation();
    });
}

void MainWindow::paintEvent(QPaintEvent *event) {
    SkinnedWindow::paintEvent(event);
    if (openingCheck_ && !openingCheck_->started())
        QTimer::singleShot(0, this, &MainWindow::StartOpeningCheck);
}

void MainWindow::hideEvent(QHideEvent *event) {
    SkinnedWindow::hideEvent(event);
    StartOpeningCheck();
}

void MainWindow::StartOpeningCheck() {
    if (openingCheck_)
        openingCheck_->start();
}

void MainWindow::changeEvent(QEvent *event) {
    SkinnedWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        !settingsPanel_->setupOpen())
        MainWindowActivation();
}

void MainWindow::QueryUnload() {
    state_.changeSettings([this](Settings &s) {
        s.MainLeft = WindowChrome::PixelsToTwipsX(x());
        s.MainTop = WindowChrome::PixelsToTwipsY(y());
    });
    // The program writes the settings, the window's place included.
    emit closing();
}

void MainWindow::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    clockTick_.stop();
    callDisplayEnd_.stop();
    returnToTray_.stop();
    // The program closes the link, the tray icon and the ring with this.
    emit unloaded();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!unloaded_) {
        QueryUnload();
        Unload();
    }
    event->accept();
}
