#include "ui/chrome/SkinnedWindow.h"

#include "settings/Program.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/Reach.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QWindow>

namespace {
// A move by a press on the window's background or a drag surface. It begins only once the
// pointer has gone past the drag distance with the button held: the window system's move
// takes the pointer, so begun at the press it would swallow a click or a double-click.
struct Drag {
    QPointer<QWidget> window;
    QPoint pressedAt;
    QPoint grabOffset;
    // Moved by hand, the window system being unable to move it itself.
    bool byHand = false;
};
Drag drag;

bool ContinueDrag(QMouseEvent *event) {
    if (!drag.window)
        return false;
    if (!(event->buttons() & Qt::LeftButton)) {
        drag.window = nullptr;
        return false;
    }
    const QPoint at = event->globalPosition().toPoint();
    if (!drag.byHand) {
        if ((at - drag.pressedAt).manhattanLength() < QApplication::startDragDistance())
            return true;
        if (QWindow *handle = drag.window->windowHandle(); handle && handle->startSystemMove()) {
            drag.window = nullptr;
            return true;
        }
        drag.byHand = true;
    }
    drag.window->move(at - drag.grabOffset);
    return true;
}
// The help page that tells of each window; the settings panel lives in the main window and
// the reference phonebook is part of the set-up.
QString HelpPageOf(WindowKind kind) {
    switch (kind) {
    case WindowKind::Main:
        return QStringLiteral("window.htm");
    case WindowKind::History:
        return QStringLiteral("history.htm");
    case WindowKind::Phonebook:
        return QStringLiteral("phonebook.htm");
    case WindowKind::ReferenceDatabase:
        return QStringLiteral("setup.htm");
    case WindowKind::About:
        break;
    }
    return QStringLiteral("main.htm");
}
} // namespace

namespace WindowChrome {

QPixmap SkinPiece(int item) {
    return Pictures::Cached(QStringLiteral(":/faces/skin%1.svg").arg(item));
}

void PaintSkin(QPainter &painter, QSize clientPx) {
    const int W = clientPx.width();
    const int H = clientPx.height();
    const auto vertical = [&](int item, bool right) {
        const QPixmap p = SkinPiece(item);
        const int n = SkinPieceCount(H, p.height());
        for (int i = 1; i <= n; ++i)
            painter.drawPixmap(right ? W - p.width() : 0, (i - 1) * p.height(), p);
    };
    const auto horizontal = [&](int item, bool bottom) {
        const QPixmap p = SkinPiece(item);
        const int n = SkinPieceCount(W, p.width());
        for (int i = 1; i <= n; ++i)
            painter.drawPixmap((i - 1) * p.width(), bottom ? H - p.height() : 0, p);
    };
    vertical(1, false);
    horizontal(3, true);
    vertical(5, true);
    horizontal(7, false);
    const QPixmap c0 = SkinPiece(0), c2 = SkinPiece(2), c4 = SkinPiece(4), c6 = SkinPiece(6);
    painter.drawPixmap(0, 0, c0);
    painter.drawPixmap(0, H - c2.height(), c2);
    painter.drawPixmap(W - c4.width(), H - c4.height(), c4);
    painter.drawPixmap(W - c6.width(), 0, c6);
}

bool DragWindow(QWidget *window, QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !window)
        return false;
    drag.window = window->window();
    drag.pressedAt = event->globalPosition().toPoint();
    drag.grabOffset = drag.pressedAt - drag.window->pos();
    drag.byHand = false;
    return true;
}

void ApplyTopMost(QWidget *window, bool onTop, QWidget *mainWindow, bool mainAlwaysOnTop) {
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        window->show();
    if (mainWindow && mainWindow != window && mainAlwaysOnTop) {
        mainWindow->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        mainWindow->show();
        mainWindow->raise();
    }
}

} // namespace WindowChrome

SkinnedWindow::SkinnedWindow(WindowKind kind, QWidget *parent)
    : QWidget(parent), kind_(kind), helpPage_(HelpPageOf(kind)) {
    WindowChrome::RemoveCaption(this);
    const QSize min = WindowChrome::MinimumSizeTwips(kind);
    if (!min.isEmpty())
        setMinimumSize(WindowChrome::TwipsToPixelsX(min.width()),
                       WindowChrome::TwipsToPixelsY(min.height()));
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, &SkinnedWindow::requestHelp);
}

void SkinnedWindow::addDragSurface(QWidget *surface) {
    surface->installEventFilter(this);
}

bool SkinnedWindow::event(QEvent *event) {
    if (event->type() == QEvent::Show && !reachPrepared_) {
        reachPrepared_ = true;
        Reach::Prepare(this);
    }
    return QWidget::event(event);
}

void SkinnedWindow::paintEvent(QPaintEvent *) {
    if (isMinimized())
        return;
    QPainter painter(this);
    WindowChrome::PaintSkin(painter, size());
}

void SkinnedWindow::resizeEvent(QResizeEvent *) {
    setMask(WindowChrome::WindowRegion(kind_, frameGeometry().size(), size()));
}

void SkinnedWindow::mousePressEvent(QMouseEvent *event) {
    WindowChrome::DragWindow(this, event);
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent *event) {
    ContinueDrag(event);
}

void SkinnedWindow::mouseReleaseEvent(QMouseEvent *) {
    drag.window = nullptr;
}

bool SkinnedWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched->isWidgetType()) {
        if (event->type() == QEvent::MouseButtonPress)
            return WindowChrome::DragWindow(this, static_cast<QMouseEvent *>(event));
        if (event->type() == QEvent::MouseMove)
            return ContinueDrag(static_cast<QMouseEvent *>(event));
        if (event->type() == QEvent::MouseButtonRelease)
            drag.window = nullptr;
    }
    return QWidget::eventFilter(watched, event);
}
