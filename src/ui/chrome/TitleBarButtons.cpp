#include "ui/chrome/TitleBarButtons.h"

#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"

#include <QEvent>

TitleBarButtons::TitleBarButtons(Buttons buttons, const QString &closeToolTip, QWidget *parent)
    : QWidget(parent), window_(parent ? parent->window() : this) {
    setObjectName(QStringLiteral("Picture1"));
    resize(WindowChrome::TwipsToPixelsX(1200), WindowChrome::TwipsToPixelsY(300));
    const auto make = [&](int item, int pressed, int normal, const QString &tip) {
        auto *b = new ImageButton(20, 20, this);
        b->setObjectName(QStringLiteral("Picture5(%1)").arg(item));
        b->setProperty("index", item);
        b->setFace(normal);
        b->setPressedFace(pressed);
        b->setToolTip(tip);
        buttons_[item] = b;
        return b;
    };
    // Right-aligned, close outermost, as window systems place them, clear of the frame's
    // right side (11 pixels) when the holder sits at the window's right edge.
    int x = width() - 33;
    if (buttons & Close) {
        ImageButton *b = make(0, ClosePressed, CloseNormal, closeToolTip);
        b->move(x, 0);
        connect(b, &ImageButton::clicked, this, [this] {
            emit closeClicked();
            window_->close();
        });
    }
    x -= 22;
    if (buttons & Maximize) {
        ImageButton *b = make(1, MaximizePressed, MaximizeNormal, QStringLiteral("最大化"));
        b->move(x, 0);
        b->setNormalFace(
            [this] { return window_->isMaximized() ? RestoreNormal : MaximizeNormal; });
        connect(b, &ImageButton::clicked, this, [this] {
            emit maximizeClicked();
            if (window_->isMaximized())
                window_->showNormal();
            else
                window_->showMaximized();
            followWindowState();
        });
    }
    x -= 22;
    if (buttons & Minimize) {
        ImageButton *b = make(2, MinimizePressed, MinimizeNormal, QStringLiteral("最小化"));
        b->move(x, 0);
        connect(b, &ImageButton::clicked, this, [this] {
            emit minimizeClicked();
            window_->showMinimized();
        });
    }
    if (window_ != this)
        window_->installEventFilter(this);
}

ImageButton *TitleBarButtons::button(int item) const {
    return item >= 0 && item < 3 ? buttons_[item] : nullptr;
}

// The maximise button shows what a click would do, however the window changed state.
void TitleBarButtons::followWindowState() {
    ImageButton *b = buttons_[1];
    if (!b)
        return;
    const bool maximized = window_->isMaximized();
    b->setToolTip(maximized ? QStringLiteral("標準化") : QStringLiteral("最大化"));
    b->setPressedFace(maximized ? RestorePressed : MaximizePressed);
    b->setFace(maximized ? RestoreNormal : MaximizeNormal);
}

bool TitleBarButtons::eventFilter(QObject *watched, QEvent *event) {
    if (watched == window_ && event->type() == QEvent::WindowStateChange)
        followWindowState();
    return QWidget::eventFilter(watched, event);
}
