#include "ui/controls/BevelPanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// Edge bits of the window system: outer raised / sunken, inner raised / sunken.
constexpr int RaisedOuterBit = 0x1, SunkenOuterBit = 0x2, RaisedInnerBit = 0x4,
              SunkenInnerBit = 0x8;

// System colour indices used by the bevels.
enum SysColor { BtnShadow = 16, BtnHighlight = 20, DkShadow = 21, Light3D = 22 };

QColor SystemColor(int index, const QPalette &palette) {
    switch (index) {
    case 0x01: // desktop
    case 0x0C: // application workspace
        return palette.color(QPalette::Dark);
    case 0x05: // window
        return palette.color(QPalette::Base);
    case 0x06: // window frame
    case 0x15: // dark shadow
        return palette.color(QPalette::Shadow);
    case 0x07: // menu text
    case 0x08: // window text
        return palette.color(QPalette::WindowText);
    case 0x0D:
        return palette.color(QPalette::Highlight);
    case 0x0E:
        return palette.color(QPalette::HighlightedText);
    case 0x0F: // button face
        return palette.color(QPalette::Button);
    case 0x10: // button shadow
        return palette.color(QPalette::Dark);
    case 0x11: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 0x12: // button text
        return palette.color(QPalette::ButtonText);
    case 0x14: // button highlight
        return palette.color(QPalette::Light);
    case 0x16: // 3-D light
        return palette.color(QPalette::Midlight);
    case 0x17:
        return palette.color(QPalette::ToolTipText);
    case 0x18:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

// Colours of the soft rectangle edge, indexed by the edge type's low four bits
// (inner bits select the row, outer bits the column); -1 draws nothing.
constexpr signed char LTInner[16] = {-1, -1,        -1,        -1, -1, Light3D, Light3D, -1,
                                     -1, BtnShadow, BtnShadow, -1, -1, -1,      -1,      -1};
constexpr signed char LTOuter[16] = {
    -1,        BtnHighlight, DkShadow, -1, Light3D, BtnHighlight, DkShadow, -1,
    BtnShadow, BtnHighlight, DkShadow, -1, -1,      BtnHighlight, DkShadow, -1};
constexpr signed char RBInner[16] = {-1, -1,      -1,      -1, -1, BtnShadow, BtnShadow, -1,
                                     -1, Light3D, Light3D, -1, -1, -1,        -1,        -1};
constexpr signed char RBOuter[16] = {
    -1,      DkShadow, BtnHighlight, -1, BtnShadow, DkShadow, BtnHighlight, -1,
    Light3D, DkShadow, BtnHighlight, -1, -1,        DkShadow, BtnHighlight, -1};

void HorizontalLine(QPainter &p, int x0, int x1, int y, const QColor &c) {
    if (x1 > x0)
        p.fillRect(x0, y, x1 - x0, 1, c);
}
void VerticalLine(QPainter &p, int x, int y0, int y1, const QColor &c) {
    if (y1 > y0)
        p.fillRect(x, y0, 1, y1 - y0, c);
}

// The window system's edge type for an edge style; 0 when nothing is drawn.
int EdgeType(int style) {
    static constexpr int types[] = {0, 9, 6, 5, 4, 1, 10, 8, 2};
    return style >= 0 && style <= 8 ? types[style] : 0;
}

// Draws an edge type around the rectangle (right and bottom exclusive) in the soft colours
// of the window system's bevels, taken from the palette.
void DrawEdge(QPainter &p, const QRect &r, int edgeType, const QPalette &palette) {
    // r holds left, top, right, bottom with right and bottom exclusive.
    const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    if (rt <= l || b <= t)
        return;
    const int i = edgeType & (RaisedOuterBit | SunkenOuterBit | RaisedInnerBit | SunkenInnerBit);
    const auto color = [&](signed char index) { return SystemColor(index, palette); };
    // Top and left first, then bottom and right over their shared corners, outer before
    // inner: the order the window system draws them in.
    if (LTOuter[i] != -1) {
        HorizontalLine(p, l, rt, t, color(LTOuter[i]));
        VerticalLine(p, l, t, b, color(LTOuter[i]));
    }
    if (RBOuter[i] != -1) {
        HorizontalLine(p, l, rt, b - 1, color(RBOuter[i]));
        VerticalLine(p, rt - 1, t, b, color(RBOuter[i]));
    }
    if (LTInner[i] != -1) {
        HorizontalLine(p, l + 1, rt - 1, t + 1, color(LTInner[i]));
        VerticalLine(p, l + 1, t + 1, b - 1, color(LTInner[i]));
    }
    if (RBInner[i] != -1) {
        HorizontalLine(p, l + 1, rt - 1, b - 2, color(RBInner[i]));
        VerticalLine(p, rt - 2, t + 1, b - 1, color(RBInner[i]));
    }
}

// A stored colour value as a colour; system colours come from the palette.
QColor ColorFromValue(quint32 value, const QPalette &palette) {
    if (value & 0x80000000u)
        return SystemColor(int(value & 0xFF), palette);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 ValueFromColor(const QColor &c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

} // namespace

BevelPanel::BevelPanel(QWidget *parent) : QWidget(parent) {}

void BevelPanel::setOuterEdge(int style) {
    outerEdge_ = style;
    update();
}

void BevelPanel::setInnerEdge(int style) {
    innerEdge_ = style;
    update();
}

void BevelPanel::setBorderWidth(int pixels) {
    borderWidth_ = pixels;
    update();
}

QColor BevelPanel::backColor() const {
    return ColorFromValue(backColor_, palette());
}
void BevelPanel::setBackColor(const QColor &color) {
    setBackColorValue(ValueFromColor(color));
}
void BevelPanel::setBackColorValue(quint32 value) {
    backColor_ = value;
    update();
}

QRect BevelPanel::outerRect() const {
    return QRect(QPoint(0, 0), QPoint(width(), height()));
}

QRect BevelPanel::innerRect() const {
    const int b = borderWidth_;
    return QRect(QPoint(b, b), QPoint(width() - b, height() - b));
}

void BevelPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), backColor());
    if (outerEdge_ != 0)
        DrawEdge(painter, outerRect(), EdgeType(outerEdge_), palette());
    if (innerEdge_ != 0)
        DrawEdge(painter, innerRect(), EdgeType(innerEdge_), palette());
}

void BevelPanel::mousePressEvent(QMouseEvent *event) {
    // A press on the frame is the panel's own: it does not reach the window behind, which
    // would start moving. Frames that should pass presses on say so themselves
    // (Qt::WA_TransparentForMouseEvents).
    event->accept();
}
