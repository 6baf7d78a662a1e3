#include "ui/main/MainWindow.h"

#include "app/Program.h"
#include "app/SettingsFile.h"
#include "platform/Clock.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/DigitalClock.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

MainWindow::MainWindow(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kolvane"));

    CtlDigital1 = new DigitalClock(this);
    CtlDigital1->setGeometry(WindowChrome::TwipsToPixelsX(225 + 90),
                             WindowChrome::TwipsToPixelsY(615 + 150),
                             WindowChrome::TwipsToPixelsX(2970), WindowChrome::TwipsToPixelsY(405));
    Label5 = new QLabel(this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setTextFormat(Qt::PlainText);
    Label5->setGeometry(WindowChrome::TwipsToPixelsX(225 + 90),
                        WindowChrome::TwipsToPixelsY(615 + 765), WindowChrome::TwipsToPixelsX(3045),
                        WindowChrome::TwipsToPixelsY(300));

    Timer1.setInterval(900);
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);

    FormLoad();
}

MainWindow::~MainWindow() {
    Unload();
}

void MainWindow::FormLoad() {
    // 1-2: the program's folder is the current directory for every relative file name.
    QDir::setCurrent(Program::AppFolder);
    // 3: no caption bar (the window paints its own frame).
    WindowChrome::RemoveCaption(this);
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
        ApplyDefaultSettings(settings, screen.width() * Program::TwipsPerPixelX,
                             screen.height() * Program::TwipsPerPixelY, MainPanelHeight);
    }
    LoadButtonFaces();
    ShowClockMode();
    // 12: place the window.
    setGeometry(WindowChrome::TwipsToPixelsX(settings.MainLeft),
                WindowChrome::TwipsToPixelsY(settings.MainTop),
                WindowChrome::TwipsToPixelsX(WindowWidth),
                WindowChrome::TwipsToPixelsY(MainPanelHeight + 675 + 200));
}

void MainWindow::ShowClockMode() {
    if (settings.ShowDate != 0) {
        Timer1.stop();
        CtlDigital1->setText(Clock::now().toString(QStringLiteral("yyyy-MM-dd")));
    } else {
        Timer1_Timer();
        Timer1.start();
    }
}

void MainWindow::Timer1_Timer() {
    CtlDigital1->setText(JapaneseTimeText(Clock::now()));
}

bool MainWindow::InitTerminalAdapter() {
    // The serial link is not part of this window yet: treat it as a port that cannot be opened.
    SettingsFileFound.clear();
    MainWindowActivation();
    return false;
}

void MainWindow::OpenSetupPanel() {
    SettingsPanelOpen = true;
    Label5->setText(QStringLiteral("接続ポートを設定してください"));
}

void MainWindow::MainWindowActivation() {
    if (!FirstActivation)
        return;
    if (!SettingsFileFound.isEmpty()) {
        InitTerminalAdapter();
        if (settings.TrayMode == 1)
            SendToTrayAtStart();
    } else {
        OpenSetupPanel();
    }
}

void MainWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // Without a window manager a shown window may never be activated; the first show counts.
    QTimer::singleShot(0, this, [this] {
        if (!SettingsPanelOpen)
            MainWindowActivation();
    });
}

void MainWindow::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !SettingsPanelOpen)
        MainWindowActivation();
}

void MainWindow::QueryUnload() {
    QDir::setCurrent(Program::AppFolder);
    settings.MainLeft = x() * Program::TwipsPerPixelX;
    settings.MainTop = y() * Program::TwipsPerPixelY;
    WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), settings);
}

void MainWindow::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1.stop();
    emit unloaded();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!unloaded_) {
        QueryUnload();
        Unload();
    }
    event->accept();
}
