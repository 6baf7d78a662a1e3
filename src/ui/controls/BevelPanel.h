#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QPixmap>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QVariant>
#include <QWidget>

class QLabel;
class QPainter;
class QSettings;

// A panel filled with a background colour, framed by up to two bevelled edges (one on the
// border, one BorderWidth pixels inside), with an optional caption and picture.
class BevelPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int OuterEdge READ outerEdge WRITE setOuterEdge)
    Q_PROPERTY(int InnerEdge READ innerEdge WRITE setInnerEdge)
    Q_PROPERTY(int BorderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(quint32 BackColor READ backColorValue WRITE setBackColorValue)
    Q_PROPERTY(quint32 ForeColor READ foreColorValue WRITE setForeColorValue)
    Q_PROPERTY(QPixmap Picture READ picture WRITE setPicture)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(int TextAlign READ textAlign WRITE setTextAlign)
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
    // Caption and picture arrangements.
    enum Align {
        CaptionAbovePicture = 0,
        PictureAboveCaption = 1,
        CaptionLeftOfPicture = 2,
        PictureLeftOfCaption = 3,
        Centred = 4
    };

    // Colours are stored as 32-bit values: 0x00BBGGRR, or 0x800000nn for system colour nn.
    static constexpr quint32 ButtonFaceColor = 0x8000000F;
    static constexpr quint32 WindowTextColor = 0x80000008;

    explicit BevelPanel(QWidget *parent = nullptr);

    int outerEdge() const { return m_outerEdge; }
    void setOuterEdge(int style);
    int innerEdge() const { return m_innerEdge; }
    void setInnerEdge(int style);
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int pixels);

    QColor backColor() const;
    void setBackColor(const QColor &color);
    quint32 backColorValue() const { return m_backColor; }
    void setBackColorValue(quint32 value);
    QColor foreColor() const;
    void setForeColor(const QColor &color);
    quint32 foreColorValue() const { return m_foreColor; }
    void setForeColorValue(quint32 value);

    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    QString caption() const;
    void setCaption(const QString &caption);
    int textAlign() const { return m_textAlign; }
    void setTextAlign(int align);
    // Font: the widget's own font(); a panel without one takes its container's.

    // The outer rectangle and the one BorderWidth inside it, as left, top, right, bottom
    // with right and bottom exclusive (the inner one may be empty or inverted).
    QRect outerRect() const;
    QRect innerRect() const;

    // The caption label and the picture image (children, laid out by TextAlign).
    QLabel *captionLabel() const { return m_lblCap; }
    QLabel *pictureImage() const { return m_imgPic; }

    // The design store: the keys in write order, default values left out of a write.
    using Properties = QList<QPair<QString, QVariant>>;
    static QStringList PropertyKeys();
    void initProperties();
    Properties writeProperties() const;
    void writeProperties(QSettings &store) const;
    void readProperties(const QVariantMap &store);
    void readProperties(const QSettings &store);
    // Set by writing OuterEdge, InnerEdge, BorderWidth, BackColor, ForeColor or Font.
    bool isDesignChanged() const { return m_designChanged; }
    void setDesignChanged(bool changed) { m_designChanged = changed; }

    // Where caption and picture go for an arrangement, all in twips. Returns false for an
    // arrangement outside 0 ... 4, which leaves both where they are.
    static bool Arrange(int textAlign, QSizeF control, QSizeF caption, QSizeF picture,
                        QPointF *picturePos, QPointF *captionPos);
    // The window system's edge type for an edge style; 0 when nothing is drawn.
    static int EdgeType(int style);
    // Draws an edge type around the rectangle (right and bottom exclusive) in the soft
    // colours of the window system's bevels, taken from the palette.
    static void DrawEdge(QPainter &painter, const QRect &rect, int edgeType,
                         const QPalette &palette);
    // A stored colour value as a colour; system colours come from the palette.
    static QColor ColorFromValue(quint32 value, const QPalette &palette);

signals:
    void clicked();
    void doubleClicked();
    void designChanged();

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void arrange();
    void markChanged();
    QFont containerFont() const;
    void readOne(const QString &key, const QVariant &value, bool present);

    int m_outerEdge = Raised;
    int m_innerEdge = None;
    int m_borderWidth = 1;
    quint32 m_backColor = ButtonFaceColor;
    quint32 m_foreColor = WindowTextColor;
    int m_textAlign = Centred;
    QPixmap m_picture;
    QLabel *m_lblCap;
    QLabel *m_imgPic;
    QObject *m_pressedOn = nullptr;
    bool m_designChanged = false;
};
