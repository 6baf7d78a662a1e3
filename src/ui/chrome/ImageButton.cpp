#include "ui/chrome/ImageButton.h"

#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

namespace {

// What a screen reader hears of a picture button: a push button named by its tooltip, with
// its key, that it can press.
class ImageButtonAccessible : public QAccessibleWidget {
public:
    explicit ImageButtonAccessible(ImageButton *button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        const auto *b = static_cast<const ImageButton *>(widget());
        switch (t) {
        case QAccessible::Name:
            return b->accessibleName().isEmpty() ? b->name() : b->accessibleName();
        case QAccessible::Description:
            return b->accessibleDescription();
        case QAccessible::Accelerator:
            return b->shortcut().toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override {
        if (action == pressAction())
            static_cast<ImageButton *>(widget())->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *ImageButtonInterface(const QString &className, QObject *object) {
    if (className == QLatin1String("ImageButton") && object && object->isWidgetType())
        return new ImageButtonAccessible(static_cast<ImageButton *>(object));
    return nullptr;
}

} // namespace

QPixmap Face(int number) {
    // Rendered to the picture's own pixel size so every face is crisp at its design size.
    return Pictures::Cached(QStringLiteral(":/faces/%1.svg").arg(number));
}

ImageButton::ImageButton(int hitWidth, int hitHeight, QWidget *parent)
    : QWidget(parent), hitWidth_(hitWidth), hitHeight_(hitHeight) {
    static const bool accessible = (QAccessible::installFactory(ImageButtonInterface), true);
    Q_UNUSED(accessible);
    setFixedSize(hitWidth, hitHeight);
    // Tab reaches every button; a press takes the focus too, so a box being edited is left
    // (and written) before the command runs.
    setFocusPolicy(Qt::StrongFocus);
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

QRect ImageButton::faceRect() const {
    const QSize own = Face(shown_).size();
    if (own.isEmpty())
        return QRect();
    if (own.width() <= width() && own.height() <= height())
        return QRect(QPoint(0, 0), own);
    return QRect(QPoint(0, 0), own.scaled(size(), Qt::KeepAspectRatio));
}

void ImageButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect place = faceRect();
    if (!place.isEmpty()) {
        if (place.size() == Face(shown_).size())
            painter.drawPixmap(place.topLeft(), Face(shown_));
        else
            painter.drawPixmap(
                place.topLeft(),
                Pictures::Render(QStringLiteral(":/faces/%1.svg").arg(shown_), place.size()));
    }
    if (hasFocus() && focusRing_) {
        const QRect ring = (place.isEmpty() ? rect() : place).adjusted(1, 1, -2, -2);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRoundedRect(ring, 3, 3);
    }
}

void ImageButton::click() {
    if (!isEnabled())
        return;
    pressed_ = false;
    emit clicked();
    showFace(normalFace_ ? normalFace_() : face_);
    emit released(true);
}

void ImageButton::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Space:
        // The pressed face while Space is held; the command on its release, as a push button.
        if (!event->isAutoRepeat()) {
            spacePressed_ = true;
            if (pressedFace_ != 0)
                showFace(pressedFace_);
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ImageButton::keyReleaseEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && spacePressed_) {
        spacePressed_ = false;
        click();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void ImageButton::focusInEvent(QFocusEvent *event) {
    // A click shows no ring; Tab and the other ways in do.
    focusRing_ = event->reason() != Qt::MouseFocusReason;
    update();
    QWidget::focusInEvent(event);
}

void ImageButton::focusOutEvent(QFocusEvent *event) {
    if (spacePressed_) {
        spacePressed_ = false;
        showFace(normalFace_ ? normalFace_() : face_);
    }
    update();
    QWidget::focusOutEvent(event);
}

QString ImageButton::keyText() const {
    return keys_.isEmpty() ? QString()
                           : QStringLiteral(" (") + keys_.toString(QKeySequence::NativeText) +
                                 QStringLiteral(")");
}

void ImageButton::setShortcut(const QKeySequence &keys) {
    const QString tip = name();
    keys_ = keys;
    setToolTip(tip + keyText());
    auto *shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &ImageButton::click);
}

QString ImageButton::name() const {
    const QString tip = toolTip();
    const QString key = keyText();
    return !key.isEmpty() && tip.endsWith(key) ? tip.chopped(key.size()) : tip;
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
    // A tooltip set anew keeps showing the key.
    if (event->type() == QEvent::ToolTipChange && !keys_.isEmpty() &&
        !toolTip().endsWith(keyText()))
        setToolTip(toolTip() + keyText());
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
