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
    int face() const { return m_face; }
    int shownFace() const { return m_shown; }
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
    void show(int number);

    int m_hitWidth;
    int m_hitHeight;
    int m_face = 0;
    int m_pressedFace = 0;
    int m_disabledFace = 0;
    int m_shown = 0;
    bool m_pressed = false;
    std::function<int()> m_normalFace;
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
