#include "ui/chrome/WindowChrome.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace WindowChrome {

int SkinPieceCount(int lengthPx, int piecePx) {
    if (piecePx <= 0)
        return 0;
    // std::nearbyint rounds halves to even under the default rounding mode.
    return static_cast<int>(std::nearbyint(static_cast<double>(lengthPx) / piecePx + 0.5));
}

QRect WindowRegionRect(WindowKind kind, QSize outerPx, QSize clientPx) {
    if (kind == WindowKind::Main)
        return QRect(QPoint(2, 3), QPoint(outerPx.width() - 3 - 1, outerPx.height() - 3 - 1));
    return QRect(0, 0, clientPx.width(), clientPx.height());
}

QRegion WindowRegion(WindowKind kind, QSize outerPx, QSize clientPx) {
    const QRect r = WindowRegionRect(kind, outerPx, clientPx);
    const int d = 15;
    if (r.width() < d || r.height() < d)
        return QRegion(r);
    QRegion region(r.adjusted(d / 2, 0, -(d / 2), 0));
    region += QRegion(r.adjusted(0, d / 2, 0, -(d / 2)));
    region += QRegion(QRect(r.left(), r.top(), d, d), QRegion::Ellipse);
    region += QRegion(QRect(r.right() - d + 1, r.top(), d, d), QRegion::Ellipse);
    region += QRegion(QRect(r.left(), r.bottom() - d + 1, d, d), QRegion::Ellipse);
    region += QRegion(QRect(r.right() - d + 1, r.bottom() - d + 1, d, d), QRegion::Ellipse);
    return region;
}

QSize MinimumSizeTwips(WindowKind kind) {
    switch (kind) {
    case WindowKind::History:
        return QSize(4000, 1600);
    case WindowKind::Phonebook:
        return QSize(3600, 1600);
    default:
        return QSize(0, 0);
    }
}

namespace {
// 15 twips a pixel at 96 dpi until the program says what the screen has.
int twipsPerPixelX = 15;
int twipsPerPixelY = 15;
} // namespace

void SetTwipsPerPixel(int x, int y) {
    twipsPerPixelX = std::max(1, x);
    twipsPerPixelY = std::max(1, y);
}

int TwipsToPixelsX(int twips) {
    return static_cast<int>(std::lround(double(twips) / twipsPerPixelX));
}
int TwipsToPixelsY(int twips) {
    return static_cast<int>(std::lround(double(twips) / twipsPerPixelY));
}
int PixelsToTwipsX(int pixels) {
    return pixels * twipsPerPixelX;
}
int PixelsToTwipsY(int pixels) {
    return pixels * twipsPerPixelY;
}

QPoint VisiblePosition(const QRect &window, const QList<QRect> &screens, const QRect &primary) {
    const QRect corner(window.topLeft(), QSize(40, 40));
    for (const QRect &screen : screens)
        if (screen.contains(corner))
            return window.topLeft();
    QRect placed(QPoint(0, 0), window.size());
    placed.moveCenter(primary.center());
    // A window larger than the screen keeps its title area on it.
    return QPoint(std::max(placed.left(), primary.left()), std::max(placed.top(), primary.top()));
}

QPoint VisiblePosition(const QRect &window) {
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return window.topLeft();
    return VisiblePosition(window, screens, primary->availableGeometry());
}

QRect VisibleGeometry(const QRect &window, const QList<QRect> &screens, const QRect &primary) {
    const QRect corner(window.topLeft(), QSize(40, 40));
    QRect screen = primary;
    for (const QRect &s : screens)
        if (s.contains(corner)) {
            screen = s;
            break;
        }
    QRect held(window.topLeft(), window.size().boundedTo(screen.size()));
    if (held.width() < window.width())
        held.moveLeft(screen.left());
    if (held.height() < window.height())
        held.moveTop(screen.top());
    return QRect(VisiblePosition(held, screens, primary), held.size());
}

QRect VisibleGeometry(const QRect &window) {
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return window;
    return VisibleGeometry(window, screens, primary->availableGeometry());
}

namespace {

// `r` moved onto `screen` (its top left kept on it when it is larger).
QRect HeldTo(QRect r, const QRect &screen) {
    r.moveLeft(std::max(screen.left(), std::min(r.left(), screen.right() + 1 - r.width())));
    r.moveTop(std::max(screen.top(), std::min(r.top(), screen.bottom() + 1 - r.height())));
    return r;
}

int Area(const QRect &r) {
    return r.isEmpty() ? 0 : r.width() * r.height();
}

} // namespace

QPoint BesidePosition(const QRect &main, QSize size, const QRect &screen) {
    // A little space between the frames, so the two read as two windows.
    const int gap = 8;
    const QRect sides[] = {
        QRect(QPoint(main.right() + 1 + gap, main.top()), size),
        QRect(QPoint(main.left() - gap - size.width(), main.top()), size),
        QRect(QPoint(main.left(), main.bottom() + 1 + gap), size),
        QRect(QPoint(main.left(), main.top() - gap - size.height()), size),
    };
    QRect best;
    int bestCovered = -1;
    for (const QRect &side : sides) {
        // Slid along the main window's edge to stay on the screen; a side is taken when the
        // window then covers nothing of the main window.
        const QRect held = HeldTo(side, screen);
        const int covered = Area(held & main);
        if (covered == 0 && screen.contains(held))
            return held.topLeft();
        if (bestCovered < 0 || covered < bestCovered) {
            best = held;
            bestCovered = covered;
        }
    }
    return best.topLeft();
}

QPoint BesidePosition(const QWidget *main, QSize size) {
    const QRect frame = main->frameGeometry();
    const QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = main->screen();
    if (!screen)
        return frame.topLeft();
    return BesidePosition(frame, size, screen->availableGeometry());
}

void PlaceTwips(QWidget *w, int left, int top, int width, int height) {
    w->setGeometry(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width),
                   TwipsToPixelsY(height));
}

void RemoveCaption(QWidget *window) {
    window->setWindowFlag(Qt::FramelessWindowHint, true);
}

} // namespace WindowChrome
