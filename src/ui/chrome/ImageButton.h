#pragma once

#include <QKeySequence>
#include <QPixmap>
#include <QWidget>
#include <functional>

// A picture button of fixed design size whose faces are the program's numbered pictures.
// The hit bounds are the design size, inclusive on the right and bottom border.
class ImageButton : public QWidget {
    Q_OBJECT
public:
    ImageButton(int hitWidth, int hitHeight, QWidget *parent = nullptr);

    void setFace(int number);
    void setPressedFace(int number);
    void setDisabledFace(int number);
    int face() const { return face_; }
    int shownFace() const { return shown_; }
    // The face shown after a release (inside or outside); defaults to the last setFace.
    void setNormalFace(std::function<int()> normalFace);

    // Where the face is drawn: at its own size, or shrunk into the button when it is larger,
    // so no part of it is cut off.
    QRect faceRect() const;
    // Runs the command as a click inside does (Space, Enter, a shortcut, a screen reader).
    void click();
    // A key of the window that clicks the button; it is shown in the tooltip.
    void setShortcut(const QKeySequence &keys);
    QKeySequence shortcut() const { return keys_; }
    // The tooltip without the key shown after it: the button's name for a screen reader.
    QString name() const;

signals:
    void clicked();
    void released(bool inside);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showFace(int number);
    QString keyText() const;

    int hitWidth_;
    int hitHeight_;
    int face_ = 0;
    int pressedFace_ = 0;
    int disabledFace_ = 0;
    int shown_ = 0;
    bool pressed_ = false;
    std::function<int()> normalFace_;
    QKeySequence keys_;
    // The focus came from the keyboard: the ring shows where it is.
    bool focusRing_ = false;
    bool spacePressed_ = false;
};

// The picture numbered `number`, at its own size; cached. Null when no such picture exists.
QPixmap Face(int number);

// One picture button of a window's faces table: where it sits (twips in its parent; a bar that
// lays its buttons out itself leaves 0, 0), its tooltip, and its pressed and normal faces.
struct FaceButton {
    int left, top;
    const char *tip;
    int pressed, normal;
};

// The button `button` describes, `hitWidth` x `hitHeight` pixels, named `objectName` (the
// designer's name, by which tests find it) and placed in `parent`.
ImageButton *MakeFaceButton(const FaceButton &button, int hitWidth, int hitHeight, QWidget *parent,
                            const QString &objectName);
