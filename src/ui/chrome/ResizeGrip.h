#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>

// The 30 x 30 grip in a window's bottom-right corner: a left-button drag resizes the window
// by the pointer's movement, never below the window's minimum size.
class ResizeGrip : public QWidget {
    Q_OBJECT
public:
    // Bounded by `minimumTwips` (the history window's 4000 x 1600 unless told otherwise)
    // and by the window's own minimum size.
    explicit ResizeGrip(QWidget *parent, QSize minimumTwips = QSize(4000, 1600));

    QSize minimumTwips() const { return minimumTwips_; }
    // Screen position of the pointer at the last grip event.
    QPoint gripLast() const { return last_; }

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSize minimumTwips_;
    QPoint last_;
    bool dragging_ = false;
};
