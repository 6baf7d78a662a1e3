#pragma once

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

signals:
    void clicked();
    void released(bool inside);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showFace(int number);

    int hitWidth_;
    int hitHeight_;
    int face_ = 0;
    int pressedFace_ = 0;
    int disabledFace_ = 0;
    int shown_ = 0;
    bool pressed_ = false;
    std::function<int()> normalFace_;
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
