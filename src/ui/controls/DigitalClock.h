#pragma once

#include <QString>
#include <QWidget>

// The clock display (CtlDigital1): a lit seven-segment display of up to 11 characters (digits, ":",
// "-", "/", blanks). The program sets its text and a highlight; a double-click is reported.
class DigitalClock : public QWidget {
    Q_OBJECT
public:
    static constexpr int Length = 11;

    explicit DigitalClock(QWidget *parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString &text);
    bool highlight() const { return highlight_; }
    void setHighlight(bool on);

    QSize sizeHint() const override { return {198, 27}; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString text_;
    bool highlight_ = false;
};
