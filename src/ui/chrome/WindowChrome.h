#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

class QWidget;

// The kinds of window that share the painted frame; each clips itself differently.
enum class WindowKind { Main, History, Phonebook, ReferenceDatabase, About };

namespace WindowChrome {

// Pieces needed to cover lengthPx with a piece of piecePx: the nearest integer (halves to
// even) of length / piece + 0.5.
int SkinPieceCount(int lengthPx, int piecePx);

// The rectangle of the rounded region (QRect from its left-top to right-bottom corner).
QRect WindowRegionRect(WindowKind kind, QSize outerPx, QSize clientPx);
// The rounded region itself, with the 15 x 15 corner ellipse.
QRegion WindowRegion(WindowKind kind, QSize outerPx, QSize clientPx);

// Minimum size in twips (0 x 0 when the window has none).
QSize MinimumSizeTwips(WindowKind kind);

// The screen's twips per pixel (1440 twips to the inch), given once at start; 15 until then.
void SetTwipsPerPixel(int x, int y);

int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);
// Places a control by its design position and size in twips.
void PlaceTwips(QWidget *w, int left, int top, int width, int height);

// Where a window saved at `window` (pixels) is shown: where it was saved when at least a
// corner of its title area (40 x 40 pixels at its top left) lies on one of the screens,
// otherwise centred on the primary screen. A screen unplugged since, or a hand-edited
// position, must never open a window where nobody can see it.
QPoint VisiblePosition(const QRect &window, const QList<QRect> &screens, const QRect &primary);
// The same for the screens this desktop has now.
QPoint VisiblePosition(const QRect &window);
// A place and size read from a file, held to the screens: the size no larger than the screen
// the window opens on (a window larger than it starts at its edge), the place as
// VisiblePosition has it. A size of millions of pixels would cost gigabytes to paint.
QRect VisibleGeometry(const QRect &window, const QList<QRect> &screens, const QRect &primary);
// The same for the screens this desktop has now.
QRect VisibleGeometry(const QRect &window);

// Where a window of `size` without a place of its own opens: beside the main window `main`
// (right, else left, else below, else above), wholly on `screen`, the screen the main window
// is on. Where no side has room, the place on the screen that covers the least of it.
QPoint BesidePosition(const QRect &main, QSize size, const QRect &screen);
// The same on the screen the main window `main` is on now.
QPoint BesidePosition(const QWidget *main, QSize size);

// A frameless top-level window.
void RemoveCaption(QWidget *window);

} // namespace WindowChrome
