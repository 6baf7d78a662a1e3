#include "ui/main/MainWindow.h"

#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "callerid/CallLookup.h"
#include "callerid/TaLink.h"
#include "db/Database.h"
#include "platform/Clock.h"
#include "platform/desktop/RingPlayer.h"
#include "platform/desktop/Shell.h"
#include "platform/desktop/TrayIcon.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/BevelPanel.h"
#include "ui/controls/DigitalClock.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <optional>

namespace {

using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

void PlaceTwips(QWidget *w, int left, int top, int width, int height) {
    w->setGeometry(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width),
                   TwipsToPixelsY(height));
}

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

// The command buttons of the main panel: position (twips in Picture3), tooltip, pressed face
// and normal face (the toggles' normal faces follow their state instead).
struct CommandButton {
    int left, top;
    const char *tip;
    int pressed, normal;
};
const CommandButton Commands[MainWindow::CommandCount] = {
    {0, 2355, "終了", 103, 104},
    {540, 2355, "設定", 101, 102},
    {1080, 2355, "常に前面に表示する。", 115, 116},
    {1620, 2355, "着信音　ON/OFF", 119, 120},
    {2700, 2355, "電話帳のメンテナンス", 117, 118},
    {3270, 690, "メモを書き込む", 105, 106},
    {3270, 1770, "着信履歴表示", 109, 110},
    {3240, 2355, "Ａｂｏｕｔを表示します。", 123, 124},
    {2160, 2355, "日時・時間設定", 125, 126},
    {3270, 1230, "着信情報を電話帳に登録。", 111, 112},
};

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

MainWindow::MainWindow(QWidget *parent) : SkinnedWindow(WindowKind::Main, parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kolvane"));

    taLink = new TaLink(this);
    taLink->setReceiveGate([this] { return ReceiveGate(); });
    connect(taLink, &TaLink::blockRead, this, &MainWindow::MSComm1_OnComm);
    ring = new RingPlayer(this);
    setWindowIcon(ProgramIcon());
    Picture8 = new TrayIcon(TrayPicture(), this);
    connect(Picture8, &TrayIcon::leftButtonDown, this, &MainWindow::TrayIconClicked);

    Timer1.setInterval(900);
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    Timer2.setInterval(5000);
    connect(&Timer2, &QTimer::timeout, this, &MainWindow::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &MainWindow::Timer3_Timer);

    BuildLayout();
    FormLoad();
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
    Picture7->setPressedFace(251);
    Picture7->move(TwipsToPixelsX(2640), TwipsToPixelsY(165));
    connect(Picture7, &ImageButton::clicked, this,
            [this] { SendToTray(QStringLiteral("コルベーン！"), TrayOrder::WindowFirst); });

    Picture5 = new ImageButton(20, 20, this);
    Picture5->setObjectName(QStringLiteral("Picture5"));
    Picture5->setToolTip(QStringLiteral("終了"));
    Picture5->setPressedFace(181);
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
        Picture6[i]->setPressedFace(i == 0 ? 189 : 191);
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
        const CommandButton &c = Commands[i];
        auto *button = new ImageButton(35, 35, Picture3);
        button->setObjectName(QStringLiteral("Picture4(%1)").arg(i));
        button->setToolTip(QString::fromUtf8(c.tip));
        button->setPressedFace(c.pressed);
        button->move(TwipsToPixelsX(c.left), TwipsToPixelsY(c.top));
        connect(button, &ImageButton::clicked, this, [this, i] { CommandClicked(i); });
        Picture4[i] = button;
    }
    Picture4[KeepOnTop]->setNormalFace([this] { return KeepOnTopFace(); });
    Picture4[RingOnOff]->setNormalFace([this] { return RingFace(); });
    Picture4[Memo]->setNormalFace([this] { return MemoPanelOpen ? 105 : 106; });
    Picture4[Memo]->setDisabledFace(113);
    Picture4[Register]->setDisabledFace(114);
}

void MainWindow::FormLoad() {
    // 1-2: the program's folder is the current directory for every relative file name.
    QDir::setCurrent(Program::AppFolder);
    // 3: no caption bar: a skinned window is made without one and paints its own frame.
    settings.ShowDate = 0;
    CreateSpinControl();
    FirstActivation = true;

    const QString path = Program::filePath(QStringLiteral("Kolvane.ini"));
    SettingsFileFound = QFileInfo::exists(path) ? QStringLiteral("Kolvane.ini") : QString();
    bool loaded = !SettingsFileFound.isEmpty() && ReadSettingsFile(path, settings);
    if (!loaded) {
        // A damaged file behaves like a missing one: defaults, and no TA link at first activation.
        SettingsFileFound.clear();
        const QRect screen = QGuiApplication::primaryScreen()
                                 ? QGuiApplication::primaryScreen()->geometry()
                                 : QRect(0, 0, 1024, 768);
        ApplyDefaultSettings(settings, WindowChrome::PixelsToTwipsX(screen.width()),
                             WindowChrome::PixelsToTwipsY(screen.height()), MainPanelHeight);
    }
    LoadButtonFaces();
    // The first opening of a run reads the call database through for damage; done here, it
    // does not delay the first call (and a fresh install has its database from the start).
    db::Database(Program::filePath(QStringLiteral("Kolvane.mdb")));
    // 12: place the window.
    setGeometry(TwipsToPixelsX(settings.MainLeft), TwipsToPixelsY(settings.MainTop),
                TwipsToPixelsX(WindowWidth), TwipsToPixelsY(MainPanelHeight + 675 + 200));
}

void MainWindow::LoadButtonFaces() {
    for (int i = 0; i < CommandCount; ++i)
        Picture4[i]->setFace(Commands[i].normal);
    Picture4[KeepOnTop]->setFace(KeepOnTopFace());
    if (settings.AlwaysOnTop != 0)
        WindowChrome::ApplyTopMost(this, true, this, true);
    Picture4[RingOnOff]->setFace(RingFace());
    // Memo and register wait for the first call.
    Picture4[Memo]->setEnabled(false);
    Picture4[Register]->setEnabled(false);
    Picture5->setFace(182);
    Picture6[0]->setFace(TimeButtonFace());
    Picture6[1]->setFace(DateButtonFace());
    ShowClockMode();
    Picture7->setFace(252);
}

void MainWindow::ShowClockMode() {
    if (settings.ShowDate != 0) {
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

bool MainWindow::InitTerminalAdapter() {
    QDir::setCurrent(Program::AppFolder);
    // A second set-up (new port settings) starts from a closed port and sends the command again.
    taLink->close();
    taLink->setLinkUp(false);
    if (!taLink->open(settings)) {
        SettingsFileFound.clear();
        MainWindowActivation();
        return false;
    }
    Label5->setText(Waiting);
    FirstActivation = false;
    taLink->setLinkUp(true);
    return true;
}

void MainWindow::OpenSetupPanel() {
    SettingsPanelOpen = true;
    // The set-up panel takes the place of the call lines; until it is open, say what it is for.
    Label5->setText(QStringLiteral("接続ポートを設定してください"));
}

void MainWindow::MainWindowActivation() {
    if (!FirstActivation)
        return;
    if (!SettingsFileFound.isEmpty()) {
        InitTerminalAdapter();
        if (settings.TrayMode == 1)
            SendToTray(QStringLiteral("Zelmora"), TrayOrder::IconFirst);
    } else {
        OpenSetupPanel();
    }
}

// --- the receive event ---

bool MainWindow::ReceiveGate() {
    // While the database is compacted nothing is read; the report waits in the buffer.
    if (Program::CompactionBusy)
        return false;
    call.CallerName.clear();
    call.CallerAddress.clear();
    call.CallerZip.clear();
    call.NumberRemark.clear();
    call.CallerId = 0;
    return true;
}

void MainWindow::MSComm1_OnComm(const QByteArray &block) {
    const std::optional<QString> field = ParseCallReport(DecodeSerialBlock(block));
    if (!field)
        return;
    const QDateTime now = Clock::now();
    call.CallTime = JapaneseTimeText(now);
    call.CallDate = JapaneseDateText(now);
    HandleIncomingCall(*field);
}

void MainWindow::HandleIncomingCall(const QString &callerField) {
    if (isMinimized() || !isVisible())
        BringBackFromTray();
    Label5->clear();
    Label6->clear();
    Label7->clear();
    Label8->clear();
    call.Number = CallerNumberOfField(callerField);

    ShowStatus(CallColour, QStringLiteral("着信中．．．"));
    Timer1.stop();
    CtlDigital1->setHighlight(true);

    // One connection for the call's lookup and its history row.
    db::Database database(Program::filePath(QStringLiteral("Kolvane.mdb")));

    if (const std::optional<QString> reason = ReasonText(call.Number)) {
        Label6->setText(*reason);
        CtlDigital1->setText(NoNumberOnClock);
    } else {
        CtlDigital1->setText(call.Number);
        LookUpOwnPhonebook(database, call);
        Label6->setText(call.NumberRemark.isEmpty() ? call.Number
                                                    : call.Number + QStringLiteral(" （") +
                                                          call.NumberRemark + QStringLiteral("）"));
        LookUpReferencePhonebook(settings, call);
        Label7->setText(call.CallerName);
        // A caller already in the phonebook needs no registering.
        const bool known = call.CallerId != 0;
        Picture4[Register]->setFace(112);
        Picture4[Register]->setEnabled(!known);
        Label8->setText(call.CallerAddress);
        Label8->setToolTip(call.CallerAddress);
    }

    PlayRingSound();

    if (AppendHistoryRow(database, call, {Label6->text(), Label7->text(), Label8->text()}))
        emit historyChanged();
    database.close();

    Timer2.start();
    StartReturnToTray();
    if (!MemoPanelOpen) {
        Picture4[Memo]->setFace(106);
        Picture4[Memo]->setEnabled(true);
    }
    emit callHandled();
}

void MainWindow::Timer2_Timer() {
    Timer2.stop();
    CtlDigital1->setHighlight(false);
    if (settings.ShowDate != 0)
        CtlDigital1->setText(TodayOnClock());
    else
        Timer1.start();
    ShowStatus(IdleColour, Waiting);
}

void MainWindow::ShowStatus(const QColor &colour, const QString &state) {
    QPalette palette = Label5->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label5->setPalette(palette);
    Label5->setText(StatusLine(state, call.CallTime));
}

void MainWindow::PlayRingSound() {
    if (!settings.RingFile.isEmpty() && settings.RingOn == 1)
        ring->play(settings.RingFile);
}

void MainWindow::StopRingSound() {
    ring->stop();
}

// --- tray ---

void MainWindow::SendToTray(const QString &tip, TrayOrder order) {
    // Without a notification area a hidden window could never come back: minimise only.
    if (!TrayIcon::available()) {
        showMinimized();
        return;
    }
    if (order == TrayOrder::IconFirst)
        Picture8->add(tip);
    showMinimized();
    hide();
    if (order == TrayOrder::WindowFirst)
        Picture8->add(tip);
}

void MainWindow::BringBackFromTray() {
    show();
    showNormal();
    raise();
    activateWindow();
    Picture8->remove();
}

int MainWindow::TrayDelayMs() const {
    // The set-up panel offers 10 to 600 seconds; a value outside (a hand-edited file, a text
    // without a number) would send the window back before the call could be read, or never.
    return std::clamp<int>(settings.TrayDelaySeconds, 10, 600) * 1000;
}

void MainWindow::Timer3_Timer() {
    Timer3.stop();
    Timer3.setInterval(0);
    SendToTray(QStringLiteral("コルベーン！"), TrayOrder::IconFirst);
}

void MainWindow::TrayIconClicked() {
    BringBackFromTray();
    StartReturnToTray();
}

void MainWindow::StartReturnToTray() {
    if (settings.TrayMode == 1) {
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
    case KeepOnTop:
        settings.AlwaysOnTop = settings.AlwaysOnTop != 0 ? 0 : 1;
        Picture4[KeepOnTop]->setFace(KeepOnTopFace());
        WindowChrome::ApplyTopMost(this, settings.AlwaysOnTop != 0, this,
                                   settings.AlwaysOnTop != 0);
        break;
    case RingOnOff:
        settings.RingOn = settings.RingOn != 0 ? 0 : 1;
        Picture4[RingOnOff]->setFace(RingFace());
        if (settings.RingOn == 0)
            StopRingSound();
        break;
    case DateTime:
        OpenDateTimeSettings();
        break;
    default:
        // Settings, phonebook, memo, history, About and register open windows of their own.
        break;
    }
}

void MainWindow::ClockButtonClicked(int item) {
    // A click on the mode already shown changes nothing.
    if (item == 1 && settings.ShowDate == 0) {
        settings.ShowDate = 1;
        Timer1.stop();
        CtlDigital1->setText(TodayOnClock());
    } else if (item == 0 && settings.ShowDate == 1) {
        settings.ShowDate = 0;
        Timer1.start();
    } else {
        return;
    }
    Picture6[0]->setFace(TimeButtonFace());
    Picture6[1]->setFace(DateButtonFace());
}

// The faces that show a toggle's state.
int MainWindow::KeepOnTopFace() const {
    return settings.AlwaysOnTop != 0 ? 115 : 116;
}
int MainWindow::RingFace() const {
    return settings.RingOn != 0 ? 119 : 120;
}
int MainWindow::TimeButtonFace() const {
    return settings.ShowDate != 0 ? 190 : 189;
}
int MainWindow::DateButtonFace() const {
    return settings.ShowDate != 0 ? 191 : 192;
}

void MainWindow::OpenDateTimeSettings() {
    Shell::OpenDateTimeSettings();
}

// --- window events ---

void MainWindow::showEvent(QShowEvent *event) {
    SkinnedWindow::showEvent(event);
    // Without a window manager a shown window may never be activated; the first show counts.
    QTimer::singleShot(0, this, [this] {
        if (!SettingsPanelOpen)
            MainWindowActivation();
    });
}

void MainWindow::changeEvent(QEvent *event) {
    SkinnedWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !SettingsPanelOpen)
        MainWindowActivation();
}

void MainWindow::QueryUnload() {
    QDir::setCurrent(Program::AppFolder);
    settings.MainLeft = WindowChrome::PixelsToTwipsX(x());
    settings.MainTop = WindowChrome::PixelsToTwipsY(y());
    WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), settings);
}

void MainWindow::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    StopRingSound();
    taLink->close();
    Picture8->remove();
    emit unloaded();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!unloaded_) {
        QueryUnload();
        Unload();
    }
    event->accept();
}
