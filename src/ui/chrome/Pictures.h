#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The program's pictures other than the numbered button faces, drawn from their SVG sources
// at the pixel sizes asked for.

// The program's icon (window icon), at 16 ... 256 pixels.
QIcon ProgramIcon();
// The main window's title icon (Image1 item 0), 24 x 24.
QPixmap TitleIcon();
// The title logo (Image1 item 1), 128 x 30: fits the title strip beside the icon.
QPixmap TitleLogo();
// The notification-area icon, at 16 ... 64 pixels.
QIcon TrayPicture();
// The pointing hand over links, its hot spot on the fingertip.
QCursor LinkCursor();

namespace Pictures {
// The picture at `resource` (an SVG in the resources) rendered at `size`; at its own size
// when `size` is empty. Null when the resource is missing or not a picture.
QPixmap Render(const QString &resource, QSize size = QSize());
// The same at its own size, rendered once and kept: the button faces and frame pieces are
// drawn on every repaint.
QPixmap Cached(const QString &resource);
constexpr QSize TitleIconSize(24, 24);
constexpr QSize TitleLogoSize(128, 30);
constexpr QPoint LinkHotSpot(9, 2);
} // namespace Pictures
