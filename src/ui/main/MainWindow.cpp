#include "ui/main/MainWindow.h"
#include "ui/main/SettingsPanel.h"

#include "callerid/CallLookup.h"
#include "callerid/CallReport.h"
#include "db/Database.h"
#include "platform/Clock.h"
#include "platform/desktop/Shell.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/BevelPanel.h"
#include "ui/controls/DigitalClock.h"
#include "ui/main/MemoPanel.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <algorithm>
#include <optional>

namespace {

using namespace MainFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

using WindowChrome::PlaceTwips;

const QColor CallColour(255, 0, 0);   // colour value 255
const QColor IdleColour(255, 128, 0); // colour value 33023
const QString Waiting = QStringLiteral("待機中．．．");
const QString NoNumberOnClock = QStringLiteral("-----------");

QString StatusLine(const QString &state, const QString &time) {
    return state + QStringLiteral("      ( ") + time + QStringLiteral(" )");
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
    : SkinnedWindow(WindowKind::Main, parent), state(state) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kolvane"));
    setWindowIcon(ProgramIcon());

    Timer1.setInterval(900);
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    Timer2.setInterval(5000);
    connect(&Timer2, &QTimer::timeout, this, &MainWindow::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &MainWindow::Timer3_Timer);

    BuildLayout();
    FormLoad();
    WatchCompaction();
}

MainWindow::~MainWindow() {
    Unload();
}

QTimer &MainWindow::timer(int number) {
    return number == 1 ? Timer1 : number == 2 ? Timer2 : Timer3;
}

void MainWindow::BuildLayout() {
    // Title area.
    auto *icon = new QLabel(this);
    icon->setPixmap(TitleIcon());
    PlaceTwips(icon, 240, 180, 360, 360);
    auto *logo = new QLabel(this);
    logo->setPixmap(TitleLogo());
    PlaceTwips(logo, 660, 165, 1920, 450);
    Image1[0] = icon;
    Image1[1] = logo;
    for (int i = 0; i < 2; ++i) {
        Image1[i]->setObjectName(QStringLiteral("Image1(%1)").arg(i));
        addDragSurface(Image1[i]);
    }

    Picture7 = new ImageButton(70, 30, this);
    Picture7->setObjectName(QStringLiteral("Picture7"));
    Picture7->setToolTip(QStringLiteral("システムトレーに入れる。"));
    Picture7->setPressedFace(TrayPressed);
    Picture7->move(TwipsToPixelsX(2640), TwipsToPixelsY(165));
    connect(Picture7, &ImageButton::clicked, this,
            [this] { emit trayRequested(QStringLiteral("コルベーン！"), TrayOrder::WindowFirst); });

    Picture5 = new ImageButton(20, 20, this);
    Picture5->setObjectName(QStringLiteral("Picture5"));
    Picture5->setToolTip(QStringLiteral("終了"));
    Picture5->setPressedFace(ClosePressed);
    Picture5->move(TwipsToPixelsX(3735), TwipsToPixelsY(225));
    connect(Picture5, &ImageButton::clicked, this, &QWidget::close);

    // The main panel.
    Picture3 = new QWidget(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    PlaceTwips(Picture3, 225, 615, 3855, MainPanelHeight);
    addDragSurface(Picture3);

    // The bevelled frames lie behind the clock and the call lines.
    const auto bevel = [this](const char *name, int left, int top, int width, int height) {
        auto *frame = new BevelPanel(Picture3);
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

    CtlDigital1 = new DigitalClock(Picture3);
    PlaceTwips(CtlDigital1, 90, 150, 2970, 405);
    connect(CtlDigital1, &DigitalClock::doubleClicked, this, &MainWindow::OpenDateTimeSettings);

    for (int i = 0; i < 2; ++i) {
        Picture6[i] = new ImageButton(32, 20, Picture3);
        Picture6[i]->setObjectName(QStringLiteral("Picture6(%1)").arg(i));
        Picture6[i]->move(TwipsToPixelsX(3290), TwipsToPixelsY(i == 0 ? 90 : 380));
        Picture6[i]->setPressedFace(i == 0 ? TimeButtonInForce : DateButtonInForce);
        connect(Picture6[i], &ImageButton::clicked, this, [this, i] { ClockButtonClicked(i); });
    }
    // A release outside shows the faces of the mode in force.
    Picture6[0]->setNormalFace([this] { return TimeButtonFace(); });
    Picture6[1]->setNormalFace([this] { return DateButtonFace(); });

    Picture14 = new QWidget(Picture3);
    Picture14->setObjectName(QStringLiteral("Picture14"));
    PlaceTwips(Picture14, 90, 765, 3045, 1515);
    // The call lines are part of the display: light text on its black.
    Picture14->setAutoFillBackground(true);
    QPalette display = Picture14->palette();
    display.setColor(QPalette::Window, Qt::black);
    display.setColor(QPalette::WindowText, QColor(235, 235, 235));
    Picture14->setPalette(display);
    Label5 = CallLine(Picture14, "Label5", 30, 300, 9, false);
    Label6 = CallLine(Picture14, "Label6", 360, 390, 11, true);
    Label7 = CallLine(Picture14, "Label7", 780, 390, 11, true);
    Label8 = CallLine(Picture14, "Label8", 1200, 300, 9, false);

    for (int i = 0; i < CommandCount; ++i) {
        ImageButton *button =
            MakeFaceButton(Commands[i], 35, 35, Picture3, QStringLiteral("Picture4(%1)").arg(i));
        connect(button, &ImageButton::clicked, this, [this, i] { CommandClicked(i); });
        Picture4[i] = button;
    }
    Picture4[KeepOnTop]->setNormalFace([this] { return KeepOnTopFace(); });
    Picture4[RingOnOff]->setNormalFace([this] { return RingFace(); });
    Picture4[Memo]->setNormalFace(
        [this] { return state.MemoPanelOpen ? MemoPanelShown : MemoReady; });
    Picture4[Memo]->setDisabledFace(MemoDisabled);
    Picture4[Register]->setDisabledFace(RegisterDisabled);
    BuildMemoPanel();
    BuildSettingsPanel();
}

void MainWindow::FormLoad() {
    // 1-2: the program's folder is the current directory for every relative file name.
    QDir::setCurrent(Program::AppFolder);
    // 3: no caption bar: a skinned window is made without one and paints its own frame.
    Settings settings = state.settings();
    settings.ShowDate = 0;
    CreateSpinControl();
    state.FirstActivation = true;

    // A damaged file behaves like a missing one: defaults (keeping where the TA is), and no TA
    // link at first activation; the user is told, and the file is kept beside before the
    // first write over it.
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    const SettingsFileState read =
        LoadSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), settings,
                         WindowChrome::PixelsToTwipsX(screen.width()),
                         WindowChrome::PixelsToTwipsY(screen.height()), MainPanelHeight);
    state.SettingsFileFound =
        read == SettingsFileState::Read ? QStringLiteral("Kolvane.ini") : QString();
    ShowSettingsFileNotice(read == SettingsFileState::Damaged);
    state.setSettings(settings);
    LoadButtonFaces();
    // The first opening of a run reads the call database through for damage; done here, it
    // does not delay the first call (and a fresh install has its database from the start).
    const db::Database calls(Program::DatabasePath());
    state.announceHistoryWritable(db::ProblemText(calls.problem()));
    if (!state.CallHistoryProblem.isEmpty())
        ShowIdleStatus(QString());
    // 12: place the window.
    // A position saved for a screen that is gone is shown on the screen there is.
    const QRect saved(TwipsToPixelsX(settings.MainLeft), TwipsToPixelsY(settings.MainTop),
                      TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));
    setGeometry(QRect(WindowChrome::VisiblePosition(saved), saved.size()));
}

void MainWindow::LoadButtonFaces() {
    for (int i = 0; i < CommandCount; ++i)
        Picture4[i]->setFace(Commands[i].normal);
    Picture4[KeepOnTop]->setFace(KeepOnTopFace());
    if (state.settings().AlwaysOnTop != 0)
        WindowChrome::ApplyTopMost(this, true, this, true);
    Picture4[RingOnOff]->setFace(RingFace());
    // Memo and register wait for the first call.
    Picture4[Memo]->setEnabled(false);
    Picture4[Register]->setEnabled(false);
    Picture5->setFace(CloseNormal);
    Picture6[0]->setFace(TimeButtonFace());
    Picture6[1]->setFace(DateButtonFace());
    ShowClockMode();
    Picture7->setFace(TrayNormal);
}

void MainWindow::ShowClockMode() {
    if (state.settings().ShowDate != 0) {
        Timer1.stop();
        CtlDigital1->setText(TodayOnClock());
    } else {
        Timer1_Timer();
        Timer1.start();
    }
}

void MainWindow::Timer1_Timer() {
    CtlDigital1->setText(JapaneseTimeText(Clock::now()));
}

// --- TA link ---

void MainWindow::ShowLinkUp() {
    ShowIdleStatus(Waiting);
}

void MainWindow::ShowLinkLost() {
    QPalette palette = Label5->palette();
    palette.setColor(QPalette::WindowText, IdleColour);
    Label5->setPalette(palette);
    Label5->setText(QStringLiteral("ＴＡとの接続が切れました。"));
    Label5->setToolTip(QStringLiteral("再接続を待っています．．．"));
}

// --- settings and set-up panels ---

void MainWindow::BuildSettingsPanel() {
    SettingsPanel::Host host;
    host.window = this;
    host.Picture3 = Picture3;
    host.Label5 = Label5;
    host.ringButton = Picture4[RingOnOff];
    host.Timer3 = &Timer3;
    host.startReturnToTray = [this] { StartReturnToTray(); };
    settingsPanel_ = new SettingsPanel(state, host);
    connect(settingsPanel_, &SettingsPanel::linkRestartRequested, this,
            &MainWindow::linkRestartRequested);
    connect(settingsPanel_, &SettingsPanel::referenceSettingsRequested, this,
            &MainWindow::referenceSettingsRequested);
    connect(settingsPanel_, &SettingsPanel::closeRequested, this, &QWidget::close);
}

void MainWindow::CreateSpinControl() {
    settingsPanel_->CreateSpinControl();
}

void MainWindow::OpenSetupPanel() {
    settingsPanel_->OpenForSetup();
}

void MainWindow::MainWindowActivation() {
    if (!state.FirstActivation)
        return;
    if (!state.SettingsFileFound.isEmpty()) {
        // InitTerminalAdapter: on failure it empties SettingsFileFound and comes back here.
        emit linkSetupRequested();
        if (state.settings().TrayMode == 1)
            emit trayRequested(QStringLiteral("Zelmora"), TrayOrder::IconFirst);
    } else {
        OpenSetupPanel();
    }
}

// --- the call path, as the call handler reports it ---

void MainWindow::ShowCallArriving() {
    // 9
    Label5->clear();
    Label6->clear();
    Label7->clear();
    Label8->clear();
    // 11
    ShowStatus(CallColour, QStringLiteral("着信中．．．"));
    // 12
    Timer1.stop();
    CtlDigital1->setHighlight(true);
}

void MainWindow::ShowCaller(const CallDisplay &display) {
    // 13-14
    ShowFitted(Label6, display.NumberLine);
    CtlDigital1->setText(display.ClockText);
    if (display.Withheld)
        return;
    // 18-20: a caller already in the phonebook needs no registering.
    ShowFitted(Label7, display.NameLine);
    Picture4[Register]->setFace(RegisterReady);
    Picture4[Register]->setEnabled(!display.InPhonebook);
    ShowFitted(Label8, display.AddressLine);
}

void MainWindow::ShowCallHandled() {
    // 24-26
    Timer2.start();
    StartReturnToTray();
    if (!state.MemoPanelOpen) {
        Picture4[Memo]->setFace(MemoReady);
        Picture4[Memo]->setEnabled(true);
    }
}

void MainWindow::Timer2_Timer() {
    Timer2.stop();
    CtlDigital1->setHighlight(false);
    if (state.settings().ShowDate != 0)
        CtlDigital1->setText(TodayOnClock());
    else
        Timer1.start();
    ShowIdleStatus(StatusLine(Waiting, state.call.CallTime));
}

void MainWindow::ShowIdleStatus(const QString &waiting) {
    QPalette palette = Label5->palette();
    palette.setColor(QPalette::WindowText, IdleColour);
    Label5->setPalette(palette);
    // A call keeps its red status; the notice replaces the idle line when Timer2 ends it.
    if (state.CallHistoryProblem.isEmpty()) {
        Label5->setText(waiting);
        Label5->setToolTip(QString());
    } else {
        ShowFitted(Label5, QStringLiteral("着信履歴に記録できません（") + state.CallHistoryProblem +
                               QStringLiteral("）"));
    }
}

void MainWindow::ShowSettingsFileNotice(bool damaged) {
    if (!damaged) {
        if (settingsNotice_)
            settingsNotice_->hide();
        return;
    }
    if (!settingsNotice_) {
        // Above the set-up panel, which opens for a file that does not read.
        settingsNotice_ = new QLabel(this);
        settingsNotice_->setObjectName(QStringLiteral("SettingsNotice"));
        settingsNotice_->setTextFormat(Qt::PlainText);
        settingsNotice_->setWordWrap(true);
        QPalette palette = settingsNotice_->palette();
        palette.setColor(QPalette::WindowText, QColor(192, 64, 0));
        settingsNotice_->setPalette(palette);
        PlaceTwips(settingsNotice_, 300, 660, 3705, 600);
        // Applied settings are written over the file (kept beside as Kolvane.ini.damaged).
        connect(this, &MainWindow::linkRestartRequested, settingsNotice_, &QWidget::hide);
    }
    settingsNotice_->setText(QStringLiteral("Kolvane.ini を読めなかったため、既定の設定で始めました"
                                            "（元のファイルは Kolvane.ini.damaged に残します）。"));
    settingsNotice_->show();
}

void MainWindow::ShowStatus(const QColor &colour, const QString &what) {
    QPalette palette = Label5->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label5->setPalette(palette);
    Label5->setText(StatusLine(what, state.call.CallTime));
}

// --- tray ---

int MainWindow::TrayDelayMs() const {
    // The set-up panel offers 10 to 600 seconds; a value outside (a hand-edited file, a text
    // without a number) would send the window back before the call could be read, or never.
    return std::clamp<int>(state.settings().TrayDelaySeconds, 10, 600) * 1000;
}

void MainWindow::Timer3_Timer() {
    Timer3.stop();
    Timer3.setInterval(0);
    emit trayRequested(QStringLiteral("コルベーン！"), TrayOrder::IconFirst);
}

void MainWindow::StartReturnToTray() {
    if (state.settings().TrayMode == 1) {
        Timer3.setInterval(TrayDelayMs());
        Timer3.start();
    }
}

// --- commands ---

void MainWindow::CommandClicked(int item) {
    switch (item) {
    case Exit:
        close();
        break;
    case KeepOnTop: {
        state.changeSettings([](Settings &s) { s.AlwaysOnTop = s.AlwaysOnTop != 0 ? 0 : 1; });
        const bool onTop = state.settings().AlwaysOnTop != 0;
        Picture4[KeepOnTop]->setFace(KeepOnTopFace());
        WindowChrome::ApplyTopMost(this, onTop, this, onTop);
        break;
    }
    case RingOnOff:
        // Ring off also stops a ring that is playing (the program hears the change).
        state.changeSettings([](Settings &s) { s.RingOn = s.RingOn != 0 ? 0 : 1; });
        Picture4[RingOnOff]->setFace(RingFace());
        break;
    case DateTime:
        OpenDateTimeSettings();
        break;
    case Memo:
        if (state.MemoPanelOpen)
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
    const qint16 showDate = state.settings().ShowDate;
    if (item == 1 && showDate == 0) {
        state.changeSettings([](Settings &s) { s.ShowDate = 1; });
        Timer1.stop();
        CtlDigital1->setText(TodayOnClock());
    } else if (item == 0 && showDate == 1) {
        state.changeSettings([](Settings &s) { s.ShowDate = 0; });
        Timer1.start();
    } else {
        return;
    }
    Picture6[0]->setFace(TimeButtonFace());
    Picture6[1]->setFace(DateButtonFace());
}

// The faces that show a toggle's state.
int MainWindow::KeepOnTopFace() const {
    return state.settings().AlwaysOnTop != 0 ? KeepOnTopOn : KeepOnTopOff;
}
int MainWindow::RingFace() const {
    return state.settings().RingOn != 0 ? RingOn : RingOff;
}
int MainWindow::TimeButtonFace() const {
    return state.settings().ShowDate != 0 ? TimeButtonNotInForce : TimeButtonInForce;
}
int MainWindow::DateButtonFace() const {
    return state.settings().ShowDate != 0 ? DateButtonInForce : DateButtonNotInForce;
}

void MainWindow::OpenDateTimeSettings() {
    Shell::OpenDateTimeSettings();
}

// --- memo panel ---

void MainWindow::BuildMemoPanel() {
    Picture15 = new MemoPanel(this);
    connect(Picture15, &MemoPanel::saveClicked, this, &MainWindow::SaveMemoPanel);
    connect(Picture15, &MemoPanel::closeClicked, this, &MainWindow::HideMemoPanel);
}

void MainWindow::ShowMemoPanel() {
    state.MemoPanelOpen = true;
    Picture4[Memo]->setFace(MemoPanelShown);
    // 1-4: the panel keeps the call it opens for.
    Picture15->Load(state.call.HistoryId);
    // 5
    Picture15->move(TwipsToPixelsX(MemoPanel::Left), TwipsToPixelsY(MemoPanel::Top));
    const Settings &s = state.settings();
    setGeometry(TwipsToPixelsX(s.MainLeft), TwipsToPixelsY(s.MainTop),
                TwipsToPixelsX(MemoPanelWindowWidth), height());
    Picture15->show();
    Picture15->text()->setFocus();
}

QString MainWindow::MemoTextOf(qint32 historyId) const {
    if (historyId == 0 || Picture15->memoHistoryId() != historyId)
        return QString();
    return Picture15->text()->toPlainText();
}

void MainWindow::HideMemoPanel() {
    Picture15->hide();
    const Settings &s = state.settings();
    setGeometry(TwipsToPixelsX(s.MainLeft), TwipsToPixelsY(s.MainTop), TwipsToPixelsX(WindowWidth),
                height());
    state.MemoPanelOpen = false;
    Picture4[Memo]->setFace(MemoReady);
}

void MainWindow::SaveMemoPanel() {
    // An open history window shows the new memo.
    if (Picture15->Save())
        state.announceHistoryChanged();
    HideMemoPanel();
}

// --- database compaction ---

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    // Only item 0 of the title pictures compacts; both drag the window.
    if (watched == Image1[0] && event->type() == QEvent::MouseButtonDblClick) {
        emit compactionRequested();
        return true;
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void MainWindow::WatchCompaction() {
    connect(&state, &RunState::compactionStarting, this,
            [this] { Label5->setText(QStringLiteral("電話帳を最適化します。")); });
    connect(&state, &RunState::compactionFinished, this, [this] { ShowIdleStatus(Waiting); });
}

// --- window events ---

void MainWindow::showEvent(QShowEvent *event) {
    SkinnedWindow::showEvent(event);
    // Without a window manager a shown window may never be activated; the first show counts.
    QTimer::singleShot(0, this, [this] {
        if (!state.SettingsPanelOpen)
            MainWindowActivation();
    });
}

void MainWindow::changeEvent(QEvent *event) {
    SkinnedWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !state.SettingsPanelOpen)
        MainWindowActivation();
}

void MainWindow::QueryUnload() {
    QDir::setCurrent(Program::AppFolder);
    state.changeSettings([this](Settings &s) {
        s.MainLeft = WindowChrome::PixelsToTwipsX(x());
        s.MainTop = WindowChrome::PixelsToTwipsY(y());
    });
    WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), state.settings());
}

void MainWindow::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
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
