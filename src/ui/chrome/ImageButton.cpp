#include "ui/chrome/ImageButton.h"

#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

QPixmap Face(int number) {
    // Rendered to the picture's own pixel size so every face is crisp at its design size.
    return Pictures::Cached(QStringLiteral(":/faces/%1.svg").arg(number));
}

ImageButton::ImageButton(int hitWidth, int hitHeight, QWidget *parent)
    : QWidget(parent), m_hitWidth(hitWidth), m_hitHeight(hitHeight) {
    setFixedSize(hitWidth, hitHeight);
}

void ImageButton::setFace(int number) {
    m_face = number;
    if (isEnabled() || m_disabledFace == 0)
        show(number);
}

void ImageButton::setPressedFace(int number) {
    m_pressedFace = number;
}

void ImageButton::setDisabledFace(int number) {
    m_disabledFace = number;
    if (!isEnabled())
        show(number);
}

void ImageButton::setNormalFace(std::function<int()> normalFace) {
    m_normalFace = std::move(normalFace);
}

void ImageButton::show(int number) {
    m_shown = number;
    update();
}

void ImageButton::paintEvent(QPaintEvent *) {
    const QPixmap pixmap = Face(m_shown);
    if (pixmap.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, pixmap);
}

void ImageButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    if (m_pressedFace != 0)
        show(m_pressedFace);
}

void ImageButton::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    const QPoint p = event->position().toPoint();
    const bool inside = p.x() >= 0 && p.x() <= m_hitWidth && p.y() >= 0 && p.y() <= m_hitHeight;
    if (inside)
        emit clicked();
    show(m_normalFace ? m_normalFace() : m_face);
    emit released(inside);
}

void ImageButton::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange) {
        m_pressed = false;
        show(!isEnabled() && m_disabledFace != 0 ? m_disabledFace : m_face);
    }
    QWidget::changeEvent(event);
}

ImageButton *MakeFaceButton(const FaceButton &button, int hitWidth, int hitHeight, QWidget *parent,
                            const QString &objectName) {
    auto *b = new ImageButton(hitWidth, hitHeight, parent);
    b->setObjectName(objectName);
    b->setToolTip(QString::fromUtf8(button.tip));
    b->setPressedFace(button.pressed);
    b->setFace(button.normal);
    b->move(WindowChrome::TwipsToPixelsX(button.left), WindowChrome::TwipsToPixelsY(button.top));
    return b;
}
