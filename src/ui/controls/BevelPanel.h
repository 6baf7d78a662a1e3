#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

// A panel filled with a background colour, framed by up to two bevelled edges (one on the
// border, one BorderWidth pixels inside): the frames behind the main window's clock and call
// lines, the settings panel's groups and the history list.
class BevelPanel : public QWidget {
    Q_OBJECT
public:
    // Edge styles.
    enum Edge {
        None = 0,
        Bump = 1,
        Etched = 2,
        Raised = 3,
        RaisedInner = 4,
        RaisedOuter = 5,
        Sunken = 6,
        SunkenInner = 7,
        SunkenOuter = 8
    };

    // Colours are stored as 32-bit values: 0x00BBGGRR, or 0x800000nn for system colour nn.
    static constexpr quint32 ButtonFaceColor = 0x8000000F;

    explicit BevelPanel(QWidget *parent = nullptr);

    int outerEdge() const { return outerEdge_; }
    void setOuterEdge(int style);
    int innerEdge() const { return innerEdge_; }
    void setInnerEdge(int style);
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int pixels);

    QColor backColor() const;
    void setBackColor(const QColor &color);
    quint32 backColorValue() const { return backColor_; }
    void setBackColorValue(quint32 value);

    // The outer rectangle and the one BorderWidth inside it, as left, top, right, bottom
    // with right and bottom exclusive (the inner one may be empty or inverted).
    QRect outerRect() const;
    QRect innerRect() const;

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int outerEdge_ = Raised;
    int innerEdge_ = None;
    int borderWidth_ = 1;
    quint32 backColor_ = ButtonFaceColor;
};
