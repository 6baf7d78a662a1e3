#include "ui/chrome/ResizeGrip.h"

#include "ui/chrome/WindowChrome.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

ResizeGrip::ResizeGrip(QWidget *parent, QSize minimumTwips)
    : QWidget(parent), minimumTwips_(minimumTwips) {
    setObjectName(QStringLiteral("Picture2"));
    setFixedSize(30, 30);
    setCursor(Qt::SizeFDiagCursor);
    setAccessibleName(QStringLiteral("サイズ変更"));
}

void ResizeGrip::paintEvent(QPaintEvent *) {
    // Three diagonal ridges in the corner, light over dark, as sizing grips are drawn.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor light(255, 255, 255, 170), dark(40, 60, 90, 200);
    for (int k = 0; k < 3; ++k) {
        const int d = 8 + 6 * k;
        p.setPen(dark);
        p.drawLine(width() - 4, height() - 4 - d, width() - 4 - d, height() - 4);
        p.setPen(light);
        p.drawLine(width() - 4, height() - 3 - d, width() - 3 - d, height() - 4);
    }
}

void ResizeGrip::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || window()->isMaximized())
        return;
    last_ = event->globalPosition().toPoint();
    dragging_ = true;
}

void ResizeGrip::mouseMoveEvent(QMouseEvent *event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton) || window()->isMaximized())
        return;
    const QPoint at = event->globalPosition().toPoint();
    if (at == last_)
        return;
    QWidget *w = window();
    const QSize min(
        std::max(WindowChrome::TwipsToPixelsX(minimumTwips_.width()), w->minimumWidth()),
        std::max(WindowChrome::TwipsToPixelsY(minimumTwips_.height()), w->minimumHeight()));
    const QSize wanted = w->size() + QSize(at.x() - last_.x(), at.y() - last_.y());
    w->resize(wanted.expandedTo(min));
    last_ = at;
}

void ResizeGrip::mouseReleaseEvent(QMouseEvent *) {
    dragging_ = false;
}
