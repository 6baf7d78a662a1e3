#include "ui/controls/DigitalClock.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

// Segments a..g of a seven-segment cell, as bits 0..6.
//   aaa
//  f   b
//   ggg
//  e   c
//   ddd
int SegmentsOf(QChar c) {
    switch (c.unicode()) {
    case '0':
        return 0x3F;
    case '1':
        return 0x06;
    case '2':
        return 0x5B;
    case '3':
        return 0x4F;
    case '4':
        return 0x66;
    case '5':
        return 0x6D;
    case '6':
        return 0x7D;
    case '7':
        return 0x07;
    case '8':
        return 0x7F;
    case '9':
        return 0x6F;
    case '-':
        return 0x40;
    default:
        return 0;
    }
}

QPainterPath SegmentPath(int segment, const QRectF &cell) {
    const qreal w = cell.width(), h = cell.height();
    const qreal t = std::max<qreal>(2.0, w * 0.18); // stroke thickness
    const qreal x0 = cell.left() + t * 0.5, x1 = cell.right() - t * 0.5;
    const qreal y0 = cell.top() + t * 0.5, ym = cell.top() + h / 2, y1 = cell.bottom() - t * 0.5;
    QLineF line;
    switch (segment) {
    case 0:
        line = QLineF(x0, y0, x1, y0);
        break;
    case 1:
        line = QLineF(x1, y0, x1, ym);
        break;
    case 2:
        line = QLineF(x1, ym, x1, y1);
        break;
    case 3:
        line = QLineF(x0, y1, x1, y1);
        break;
    case 4:
        line = QLineF(x0, ym, x0, y1);
        break;
    case 5:
        line = QLineF(x0, y0, x0, ym);
        break;
    default:
        line = QLineF(x0, ym, x1, ym);
        break;
    }
    // A bevelled bar, shortened a little so that neighbouring segments do not touch.
    const qreal gap = t * 0.55;
    QLineF l = line;
    const QPointF d = (l.p2() - l.p1()) / std::max<qreal>(1.0, l.length());
    l.setP1(l.p1() + d * gap);
    l.setP2(l.p2() - d * gap);
    const QPointF n(-d.y() * t / 2, d.x() * t / 2);
    QPainterPath p;
    p.moveTo(l.p1() - d * (t / 2));
    p.lineTo(l.p1() + n);
    p.lineTo(l.p2() + n);
    p.lineTo(l.p2() + d * (t / 2));
    p.lineTo(l.p2() - n);
    p.lineTo(l.p1() - n);
    p.closeSubpath();
    return p;
}

} // namespace

DigitalClock::DigitalClock(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CtlDigital1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("時計"));
}

void DigitalClock::setText(const QString &text) {
    const QString t = text.left(Length);
    if (t == text_)
        return;
    text_ = t;
    // What the clock shows, for a screen reader (its digits are drawn).
    setAccessibleDescription(text_);
    update();
}

void DigitalClock::setHighlight(bool on) {
    if (on == highlight_)
        return;
    highlight_ = on;
    update();
}

void DigitalClock::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(8, 12, 10));

    const QColor lit = highlight_ ? QColor(255, 96, 64) : QColor(64, 255, 160);
    const QColor unlit = highlight_ ? QColor(60, 20, 16) : QColor(16, 44, 30);

    // Eleven equal cells, the text centred in them; ":" and "/" take a cell like any character.
    const qreal margin = 3;
    const qreal cellW = (width() - 2 * margin) / Length;
    const qreal digitW = cellW * 0.7;
    const qreal digitH = height() - 2 * margin;
    const int first = (Length - int(text_.size())) / 2;
    for (int i = 0; i < Length; ++i) {
        const int k = i - first;
        const QChar c = (k >= 0 && k < text_.size()) ? text_.at(k) : QChar(u' ');
        const QRectF cell(margin + i * cellW + (cellW - digitW) / 2, margin, digitW, digitH);
        if (c == u':') {
            const qreal r = std::max<qreal>(1.5, digitW * 0.12);
            p.setPen(Qt::NoPen);
            p.setBrush(lit);
            p.drawEllipse(QPointF(cell.center().x(), cell.top() + digitH * 0.3), r, r);
            p.drawEllipse(QPointF(cell.center().x(), cell.top() + digitH * 0.7), r, r);
            continue;
        }
        if (c == u'/') {
            p.setPen(QPen(lit, std::max<qreal>(2.0, digitW * 0.16), Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(cell.right(), cell.top()), QPointF(cell.left(), cell.bottom()));
            continue;
        }
        const int segs = SegmentsOf(c);
        p.setPen(Qt::NoPen);
        for (int s = 0; s < 7; ++s) {
            p.setBrush((segs >> s) & 1 ? lit : unlit);
            p.drawPath(SegmentPath(s, cell));
        }
    }
}

void DigitalClock::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}
