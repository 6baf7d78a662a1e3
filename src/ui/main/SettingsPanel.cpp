#include "ui/main/SettingsPanel.h"

#include "platform/desktop/FileChooser.h"
#include "platform/desktop/UpDown.h"
#include "runstate/RunState.h"
#include "settings/EnteredValues.h"
#include "settings/Warnings.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/BevelPanel.h"
#include "ui/main/MainFaces.h"
#include "ui/main/SettingsPanelFaces.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QTimer>
#include <utility>

namespace {

using namespace SettingsPanelFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

using WindowChrome::PlaceTwips;

template <typename W> W *Named(W *w, const QString &name) {
    w->setObjectName(name);
    return w;
}

QLabel *Caption(QWidget *parent, const char *name, const char *text) {
    auto *label = Named(new QLabel(QString::fromUtf8(text), parent), QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget *Panel(QWidget *parent, const char *name) {
    auto *panel = Named(new QWidget(parent), QString::fromLatin1(name));
    // The panels cover the main panel: nothing of it shows through.
    panel->setAutoFillBackground(true);
    panel->hide();
    return panel;
}

BevelPanel *Decoration(QWidget *parent, const char *name, int left, int top, int width,
                       int height) {
    auto *bevel = Named(new BevelPanel(parent), QString::fromLatin1(name));
    bevel->setOuterEdge(BevelPanel::Raised);
    bevel->setInnerEdge(BevelPanel::None);
    bevel->setBackColor(parent->palette().color(QPalette::Window));
    bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
    PlaceTwips(bevel, left, top, width, height);
    return bevel;
}

const QString RingTip = QStringLiteral("着信音　ON/OFF");
const QString NoRingTip = QStringLiteral("着信音が設定されてません。着信音を設定してください。");

} // namespace

SettingsPanel::SettingsPanel(RunState &state, const Host &host)
    : QObject(host.window), state_(state), host_(host) {
    Build();
}

void SettingsPanel::Build() {
    BuildUpperPanel();
    BuildLowerPanel();
    // For a screen reader: the ring file's caption stands above its box, and "..." says little.
    ringFileText_->setAccessibleName(QStringLiteral("着信時の再生音"));
    chooseRingButton_->setAccessibleName(QStringLiteral("再生音のファイルを選ぶ"));
}

void SettingsPanel::BuildUpperPanel() {
    upperPanel_ = Panel(host_.window, "Picture9");
    PlaceTwips(upperPanel_, PanelLeft, UpperPanelTop, PanelWidth, UpperPanelHeight);
    Decoration(upperPanel_, "BevelPanel3", 0, 0, PanelWidth, 2310);
    Decoration(upperPanel_, "BevelPanel4", 0, 2355, PanelWidth, 555);

    windowFrame_ = Named(new QGroupBox(QStringLiteral("着信ウインドウ設定"), upperPanel_),
                         QStringLiteral("Frame1"));
    PlaceTwips(windowFrame_, 90, 60, 3645, 2190);
    trayModeOptions_[0] = Named(new QRadioButton(QStringLiteral("待機時も常時表示"), windowFrame_),
                                QStringLiteral("Option1(0)"));
    PlaceTwips(trayModeOptions_[0], 150, 270, 3400, 285);
    trayModeOptions_[1] =
        Named(new QRadioButton(QStringLiteral("待機時は、システムトレーに入れる"), windowFrame_),
              QStringLiteral("Option1(1)"));
    PlaceTwips(trayModeOptions_[1], 150, 570, 3400, 285);
    for (int i = 0; i < 2; ++i)
        connect(trayModeOptions_[i], &QRadioButton::clicked, this,
                [this, i] { OnTrayModeClicked(i); });

    delayCaption_ = Caption(windowFrame_, "Label1", "表示時間　着信から");
    // From the options' left edge to the box, right-aligned: the whole caption shows.
    PlaceTwips(delayCaption_, 150, 930, 1830, 285);
    delayCaption_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The delay box and its spin control share one holder.
    delayBox_ = Named(new QWidget(windowFrame_), QStringLiteral("Picture11"));
    PlaceTwips(delayBox_, 1980, 885, 960, 360);
    delayText_ = Named(new QLineEdit(delayBox_), QStringLiteral("Text4"));
    delayText_->setGeometry(0, 0, delayBox_->width(), delayBox_->height());
    delayText_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    secondsCaption_ = Caption(windowFrame_, "Label2", "秒間");
    PlaceTwips(secondsCaption_, 3000, 930, 570, 285);

    ringCaption_ = Caption(windowFrame_, "Label3", "着信時の再生音（*.wav のみ）");
    PlaceTwips(ringCaption_, 150, 1365, 3400, 285);
    ringFileText_ = Named(new QLineEdit(windowFrame_), QStringLiteral("Text5"));
    PlaceTwips(ringFileText_, 150, 1680, 3000, 360);
    chooseRingButton_ =
        Named(new QPushButton(QStringLiteral("..."), windowFrame_), QStringLiteral("Command1"));
    PlaceTwips(chooseRingButton_, 3180, 1680, 390, 360);
    connect(chooseRingButton_, &QPushButton::clicked, this, &SettingsPanel::ChooseRingFile);

    referenceButton_ = Named(new QPushButton(QStringLiteral("参照データベースの設定"), upperPanel_),
                             QStringLiteral("Command2"));
    PlaceTwips(referenceButton_, 105, 2445, 2385, 390);
    connect(referenceButton_, &QPushButton::clicked, this,
            &SettingsPanel::referenceSettingsRequested);
    // Beside it, the way to the network window (NCID server and client).
    networkButton_ = Named(new QPushButton(QStringLiteral("ネットワーク"), upperPanel_),
                           QStringLiteral("networkButton"));
    networkButton_->setAccessibleName(QStringLiteral("ネットワークの設定"));
    networkButton_->setToolTip(
        QStringLiteral("ほかのコンピューターやスマートフォンとの着信の共有（NCID）"));
    PlaceTwips(networkButton_, 2535, 2445, 1200, 390);
    connect(networkButton_, &QPushButton::clicked, this, &SettingsPanel::networkSettingsRequested);
    BuildWarnings();
}

void SettingsPanel::BuildWarnings() {
    // A row of its own under the reference row, which keeps its width for its buttons.
    Decoration(upperPanel_, "BevelPanel5", 0, WarningsTop, PanelWidth, WarningsHeight);
    warnInternationalBox_ = Named(new QCheckBox(QStringLiteral("国際電話を警告する"), upperPanel_),
                                  QStringLiteral("WarnInternational"));
    warnInternationalBox_->setToolTip(
        QStringLiteral("電話帳にない国際電話（010…、＋…）を迷惑電話の可能性として表示します。"));
    warnInternationalBox_->setAccessibleName(QStringLiteral("国際電話を警告する"));
    PlaceTwips(warnInternationalBox_, 240, WarningsTop + 90, 3400, 285);
    silenceMarkedBox_ = Named(new QCheckBox(QStringLiteral("迷惑電話は鳴らさない"), upperPanel_),
                              QStringLiteral("SilenceMarked"));
    silenceMarkedBox_->setToolTip(
        QStringLiteral("迷惑電話の可能性がある着信では着信音を鳴らしません。"));
    silenceMarkedBox_->setAccessibleName(QStringLiteral("迷惑電話は鳴らさない"));
    PlaceTwips(silenceMarkedBox_, 240, WarningsTop + 405, 3400, 285);
    marksButton_ = Named(new QPushButton(QStringLiteral("迷惑電話の一覧…"), upperPanel_),
                         QStringLiteral("MarksButton"));
    marksButton_->setToolTip(
        QStringLiteral("迷惑電話として登録した番号を表示・削除し、一覧を読み込み・保存します。"));
    marksButton_->setAccessibleName(QStringLiteral("迷惑電話の一覧"));
    PlaceTwips(marksButton_, 600, WarningsTop + 780, 2625, 390);
    connect(marksButton_, &QPushButton::clicked, this, &SettingsPanel::marksListRequested);
}

void SettingsPanel::BuildLowerPanel() {
    lowerPanel_ = Panel(host_.window, "Picture10");
    PlaceTwips(lowerPanel_, PanelLeft, UpperPanelTop + UpperPanelHeight, PanelWidth,
               LowerPanelHeight);
    portFrame_ = Named(new QGroupBox(QStringLiteral("ＴＡとの接続ポート設定"), lowerPanel_),
                       QStringLiteral("Frame2"));
    PlaceTwips(portFrame_, 90, 0, 3645, 780);
    portCaption_ = Caption(portFrame_, "Label4", "ＴＡとの接続ポート");
    PlaceTwips(portCaption_, 120, 345, 1845, 285);
    portBox_ = Named(new QComboBox(portFrame_), QStringLiteral("Combo1"));
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);
    PlaceTwips(portBox_, 1980, 300, 1545, 360);

    const struct {
        int left, pressed, normal;
        const char *tip;
    } buttons[2] = {{ApplyLeft, ApplyPressed, ApplyNormal, "設定を有効にする。"},
                    {CancelLeft, CancelPressed, CancelNormal, "キャンセル"}};
    for (int i = 0; i < 2; ++i) {
        auto *b = Named(new ImageButton(ButtonWidth, ButtonHeight, lowerPanel_),
                        QStringLiteral("Picture12(%1)").arg(i));
        b->setToolTip(QString::fromUtf8(buttons[i].tip));
        b->setPressedFace(buttons[i].pressed);
        b->setFace(buttons[i].normal);
        b->move(TwipsToPixelsX(buttons[i].left), TwipsToPixelsY(ButtonsTop));
        applyCancelButtons_[i] = b;
    }
    connect(applyCancelButtons_[0], &ImageButton::clicked, this, &SettingsPanel::Apply);
    connect(applyCancelButtons_[1], &ImageButton::clicked, this, &SettingsPanel::Cancel);
}

void SettingsPanel::CreateSpinControl() {
    if (spin_)
        return;
    spin_ = Named(new UpDown(delayBox_), QStringLiteral("UpDown"));
    spin_->setRange(DelayLower, DelayUpper);
    spin_->setPosition(DelayInitial);
    spin_->setBuddy(delayText_);
}

void SettingsPanel::FillPortList() {
    // The serial devices present first, each with its description, so the user sees which
    // ports exist; then the numbered ports.
    portBox_->clear();
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        portBox_->addItem(EnteredValues::DeviceEntry(port.systemLocation(), port.description()),
                          port.systemLocation());
    for (int n = 1; n <= PortNumbersOffered; ++n)
        portBox_->addItem(QString::number(n));
}

bool SettingsPanel::isShown() const {
    // Asked of the window, not the screen: a window in the tray may hold the set-up panel.
    return lowerPanel_->isVisibleTo(host_.window);
}

void SettingsPanel::HoldReturnToTray() {
    // The window does not go to the tray while the user edits.
    host_.returnToTray->setInterval(0);
    host_.returnToTray->stop();
}

void SettingsPanel::Open() {
    HoldReturnToTray();
    // Panels that stepped aside for a call come back with what was typed in them.
    if (givenWay_ != Panels::None) {
        Resume();
        return;
    }
    ShowBothPanels();
    // The controls show the settings in force.
    LoadControls();
}

void SettingsPanel::ShowBothPanels() {
    // Both panels over the main panel, the window tall enough.
    upperPanel_->move(TwipsToPixelsX(PanelLeft), TwipsToPixelsY(UpperPanelTop));
    lowerPanel_->move(TwipsToPixelsX(PanelLeft), TwipsToPixelsY(UpperPanelHeight + UpperPanelTop));
    host_.window->resize(TwipsToPixelsX(MainFaces::WindowWidth),
                         TwipsToPixelsY(UpperPanelHeight + UpperPanelTop + LowerPanelHeight +
                                        WindowHeightBelowPanels));
    upperPanel_->show();
    lowerPanel_->show();
    upperPanel_->raise();
    lowerPanel_->raise();
    // Covered is not enough: Tab and a screen reader would still reach the commands below.
    host_.mainPanel->hide();
}

void SettingsPanel::GiveWay() {
    if (givenWay_ != Panels::None || !isShown())
        return;
    givenWay_ = setupOpen_ ? Panels::Setup : Panels::Settings;
    ShowMainPanel();
    upperPanel_->hide();
    lowerPanel_->hide();
}

void SettingsPanel::Resume() {
    const Panels was = std::exchange(givenWay_, Panels::None);
    if (was == Panels::None)
        return;
    HoldReturnToTray();
    if (was == Panels::Setup)
        ShowSetupPanel();
    else
        ShowBothPanels();
}

void SettingsPanel::LoadControls() {
    const Settings &s = state_.settings();
    const int chosen = s.TrayMode != 0 ? 1 : 0;
    trayModeOptions_[chosen]->setChecked(true);
    OnTrayModeClicked(chosen);
    delayText_->setText(QString::number(s.TrayDelaySeconds));
    ringFileText_->setText(s.RingFile);
    const Warnings warnings = Warnings::read();
    warnInternationalBox_->setChecked(warnings.InternationalCalls);
    silenceMarkedBox_->setChecked(warnings.SilenceMarked);
    FillPortList();
    portBox_->setEditText(EnteredValues::PortText(s));
}

void SettingsPanel::OpenForSetup() {
    setupOpen_ = true;
    givenWay_ = Panels::None;
    // Nothing sends the window to the tray while the port is chosen (a click on the tray icon
    // armed the return before).
    HoldReturnToTray();
    // The port box shows the port that did not open; empty when none was ever chosen.
    FillPortList();
    const Settings &s = state_.settings();
    portBox_->setEditText(s.PortName.isEmpty() && s.PortNumber == 0 ? QString()
                                                                    : EnteredValues::PortText(s));
    ShowSetupPanel();
}

void SettingsPanel::ShowSetupPanel() {
    host_.mainPanel->hide();
    lowerPanel_->move(TwipsToPixelsX(PanelLeft), TwipsToPixelsY(SetupPanelTop));
    lowerPanel_->show();
    lowerPanel_->raise();
}

void SettingsPanel::OnTrayModeClicked(int index) {
    const bool tray = index == 1;
    delayCaption_->setEnabled(tray);
    secondsCaption_->setEnabled(tray);
    delayText_->setEnabled(tray);
    // The arrows go with their box: they would otherwise change a delay that is not used.
    if (spin_)
        spin_->setEnabled(tray);
}

void SettingsPanel::ChooseRingFile() {
    host_.statusLine->clear();
    // A cancelled chooser leaves the box as it was: the ring in force is not lost. The
    // chooser opens beside the file named in the box.
    const QString chosen = FileChooser::OpenFileWithPreview(
        host_.window, QStringLiteral("WAVEファイル(*.wav)"), ringFileText_->text());
    if (!chosen.isEmpty())
        ringFileText_->setText(chosen);
}

void SettingsPanel::Apply() {
    if (!setupOpen_) {
        // The return to the tray is armed with the delay in force before this apply.
        if (trayModeOptions_[0]->isChecked()) {
            state_.changeSettings([](Settings &s) { s.TrayMode = 0; });
        } else {
            state_.changeSettings([](Settings &s) { s.TrayMode = 1; });
            if (host_.startReturnToTray)
                host_.startReturnToTray();
        }
        // The delay and the ring sound.
        const auto delay = EnteredValues::LeadingNumber16(delayText_->text());
        const QString ring = ringFileText_->text();
        state_.changeSettings([&](Settings &s) {
            if (delay)
                s.TrayDelaySeconds = *delay;
            s.RingFile = ring;
        });
        // The ring button tells of a missing sound.
        host_.ringButton->setToolTip(ring.isEmpty() ? NoRingTip : RingTip);
        // The warnings go to Options.ini; a file that cannot be written keeps the old ones.
        Warnings warnings;
        warnings.InternationalCalls = warnInternationalBox_->isChecked();
        warnings.SilenceMarked = silenceMarkedBox_->isChecked();
        warnings.write();
        // The port: the program closes the port before it opens the new one.
        const QString port = portBox_->currentText();
        state_.changeSettings([&](Settings &s) { EnteredValues::ApplyPortText(s, port); });
        emit linkRestartRequested();
    } else {
        const QString port = portBox_->currentText();
        state_.changeSettings([&](Settings &s) { EnteredValues::ApplyPortText(s, port); });
        host_.mainPanel->show();
        lowerPanel_->hide();
        setupOpen_ = false;
        emit linkRestartRequested();
    }
    applyCancelButtons_[0]->setFace(ApplyNormal);
    Close();
    // A port that did not open while the link has never been up asked for the set-up panel
    // again: it stays in sight rather than waiting for the next activation of the window.
    if (setupOpen_ && state_.firstActivation())
        OpenForSetup();
}

void SettingsPanel::Cancel() {
    applyCancelButtons_[1]->setFace(CancelNormal);
    if (setupOpen_) {
        emit closeRequested();
        return;
    }
    Close();
}

void SettingsPanel::Close() {
    givenWay_ = Panels::None;
    ShowMainPanel();
    upperPanel_->hide();
    lowerPanel_->hide();
}

void SettingsPanel::ShowMainPanel() {
    host_.window->resize(TwipsToPixelsX(MainFaces::WindowWidth),
                         TwipsToPixelsY(WindowChrome::PixelsToTwipsY(host_.mainPanel->height()) +
                                        WindowHeightBesideMainPanel));
    host_.mainPanel->show();
}
