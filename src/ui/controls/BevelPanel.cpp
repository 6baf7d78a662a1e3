#include "ui/controls/BevelPanel.h"

#include "ui/chrome/WindowChrome.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <cmath>

namespace {

// Edge bits of the window system: outer raised / sunken, inner raised / sunken.
constexpr int RaisedOuterBit = 0x1, SunkenOuterBit = 0x2, RaisedInnerBit = 0x4,
              SunkenInnerBit = 0x8;

// System colour indices used by the bevels.
enum SysColor { BtnShadow = 16, BtnHighlight = 20, DkShadow = 21, Light3D = 22 };

QColor sysColor(int index, const QPalette &palette) {
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

void hLine(QPainter &p, int x0, int x1, int y, const QColor &c) {
    if (x1 > x0)
        p.fillRect(x0, y, x1 - x0, 1, c);
}
void vLine(QPainter &p, int x, int y0, int y1, const QColor &c) {
    if (y1 > y0)
        p.fillRect(x, y0, 1, y1 - y0, c);
}

int toPixelsX(double twips) {
    return static_cast<int>(std::lround(twips / WindowChrome::PixelsToTwipsX(1)));
}
int toPixelsY(double twips) {
    return static_cast<int>(std::lround(twips / WindowChrome::PixelsToTwipsY(1)));
}

} // namespace

BevelPanel::BevelPanel(QWidget *parent)
    : QWidget(parent), m_lblCap(new QLabel(this)), m_imgPic(new QLabel(this)) {
    m_lblCap->setObjectName(QStringLiteral("lblCap"));
    m_imgPic->setObjectName(QStringLiteral("imgPic"));
    m_lblCap->setAttribute(Qt::WA_TranslucentBackground);
    m_lblCap->setAutoFillBackground(false);
    m_imgPic->hide();
    m_lblCap->installEventFilter(this);
    m_imgPic->installEventFilter(this);
    setForeColorValue(m_foreColor);
    m_designChanged = false;
    arrange();
}

void BevelPanel::markChanged() {
    m_designChanged = true;
    emit designChanged();
}

void BevelPanel::setOuterEdge(int style) {
    m_outerEdge = style;
    markChanged();
    update();
}

void BevelPanel::setInnerEdge(int style) {
    m_innerEdge = style;
    markChanged();
    update();
}

void BevelPanel::setBorderWidth(int pixels) {
    m_borderWidth = pixels;
    markChanged();
    update();
}

QColor BevelPanel::ColorFromValue(quint32 value, const QPalette &palette) {
    if (value & 0x80000000u)
        return sysColor(int(value & 0xFF), palette);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

static quint32 valueFromColor(const QColor &c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

QColor BevelPanel::backColor() const {
    return ColorFromValue(m_backColor, palette());
}
void BevelPanel::setBackColor(const QColor &color) {
    setBackColorValue(valueFromColor(color));
}
void BevelPanel::setBackColorValue(quint32 value) {
    m_backColor = value;
    markChanged();
    update();
}

QColor BevelPanel::foreColor() const {
    return ColorFromValue(m_foreColor, palette());
}
void BevelPanel::setForeColor(const QColor &color) {
    setForeColorValue(valueFromColor(color));
}
void BevelPanel::setForeColorValue(quint32 value) {
    m_foreColor = value;
    QPalette p = m_lblCap->palette();
    p.setColor(QPalette::WindowText, ColorFromValue(value, palette()));
    m_lblCap->setPalette(p);
    markChanged();
}

void BevelPanel::setPicture(const QPixmap &picture) {
    m_picture = picture;
    m_imgPic->setPixmap(picture);
    m_imgPic->setVisible(!picture.isNull());
    if (!picture.isNull())
        m_imgPic->resize(picture.deviceIndependentSize().toSize());
    arrange();
    update();
}

QString BevelPanel::caption() const {
    return m_lblCap->text();
}
void BevelPanel::setCaption(const QString &caption) {
    m_lblCap->setText(caption);
    arrange();
}

void BevelPanel::setTextAlign(int align) {
    m_textAlign = align;
    arrange();
}

QRect BevelPanel::outerRect() const {
    return QRect(QPoint(0, 0), QPoint(width(), height()));
}

QRect BevelPanel::innerRect() const {
    const int b = m_borderWidth;
    return QRect(QPoint(b, b), QPoint(width() - b, height() - b));
}

int BevelPanel::EdgeType(int style) {
    static constexpr int types[] = {0, 9, 6, 5, 4, 1, 10, 8, 2};
    return style >= 0 && style <= 8 ? types[style] : 0;
}

void BevelPanel::DrawEdge(QPainter &p, const QRect &r, int edgeType, const QPalette &palette) {
    // r holds left, top, right, bottom with right and bottom exclusive.
    const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    if (rt <= l || b <= t)
        return;
    const int i = edgeType & (RaisedOuterBit | SunkenOuterBit | RaisedInnerBit | SunkenInnerBit);
    const auto color = [&](signed char index) { return sysColor(index, palette); };
    // Top and left first, then bottom and right over their shared corners, outer before
    // inner: the order the window system draws them in.
    if (LTOuter[i] != -1) {
        hLine(p, l, rt, t, color(LTOuter[i]));
        vLine(p, l, t, b, color(LTOuter[i]));
    }
    if (RBOuter[i] != -1) {
        hLine(p, l, rt, b - 1, color(RBOuter[i]));
        vLine(p, rt - 1, t, b, color(RBOuter[i]));
    }
    if (LTInner[i] != -1) {
        hLine(p, l + 1, rt - 1, t + 1, color(LTInner[i]));
        vLine(p, l + 1, t + 1, b - 1, color(LTInner[i]));
    }
    if (RBInner[i] != -1) {
        hLine(p, l + 1, rt - 1, b - 2, color(RBInner[i]));
        vLine(p, rt - 2, t + 1, b - 1, color(RBInner[i]));
    }
}

void BevelPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), backColor());
    if (m_outerEdge != 0)
        DrawEdge(painter, outerRect(), EdgeType(m_outerEdge), palette());
    if (m_innerEdge != 0)
        DrawEdge(painter, innerRect(), EdgeType(m_innerEdge), palette());
}

void BevelPanel::resizeEvent(QResizeEvent *) {
    arrange();
    update();
}

void BevelPanel::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) {
        if (testAttribute(Qt::WA_SetFont))
            markChanged();
        arrange();
    } else if (event->type() == QEvent::PaletteChange) {
        // System colours follow the palette.
        QPalette p = m_lblCap->palette();
        p.setColor(QPalette::WindowText, foreColor());
        m_lblCap->setPalette(p);
    }
    QWidget::changeEvent(event);
}

bool BevelPanel::Arrange(int textAlign, QSizeF control, QSizeF caption, QSizeF picture,
                         QPointF *picturePos, QPointF *captionPos) {
    const double W = control.width(), H = control.height();
    const double cw = caption.width(), ch = caption.height();
    const double pw = picture.width(), ph = picture.height();
    switch (textAlign) {
    case CaptionAbovePicture:
        *picturePos = {(W - pw) / 2, (H - ph - ch - 60) / 2 + ch + 30};
        *captionPos = {(W - cw) / 2, (H - ch - ph - 60) / 2};
        return true;
    case PictureAboveCaption:
        *picturePos = {(W - pw) / 2, (H - ph - ch - 60) / 2};
        *captionPos = {(W - cw) / 2, (H - ch - ph - 60) / 2 + ph + 30};
        return true;
    case CaptionLeftOfPicture:
        *picturePos = {(W - pw - cw - 60) / 2 + cw + 30, (H - ph) / 2};
        *captionPos = {(W - pw - cw - 60) / 2, (H - ch) / 2};
        return true;
    case PictureLeftOfCaption:
        *picturePos = {(W - pw - cw - 60) / 2, (H - ph) / 2};
        *captionPos = {(W - pw - cw - 60) / 2 + pw + 30, (H - ch) / 2};
        return true;
    case Centred:
        *picturePos = {(W - pw) / 2, (H - ph) / 2};
        *captionPos = {(W - cw) / 2, (H - ch) / 2};
        return true;
    default:
        return false;
    }
}

void BevelPanel::arrange() {
    m_lblCap->adjustSize();
    const auto twips = [](QSize px) {
        return QSizeF(WindowChrome::PixelsToTwipsX(px.width()),
                      WindowChrome::PixelsToTwipsY(px.height()));
    };
    const QSize picturePx = m_picture.isNull() ? QSize(0, 0) : m_imgPic->size();
    QPointF pic, cap;
    if (!Arrange(m_textAlign, twips(size()), twips(m_lblCap->size()), twips(picturePx), &pic, &cap))
        return;
    m_imgPic->move(toPixelsX(pic.x()), toPixelsY(pic.y()));
    m_lblCap->move(toPixelsX(cap.x()), toPixelsY(cap.y()));
}

// Clicks: a left press and release on the same part (surface, caption or picture).
void BevelPanel::mousePressEvent(QMouseEvent *event) {
    m_pressedOn = event->button() == Qt::LeftButton ? this : nullptr;
}

void BevelPanel::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = event->button() == Qt::LeftButton && m_pressedOn == this &&
                       rect().contains(event->position().toPoint());
    m_pressedOn = nullptr;
    if (click)
        emit clicked();
}

void BevelPanel::mouseDoubleClickEvent(QMouseEvent *) {
    // The second press of a double-click on the surface is neither a click nor a
    // double-click.
    m_pressedOn = nullptr;
}

bool BevelPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_lblCap && watched != m_imgPic)
        return QWidget::eventFilter(watched, event);
    auto *child = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        m_pressedOn = e->button() == Qt::LeftButton ? watched : nullptr;
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        const bool click = e->button() == Qt::LeftButton && m_pressedOn == watched &&
                           child->rect().contains(e->position().toPoint());
        m_pressedOn = nullptr;
        if (click)
            emit clicked();
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        auto *e = static_cast<QMouseEvent *>(event);
        m_pressedOn = nullptr;
        if (e->button() == Qt::LeftButton)
            emit doubleClicked();
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

// --- design store

QStringList BevelPanel::PropertyKeys() {
    return {QStringLiteral("InnerEdge"), QStringLiteral("OuterEdge"), QStringLiteral("BorderWidth"),
            QStringLiteral("BackColor"), QStringLiteral("ForeColor"), QStringLiteral("Picture"),
            QStringLiteral("Font"),      QStringLiteral("Caption"),   QStringLiteral("TextAlign")};
}

QFont BevelPanel::containerFont() const {
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void BevelPanel::initProperties() {
    setFont(QFont());
    setInnerEdge(None);
    setOuterEdge(Raised);
    setBorderWidth(1);
    setBackColorValue(ButtonFaceColor);
    setForeColorValue(WindowTextColor);
    setTextAlign(Centred);
}

BevelPanel::Properties BevelPanel::writeProperties() const {
    Properties out;
    const auto put = [&](const char *key, const QVariant &value, bool isDefault) {
        if (!isDefault)
            out.append({QString::fromLatin1(key), value});
    };
    put("InnerEdge", m_innerEdge, m_innerEdge == None);
    put("OuterEdge", m_outerEdge, m_outerEdge == Raised);
    put("BorderWidth", m_borderWidth, m_borderWidth == 1);
    put("BackColor", m_backColor, m_backColor == ButtonFaceColor);
    put("ForeColor", m_foreColor, m_foreColor == WindowTextColor);
    put("Picture", m_picture, m_picture.isNull());
    put("Font", font(), font() == containerFont());
    put("Caption", caption(), caption().isEmpty());
    put("TextAlign", m_textAlign, m_textAlign == Centred);
    return out;
}

void BevelPanel::writeProperties(QSettings &store) const {
    for (const QString &key : PropertyKeys())
        store.remove(key);
    for (const auto &[key, value] : writeProperties())
        store.setValue(key, value);
}

void BevelPanel::readOne(const QString &key, const QVariant &v, bool present) {
    if (key == QLatin1String("InnerEdge"))
        setInnerEdge(present ? v.toInt() : None);
    else if (key == QLatin1String("OuterEdge"))
        setOuterEdge(present ? v.toInt() : Raised);
    else if (key == QLatin1String("BorderWidth"))
        setBorderWidth(present ? v.toInt() : 1);
    else if (key == QLatin1String("BackColor"))
        setBackColorValue(present ? v.toUInt() : ButtonFaceColor);
    else if (key == QLatin1String("ForeColor"))
        setForeColorValue(present ? v.toUInt() : WindowTextColor);
    else if (key == QLatin1String("Caption"))
        setCaption(present ? v.toString() : QString());
    else if (key == QLatin1String("Font"))
        setFont(present && v.canConvert<QFont>() ? v.value<QFont>() : QFont());
    else if (key == QLatin1String("TextAlign"))
        setTextAlign(present ? v.toInt() : Centred);
    else if (key == QLatin1String("Picture"))
        setPicture(present ? v.value<QPixmap>() : QPixmap());
}

static const char *const ReadOrder[] = {"InnerEdge", "OuterEdge", "BorderWidth",
                                        "BackColor", "ForeColor", "Caption",
                                        "Font",      "TextAlign", "Picture"};

void BevelPanel::readProperties(const QVariantMap &store) {
    setFont(QFont());
    for (const char *k : ReadOrder) {
        const QString key = QString::fromLatin1(k);
        const auto it = store.find(key);
        readOne(key, it == store.end() ? QVariant() : *it, it != store.end());
    }
    arrange();
    // What was just read is the design itself, not a change to it.
    m_designChanged = false;
}

void BevelPanel::readProperties(const QSettings &store) {
    QVariantMap map;
    for (const QString &key : PropertyKeys())
        if (store.contains(key))
            map.insert(key, store.value(key));
    readProperties(map);
}
