#pragma once

#include "ui/chrome/WindowChrome.h"

#include <QPoint>
#include <QWidget>

class QPainter;

// A frameless window that paints the eight skin pieces, clips itself to its rounded region,
// keeps its minimum size and moves with a left-button drag on its background.
class SkinnedWindow : public QWidget {
    Q_OBJECT
public:
    explicit SkinnedWindow(WindowKind kind, QWidget *parent = nullptr);
    WindowKind kind() const { return kind_; }

    // Makes `surface` (a child) move the window on a left-button drag.
    void addDragSurface(QWidget *surface);

    // The help page about this window ("history.htm"): F1 asks for it.
    void setHelpPage(const QString &page) { helpPage_ = page; }
    QString helpPage() const { return helpPage_; }
    // Asks for this window's help page, as F1 does.
    void requestHelp() { emit helpRequested(helpPage_); }

signals:
    // The program shows the help page `page` (a name of the help folder).
    void helpRequested(const QString &page);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowKind kind_;
    QString helpPage_;
    // The controls were named and put in Tab order (at the first show).
    bool reachPrepared_ = false;
};

namespace WindowChrome {
// Tiles the skin pieces over a client area of clientPx: edges, then the corners over them.
void PaintSkin(QPainter &painter, QSize clientPx);
// The skin piece `item` (0 ... 7) at its own size.
QPixmap SkinPiece(int item);
// Takes a left-button press for a move of `window`: the move begins when the pointer goes past
// the drag distance with the button held (the window system's move, else by hand), so a click
// stays a click. Returns whether the press was taken.
bool DragWindow(QWidget *window, QMouseEvent *event);
// Keeps a window above the others or not; a top-most main window stays above it.
void ApplyTopMost(QWidget *window, bool onTop, QWidget *mainWindow, bool mainAlwaysOnTop);
} // namespace WindowChrome
