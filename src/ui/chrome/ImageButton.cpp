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
    : QWidget(parent), hitWidth_(hitWidth), hitHeight_(hitHeight) {
    setFixedSize(hitWidth, hitHeight);
}

void ImageButton::setFace(int number) {
    face_ = number;
    if (isEnabled() || disabledFace_ == 0)
        showFace(number);
}

void ImageButton::setPressedFace(int number) {
    pressedFace_ = number;
}

void ImageButton::setDisabledFace(int number) {
    disabledFace_ = number;
    if (!isEnabled())
        showFace(number);
}

void ImageButton::setNormalFace(std::function<int()> normalFace) {
    normalFace_ = std::move(normalFace);
}

void ImageButton::showFace(int number) {
    shown_ = number;
    update();
}

void ImageButton::paintEvent(QPaintEvent *) {
    const QPixmap pixmap = Face(shown_);
    if (pixmap.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, pixmap);
}

void ImageButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    if (pressedFace_ != 0)
        showFace(pressedFace_);
}

void ImageButton::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    const QPoint p = event->position().toPoint();
    const bool inside = p.x() >= 0 && p.x() <= hitWidth_ && p.y() >= 0 && p.y() <= hitHeight_;
    if (inside)
        emit clicked();
    showFace(normalFace_ ? normalFace_() : face_);
    emit released(inside);
}

void ImageButton::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange) {
        pressed_ = false;
        showFace(!isEnabled() && disabledFace_ != 0 ? disabledFace_ : face_);
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
