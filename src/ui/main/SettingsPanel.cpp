#include "ui/main/SettingsPanel.h"

#include "platform/desktop/FileChooser.h"
#include "platform/desktop/UpDown.h"
#include "runstate/RunState.h"
#include "settings/EnteredValues.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/BevelPanel.h"
#include "ui/main/MainFaces.h"
#include "ui/main/SettingsPanelFaces.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QTimer>

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
    : QObject(host.window), state(state), host(host) {
    Build();
}

void SettingsPanel::Build() {
    BuildUpperPanel();
    BuildLowerPanel();
}

void SettingsPanel::BuildUpperPanel() {
    Picture9 = Panel(host.window, "Picture9");
    PlaceTwips(Picture9, PanelLeft, UpperPanelTop, PanelWidth, UpperPanelHeight);
    Decoration(Picture9, "BevelPanel3", 0, 0, PanelWidth, 2310);
    Decoration(Picture9, "BevelPanel4", 0, 2355, PanelWidth, 555);

    Frame1 = Named(new QGroupBox(QStringLiteral("着信ウインドウ設定"), Picture9),
                   QStringLiteral("Frame1"));
    PlaceTwips(Frame1, 90, 60, 3645, 2190);
    Option1[0] = Named(new QRadioButton(QStringLiteral("待機時も常時表示"), Frame1),
                       QStringLiteral("Option1(0)"));
    PlaceTwips(Option1[0], 150, 270, 3400, 285);
    Option1[1] = Named(new QRadioButton(QStringLiteral("待機時は、システムトレーに入れる"), Frame1),
                       QStringLiteral("Option1(1)"));
    PlaceTwips(Option1[1], 150, 570, 3400, 285);
    for (int i = 0; i < 2; ++i)
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });

    Label1 = Caption(Frame1, "Label1", "表示時間　着信から");
    PlaceTwips(Label1, 420, 930, 1560, 285);
    // Picture11 holds the delay box and its spin control.
    Picture11 = Named(new QWidget(Frame1), QStringLiteral("Picture11"));
    PlaceTwips(Picture11, 1980, 885, 960, 360);
    Text4 = Named(new QLineEdit(Picture11), QStringLiteral("Text4"));
    Text4->setGeometry(0, 0, Picture11->width(), Picture11->height());
    Text4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2 = Caption(Frame1, "Label2", "秒間");
    PlaceTwips(Label2, 3000, 930, 570, 285);

    Label3 = Caption(Frame1, "Label3", "着信時の再生音（*.wav；*.midi）");
    PlaceTwips(Label3, 150, 1365, 3400, 285);
    Text5 = Named(new QLineEdit(Frame1), QStringLiteral("Text5"));
    PlaceTwips(Text5, 150, 1680, 3000, 360);
    Command1 = Named(new QPushButton(QStringLiteral("..."), Frame1), QStringLiteral("Command1"));
    PlaceTwips(Command1, 3180, 1680, 390, 360);
    connect(Command1, &QPushButton::clicked, this, &SettingsPanel::Command1_Click);

    Command2 = Named(new QPushButton(QStringLiteral("参照データベースの設定"), Picture9),
                     QStringLiteral("Command2"));
    PlaceTwips(Command2, 600, 2445, 2625, 390);
    connect(Command2, &QPushButton::clicked, this, &SettingsPanel::referenceSettingsRequested);
}

void SettingsPanel::BuildLowerPanel() {
    Picture10 = Panel(host.window, "Picture10");
    PlaceTwips(Picture10, PanelLeft, UpperPanelTop + UpperPanelHeight, PanelWidth,
               LowerPanelHeight);
    Frame2 = Named(new QGroupBox(QStringLiteral("ＴＡとの接続ポート設定"), Picture10),
                   QStringLiteral("Frame2"));
    PlaceTwips(Frame2, 90, 0, 3645, 780);
    Label4 = Caption(Frame2, "Label4", "ＴＡとの接続ポート");
    PlaceTwips(Label4, 120, 345, 1845, 285);
    Combo1 = Named(new QComboBox(Frame2), QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    PlaceTwips(Combo1, 1980, 300, 1545, 360);

    const struct {
        int left, pressed, normal;
        const char *tip;
    } buttons[2] = {{ApplyLeft, ApplyPressed, ApplyNormal, "設定を有効にする。"},
                    {CancelLeft, CancelPressed, CancelNormal, "キャンセル"}};
    for (int i = 0; i < 2; ++i) {
        auto *b = Named(new ImageButton(ButtonWidth, ButtonHeight, Picture10),
                        QStringLiteral("Picture12(%1)").arg(i));
        b->setToolTip(QString::fromUtf8(buttons[i].tip));
        b->setPressedFace(buttons[i].pressed);
        b->setFace(buttons[i].normal);
        b->move(TwipsToPixelsX(buttons[i].left), TwipsToPixelsY(ButtonsTop));
        Picture12[i] = b;
    }
    connect(Picture12[0], &ImageButton::clicked, this, &SettingsPanel::Apply);
    connect(Picture12[1], &ImageButton::clicked, this, &SettingsPanel::Cancel);
}

void SettingsPanel::CreateSpinControl() {
    if (spin)
        return;
    spin = Named(new UpDown(Picture11), QStringLiteral("UpDown"));
    spin->setRange(DelayLower, DelayUpper);
    spin->setPosition(DelayInitial);
    spin->setBuddy(Text4);
}

void SettingsPanel::FillPortList() {
    // The numbered ports first, then every serial device present with its description.
    Combo1->clear();
    for (int n = 1; n <= PortNumbersOffered; ++n)
        Combo1->addItem(QString::number(n));
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        Combo1->addItem(EnteredValues::DeviceEntry(port.systemLocation(), port.description()),
                        port.systemLocation());
}

bool SettingsPanel::isShown() const {
    return Picture10->isVisible();
}

void SettingsPanel::Open() {
    // 1: the window does not go to the tray while the user edits.
    host.Timer3->setInterval(0);
    host.Timer3->stop();
    // 2-3
    Picture9->move(TwipsToPixelsX(PanelLeft), TwipsToPixelsY(UpperPanelTop));
    Picture10->move(TwipsToPixelsX(PanelLeft), TwipsToPixelsY(UpperPanelHeight + UpperPanelTop));
    host.window->resize(TwipsToPixelsX(MainFaces::WindowWidth),
                        TwipsToPixelsY(UpperPanelHeight + UpperPanelTop + LowerPanelHeight +
                                       WindowHeightBelowPanels));
    // 4-5
    LoadControls();
    // 6
    Picture9->show();
    Picture10->show();
    Picture9->raise();
    Picture10->raise();
}

void SettingsPanel::LoadControls() {
    const Settings &s = state.settings();
    const int chosen = s.TrayMode != 0 ? 1 : 0;
    Option1[chosen]->setChecked(true);
    Option1_Click(chosen);
    Text4->setText(QString::number(s.TrayDelaySeconds));
    Text5->setText(s.RingFile);
    FillPortList();
    Combo1->setEditText(EnteredValues::PortText(s));
}

void SettingsPanel::OpenForSetup() {
    state.SettingsPanelOpen = true;
    host.Picture3->hide();
    // The port box shows the port that did not open; empty when none was ever chosen.
    FillPortList();
    const Settings &s = state.settings();
    Combo1->setEditText(s.PortName.isEmpty() && s.PortNumber == 0 ? QString()
                                                                  : EnteredValues::PortText(s));
    Picture10->move(TwipsToPixelsX(PanelLeft), TwipsToPixelsY(SetupPanelTop));
    Picture10->show();
    Picture10->raise();
}

void SettingsPanel::Option1_Click(int index) {
    const bool tray = index == 1;
    Label1->setEnabled(tray);
    Label2->setEnabled(tray);
    Text4->setEnabled(tray);
    // The arrows go with their box: they would otherwise change a delay that is not used.
    if (spin)
        spin->setEnabled(tray);
}

void SettingsPanel::Command1_Click() {
    host.Label5->clear();
    // A cancelled chooser empties the box, as it always has.
    Text5->setText(
        FileChooser::OpenFileWithPreview(host.window, QStringLiteral("WAVEファイル(*.wav)")));
}

void SettingsPanel::Apply() {
    if (!state.SettingsPanelOpen) {
        // 1: the return to the tray is armed with the delay in force before this apply.
        if (Option1[0]->isChecked()) {
            state.changeSettings([](Settings &s) { s.TrayMode = 0; });
        } else {
            state.changeSettings([](Settings &s) { s.TrayMode = 1; });
            if (host.startReturnToTray)
                host.startReturnToTray();
        }
        // 2-3
        const auto delay = EnteredValues::LeadingNumber16(Text4->text());
        const QString ring = Text5->text();
        state.changeSettings([&](Settings &s) {
            if (delay)
                s.TrayDelaySeconds = *delay;
            s.RingFile = ring;
        });
        // 4
        host.ringButton->setToolTip(ring.isEmpty() ? NoRingTip : RingTip);
        // 5-7: the program closes the port before it opens the new one.
        const QString port = Combo1->currentText();
        state.changeSettings([&](Settings &s) { EnteredValues::ApplyPortText(s, port); });
        emit linkRestartRequested();
    } else {
        const QString port = Combo1->currentText();
        state.changeSettings([&](Settings &s) { EnteredValues::ApplyPortText(s, port); });
        host.Picture3->show();
        Picture10->hide();
        state.SettingsPanelOpen = false;
        emit linkRestartRequested();
    }
    Picture12[0]->setFace(ApplyNormal);
    Close();
    // A port that did not open while the link has never been up asked for the set-up panel
    // again: it stays in sight rather than waiting for the next activation of the window.
    if (state.SettingsPanelOpen && state.FirstActivation)
        OpenForSetup();
}

void SettingsPanel::Cancel() {
    Picture12[1]->setFace(CancelNormal);
    if (state.SettingsPanelOpen) {
        emit closeRequested();
        return;
    }
    Close();
}

void SettingsPanel::Close() {
    host.window->resize(TwipsToPixelsX(MainFaces::WindowWidth),
                        TwipsToPixelsY(WindowChrome::PixelsToTwipsY(host.Picture3->height()) +
                                       WindowHeightBesideMainPanel));
    host.Picture3->show();
    Picture9->hide();
    Picture10->hide();
}
