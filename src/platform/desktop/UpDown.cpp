#include "platform/desktop/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

UpDown::UpDown(QWidget *parent) : QWidget(parent) {
    up_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setObjectName(QStringLiteral("down"));
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {up_, down_}) {
        // Held down, the arrows keep stepping, as the desktop's spin controls do.
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    resize(DefaultWidth, 20);
}

void UpDown::setBuddy(QLineEdit *buddy) {
    buddy_ = buddy;
    if (!buddy)
        return;
    const QRect b = buddy->geometry();
    const int width = std::min(DefaultWidth, b.width() / 2);
    buddy->resize(b.width() - width, b.height());
    setParent(buddy->parentWidget());
    setGeometry(b.right() - width + 1, b.top(), width, b.height());
    show();
    buddy->setText(QString::number(position_));
}

void UpDown::setRange(int lower, int upper) {
    lower_ = std::min(lower, upper);
    upper_ = std::max(lower, upper);
    setPosition(position_);
}

int UpDown::clamp(int value) const {
    return std::clamp(value, lower_, upper_);
}

void UpDown::setPosition(int position) {
    const int clamped = clamp(position);
    const bool changed = clamped != position_;
    position_ = clamped;
    if (buddy_)
        buddy_->setText(QString::number(position_));
    if (changed)
        emit positionChanged(position_);
}

void UpDown::step(int delta) {
    // The buddy's text is the position when it reads as a whole number.
    if (buddy_) {
        bool ok = false;
        const int typed = buddy_->text().trimmed().toInt(&ok);
        if (ok)
            position_ = clamp(typed);
    }
    setPosition(position_ + delta);
    // At a limit the buddy still shows the position, even when nothing moved.
    if (buddy_)
        buddy_->setText(QString::number(position_));
}

void UpDown::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}
