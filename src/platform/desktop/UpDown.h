#pragma once

#include <QPointer>
#include <QWidget>

#include <QLineEdit>
class QToolButton;

// The up-down (spin) control: two arrow buttons beside a buddy text box. Each press steps
// the position by one within the range and writes it into the buddy as decimal text; the
// position is read back from the buddy first, so a typed value is where the next step
// starts. It sits at the buddy's right edge, inside the buddy's former width, and is
// released with its parent.
class UpDown : public QWidget {
    Q_OBJECT
public:
    // Width in pixels; the height follows the buddy.
    static constexpr int DefaultWidth = 18;

    explicit UpDown(QWidget *parent = nullptr);

    // Aligns the control at the right edge of buddy (which gives up the control's width).
    void setBuddy(QLineEdit *buddy);
    QLineEdit *buddy() const { return buddy_; }
    void setRange(int lower, int upper);
    int lower() const { return lower_; }
    int upper() const { return upper_; }
    // Kept within the range; shown in the buddy.
    void setPosition(int position);
    int position() const { return position_; }

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

signals:
    void positionChanged(int position);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void step(int delta);
    int clamp(int value) const;

    QPointer<QLineEdit> buddy_;
    QToolButton *up_;
    QToolButton *down_;
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
};
