#include "ui/controls/BevelPanel.h"

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Distinct bevel colours so every line of an edge can be told apart.
QPalette bevelPalette() {
    QPalette p;
    p.setColor(QPalette::Light, QColor(255, 255, 255));
    p.setColor(QPalette::Midlight, QColor(220, 220, 220));
    p.setColor(QPalette::Dark, QColor(128, 128, 128));
    p.setColor(QPalette::Shadow, QColor(64, 64, 64));
    p.setColor(QPalette::Button, QColor(192, 192, 192));
    return p;
}
const QColor Back(18, 52, 86);
} // namespace

class TestBevelPanel : public QObject {
    Q_OBJECT
    static QImage render(BevelPanel &panel) { return panel.grab().toImage(); }

private slots:
    void defaults() {
        BevelPanel panel;
        QCOMPARE(panel.outerEdge(), 3);
        QCOMPARE(panel.innerEdge(), 0);
        QCOMPARE(panel.borderWidth(), 1);
        QCOMPARE(panel.backColorValue(), 0x8000000Fu);
        QCOMPARE(panel.foreColorValue(), 0x80000008u);
        QCOMPARE(panel.textAlign(), 4);
        QVERIFY(panel.caption().isEmpty());
        QVERIFY(panel.picture().isNull());
        QCOMPARE(panel.backColor(), panel.palette().color(QPalette::Button));
        QCOMPARE(panel.foreColor(), panel.palette().color(QPalette::WindowText));
        QVERIFY(!panel.isDesignChanged());
        QCOMPARE(panel.captionLabel()->objectName(), QStringLiteral("lblCap"));
        QCOMPARE(panel.pictureImage()->objectName(), QStringLiteral("imgPic"));
    }

    void defaultPanelDrawsARaisedFrame() {
        QWidget window;
        BevelPanel panel(&window);
        panel.setPalette(bevelPalette());
        panel.setGeometry(0, 60, 215, 39);
        const QImage image = render(panel);
        QCOMPARE(image.size(), QSize(215, 39));
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(214, 38), QColor(64, 64, 64));
        QCOMPARE(image.pixelColor(100, 20), QColor(192, 192, 192));
    }

    // Colours of the outer top-left, outer bottom-right, inner top-left and inner
    // bottom-right lines of each style ('L'ight, 'M'idlight, 'D'ark, 'S'hadow, 'B'ack).
    void edgeStyles_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("lines");
        QTest::newRow("none") << 0 << "BBBB";
        QTest::newRow("bump") << 1 << "LSDM";
        QTest::newRow("etched") << 2 << "SLMD";
        QTest::newRow("raised") << 3 << "LSMD";
        QTest::newRow("raised inner") << 4 << "MDBB";
        QTest::newRow("raised outer") << 5 << "LSBB";
        QTest::newRow("sunken") << 6 << "SLDM";
        QTest::newRow("sunken inner") << 7 << "DMBB";
        QTest::newRow("sunken outer") << 8 << "SLBB";
        QTest::newRow("9 draws nothing") << 9 << "BBBB";
        QTest::newRow("-1 draws nothing") << -1 << "BBBB";
    }
    void edgeStyles() {
        QFETCH(int, style);
        QFETCH(QString, lines);
        const auto colour = [](QChar c) {
            switch (c.toLatin1()) {
            case 'L':
                return QColor(255, 255, 255);
            case 'M':
                return QColor(220, 220, 220);
            case 'D':
                return QColor(128, 128, 128);
            case 'S':
                return QColor(64, 64, 64);
            default:
                return Back;
            }
        };
        BevelPanel panel;
        panel.setPalette(bevelPalette());
        panel.setBackColor(Back);
        panel.resize(40, 30);
        for (bool asInner : {false, true}) {
            // As the inner edge with BorderWidth 3, the same lines sit 3 pixels inside.
            panel.setOuterEdge(asInner ? 0 : style);
            panel.setInnerEdge(asInner ? style : 0);
            panel.setBorderWidth(3);
            const int o = asInner ? 3 : 0;
            const QImage image = render(panel);
            QCOMPARE(image.pixelColor(o, o), colour(lines[0]));
            QCOMPARE(image.pixelColor(20, o), colour(lines[0]));
            QCOMPARE(image.pixelColor(o, 15), colour(lines[0]));
            QCOMPARE(image.pixelColor(39 - o, 29 - o), colour(lines[1]));
            // The bottom and right lines are drawn over the shared corners.
            QCOMPARE(image.pixelColor(39 - o, o), colour(lines[1]));
            QCOMPARE(image.pixelColor(o, 29 - o), colour(lines[1]));
            QCOMPARE(image.pixelColor(o + 1, o + 1), colour(lines[2]));
            QCOMPARE(image.pixelColor(38 - o, 28 - o), colour(lines[3]));
            QCOMPARE(image.pixelColor(20, 15), Back);
        }
    }

    void flatWithoutEdges() {
        BevelPanel panel;
        panel.setOuterEdge(0);
        panel.setInnerEdge(0);
        panel.setBackColor(Qt::black);
        panel.resize(30, 20);
        const QImage image = render(panel);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                QCOMPARE(image.pixelColor(x, y), QColor(Qt::black));
    }

    void borderWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("innerVisible");
        QTest::addColumn<QRect>("inner");
        QTest::newRow("0: on the outer edge") << 0 << true << QRect(QPoint(0, 0), QPoint(40, 30));
        QTest::newRow("4") << 4 << true << QRect(QPoint(4, 4), QPoint(36, 26));
        QTest::newRow("15: empty") << 15 << false << QRect(QPoint(15, 15), QPoint(25, 15));
        QTest::newRow("20: inverted") << 20 << false << QRect(QPoint(20, 20), QPoint(20, 10));
    }
    void borderWidth() {
        QFETCH(int, width);
        QFETCH(bool, innerVisible);
        QFETCH(QRect, inner);
        BevelPanel panel;
        panel.setPalette(bevelPalette());
        panel.setBackColor(Back);
        panel.setOuterEdge(0);
        panel.setInnerEdge(8); // sunken outer: a single shadow line top and left
        panel.setBorderWidth(width);
        panel.resize(40, 30);
        QCOMPARE(panel.innerRect(), inner);
        const QImage image = render(panel);
        int shadow = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                shadow += image.pixelColor(x, y) == QColor(64, 64, 64);
        QCOMPARE(shadow > 0, innerVisible);
        if (innerVisible)
            QCOMPARE(image.pixelColor(width, width + 5), QColor(64, 64, 64));
    }

    void resizeRedrawsTheEdges() {
        BevelPanel panel;
        panel.setPalette(bevelPalette());
        panel.setOuterEdge(6);
        panel.setInnerEdge(6);
        panel.resize(40, 30);
        render(panel);
        panel.resize(90, 50);
        const QImage image = render(panel);
        // Outer edge on 0 ... 89, inner edge one pixel inside it: four lines each side.
        QCOMPARE(image.pixelColor(89, 49), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(88, 10), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(87, 10), QColor(220, 220, 220));
        QCOMPARE(image.pixelColor(87, 47), QColor(220, 220, 220));
        QCOMPARE(image.pixelColor(0, 25), QColor(64, 64, 64));
        QCOMPARE(image.pixelColor(1, 25), QColor(64, 64, 64));
        QCOMPARE(image.pixelColor(2, 25), QColor(128, 128, 128));
        QCOMPARE(image.pixelColor(45, 25), panel.backColor());
    }

    void arrangement_data() {
        QTest::addColumn<int>("align");
        QTest::addColumn<QPointF>("picture");
        QTest::addColumn<QPointF>("caption");
        // Control 3000 x 1500, caption 600 x 240, picture 480 x 480 (twips).
        QTest::newRow("0 caption above") << 0 << QPointF(1260, 630) << QPointF(1200, 360);
        QTest::newRow("1 picture above") << 1 << QPointF(1260, 360) << QPointF(1200, 870);
        QTest::newRow("2 caption left") << 2 << QPointF(1560, 510) << QPointF(930, 630);
        QTest::newRow("3 picture left") << 3 << QPointF(930, 510) << QPointF(1440, 630);
        QTest::newRow("4 centred") << 4 << QPointF(1260, 510) << QPointF(1200, 630);
    }
    void arrangement() {
        QFETCH(int, align);
        QFETCH(QPointF, picture);
        QFETCH(QPointF, caption);
        QPointF p, c;
        QVERIFY(BevelPanel::Arrange(align, QSizeF(3000, 1500), QSizeF(600, 240), QSizeF(480, 480),
                                    &p, &c));
        QCOMPARE(p, picture);
        QCOMPARE(c, caption);
    }

    void verticalBlockSitsFifteenTwipsHigh() {
        // Caption 240 + gap 30 + picture 480 centred in 1500 would start at 375.
        QPointF p, c;
        BevelPanel::Arrange(1, QSizeF(3000, 1500), QSizeF(600, 240), QSizeF(480, 480), &p, &c);
        QCOMPARE(p.y(), (1500 - 750) / 2.0 - 15);
        BevelPanel::Arrange(0, QSizeF(3000, 1500), QSizeF(600, 240), QSizeF(480, 480), &p, &c);
        QCOMPARE(c.y(), (1500 - 750) / 2.0 - 15);
        // No picture: the caption's top is 30 above its centred position.
        BevelPanel::Arrange(0, QSizeF(3000, 1500), QSizeF(600, 240), QSizeF(0, 0), &p, &c);
        QCOMPARE(c.y(), (1500 - 240 - 60) / 2.0);
        QCOMPARE(c.y(), (1500 - 240) / 2.0 - 30);
    }

    void otherArrangementLeavesThingsInPlace() {
        QPointF p(7, 8), c(9, 10);
        QVERIFY(
            !BevelPanel::Arrange(5, QSizeF(3000, 1500), QSizeF(600, 240), QSizeF(0, 0), &p, &c));
        QCOMPARE(p, QPointF(7, 8));
        QCOMPARE(c, QPointF(9, 10));

        BevelPanel panel;
        panel.resize(200, 100);
        panel.setCaption(QStringLiteral("着信"));
        const QPoint before = panel.captionLabel()->pos();
        panel.setTextAlign(7);
        panel.resize(300, 150);
        QCOMPARE(panel.captionLabel()->pos(), before);
    }

    void childrenFollowTheArrangement_data() {
        QTest::addColumn<int>("align");
        QTest::newRow("0") << 0;
        QTest::newRow("1") << 1;
        QTest::newRow("2") << 2;
        QTest::newRow("3") << 3;
        QTest::newRow("4") << 4;
    }
    void childrenFollowTheArrangement() {
        QFETCH(int, align);
        BevelPanel panel;
        panel.resize(200, 100);
        QPixmap picture(32, 32);
        picture.fill(Qt::red);
        panel.setPicture(picture);
        panel.setCaption(QStringLiteral("時計"));
        panel.setTextAlign(align);
        const QSize cap = panel.captionLabel()->size();
        QPointF p, c;
        BevelPanel::Arrange(align, QSizeF(3000, 1500), QSizeF(cap.width() * 15, cap.height() * 15),
                            QSizeF(480, 480), &p, &c);
        QCOMPARE(panel.pictureImage()->size(), QSize(32, 32));
        QCOMPARE(panel.pictureImage()->pos(), QPoint(qRound(p.x() / 15), qRound(p.y() / 15)));
        QCOMPARE(panel.captionLabel()->pos(), QPoint(qRound(c.x() / 15), qRound(c.y() / 15)));
        QVERIFY(panel.pictureImage()->isVisibleTo(&panel));
    }

    void clicks_data() {
        QTest::addColumn<QString>("part");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("clicks");
        QTest::newRow("surface") << "surface" << Qt::LeftButton << 1;
        QTest::newRow("caption") << "caption" << Qt::LeftButton << 1;
        QTest::newRow("picture") << "picture" << Qt::LeftButton << 1;
        QTest::newRow("surface, right button") << "surface" << Qt::RightButton << 0;
        QTest::newRow("caption, right button") << "caption" << Qt::RightButton << 0;
    }
    void clicks() {
        QFETCH(QString, part);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, clicks);
        BevelPanel panel;
        panel.resize(200, 100);
        QPixmap picture(20, 20);
        picture.fill(Qt::blue);
        panel.setPicture(picture);
        panel.setCaption(QStringLiteral("Caption"));
        panel.setTextAlign(2);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QWidget *target = part == QLatin1String("caption")   ? panel.captionLabel()
                          : part == QLatin1String("picture") ? panel.pictureImage()
                                                             : static_cast<QWidget *>(&panel);
        const QPoint at = target == &panel ? QPoint(5, 5) : QPoint(2, 2);
        QSignalSpy click(&panel, &BevelPanel::clicked);
        QTest::mouseClick(target, button, {}, at);
        QCOMPARE(click.count(), clicks);
    }

    void releaseElsewhereIsNoClick() {
        BevelPanel panel;
        panel.resize(100, 50);
        panel.show();
        QSignalSpy click(&panel, &BevelPanel::clicked);
        QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(150, 10));
        QCOMPARE(click.count(), 0);
    }

    void doubleClicks_data() {
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("doubleClicks");
        QTest::newRow("caption") << "caption" << 1;
        QTest::newRow("picture") << "picture" << 1;
        QTest::newRow("surface") << "surface" << 0;
    }
    void doubleClicks() {
        QFETCH(QString, part);
        QFETCH(int, doubleClicks);
        BevelPanel panel;
        panel.resize(200, 100);
        QPixmap picture(20, 20);
        picture.fill(Qt::blue);
        panel.setPicture(picture);
        panel.setCaption(QStringLiteral("Caption"));
        panel.setTextAlign(3);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QWidget *target = part == QLatin1String("caption")   ? panel.captionLabel()
                          : part == QLatin1String("picture") ? panel.pictureImage()
                                                             : static_cast<QWidget *>(&panel);
        QSignalSpy dbl(&panel, &BevelPanel::doubleClicked);
        QTest::mouseDClick(target, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(dbl.count(), doubleClicks);
    }

    void storeKeysInOrder() {
        QCOMPARE(BevelPanel::PropertyKeys(),
                 (QStringList{"InnerEdge", "OuterEdge", "BorderWidth", "BackColor", "ForeColor",
                              "Picture", "Font", "Caption", "TextAlign"}));
        QWidget window;
        BevelPanel panel(&window);
        QVERIFY(panel.writeProperties().isEmpty());
        panel.setInnerEdge(6);
        panel.setOuterEdge(6);
        panel.setBorderWidth(2);
        panel.setBackColor(QColor(194, 194, 194));
        panel.setForeColor(Qt::red);
        QPixmap picture(8, 8);
        picture.fill(Qt::green);
        panel.setPicture(picture);
        QFont font = window.font();
        font.setPointSize(font.pointSize() + 5);
        panel.setFont(font);
        panel.setCaption(QStringLiteral("設定"));
        panel.setTextAlign(1);
        const BevelPanel::Properties written = panel.writeProperties();
        QStringList keys;
        for (const auto &kv : written)
            keys << kv.first;
        QCOMPARE(keys, BevelPanel::PropertyKeys());
        QCOMPARE(written[3].second.toUInt(), 0x00C2C2C2u);
        QCOMPARE(written[4].second.toUInt(), 0x000000FFu);
    }

    void onlyNonDefaultsStored_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::newRow("InnerEdge") << "InnerEdge" << QVariant(2) << QVariant(0);
        QTest::newRow("OuterEdge") << "OuterEdge" << QVariant(0) << QVariant(3);
        QTest::newRow("BorderWidth") << "BorderWidth" << QVariant(5) << QVariant(1);
        QTest::newRow("BackColor") << "BackColor" << QVariant(0u) << QVariant(0x8000000Fu);
        QTest::newRow("ForeColor") << "ForeColor" << QVariant(0xFFu) << QVariant(0x80000008u);
        QTest::newRow("Caption") << "Caption" << QVariant("x") << QVariant(QString());
        QTest::newRow("TextAlign") << "TextAlign" << QVariant(0) << QVariant(4);
    }
    void onlyNonDefaultsStored() {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        QFETCH(QVariant, defaultValue);
        QWidget window;
        BevelPanel panel(&window);
        panel.setProperty(key.toLatin1(), value);
        BevelPanel::Properties written = panel.writeProperties();
        QCOMPARE(written.size(), 1);
        QCOMPARE(written[0].first, key);
        // Reading a store without the key gives its default back.
        panel.readProperties(QVariantMap());
        QCOMPARE(panel.property(key.toLatin1()), defaultValue);
        QVERIFY(panel.writeProperties().isEmpty());
        // Reading it with the key gives the value.
        panel.readProperties(QVariantMap{{key, value}});
        QCOMPARE(panel.property(key.toLatin1()), value);
    }

    void settingsRoundTrip() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("design.ini"));
        QWidget window;
        {
            BevelPanel panel(&window);
            panel.setOuterEdge(3);
            panel.setInnerEdge(2);
            panel.setBackColor(QColor(194, 194, 194));
            panel.setCaption(QStringLiteral("着信音"));
            QSettings store(file, QSettings::IniFormat);
            store.setValue(QStringLiteral("BorderWidth"), 9); // stale: not a default any more
            panel.writeProperties(store);
            QCOMPARE(store.allKeys().size(), 3);
        }
        BevelPanel panel(&window);
        panel.setBorderWidth(4);
        QSettings store(file, QSettings::IniFormat);
        panel.readProperties(store);
        QCOMPARE(panel.innerEdge(), 2);
        QCOMPARE(panel.outerEdge(), 3);
        QCOMPARE(panel.borderWidth(), 1);
        QCOMPARE(panel.backColor(), QColor(194, 194, 194));
        QCOMPARE(panel.caption(), QStringLiteral("着信音"));
        QCOMPARE(panel.textAlign(), 4);
        QCOMPARE(panel.font(), window.font());
        QVERIFY(!panel.isDesignChanged());
    }

    void designChangedBy_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("changed");
        QTest::newRow("OuterEdge") << "OuterEdge" << QVariant(6) << true;
        QTest::newRow("InnerEdge") << "InnerEdge" << QVariant(6) << true;
        QTest::newRow("BorderWidth") << "BorderWidth" << QVariant(2) << true;
        QTest::newRow("BackColor") << "BackColor" << QVariant(0u) << true;
        QTest::newRow("ForeColor") << "ForeColor" << QVariant(0u) << true;
        QTest::newRow("Caption") << "Caption" << QVariant("a") << false;
        QTest::newRow("TextAlign") << "TextAlign" << QVariant(1) << false;
    }
    void designChangedBy() {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        QFETCH(bool, changed);
        BevelPanel panel;
        QVERIFY(!panel.isDesignChanged());
        panel.setProperty(key.toLatin1(), value);
        QCOMPARE(panel.isDesignChanged(), changed);
    }

    void fontChangeMarksTheDesign() {
        BevelPanel panel;
        QFont f = panel.font();
        f.setBold(true);
        panel.setFont(f);
        QVERIFY(panel.isDesignChanged());
        QVERIFY(panel.captionLabel()->font().bold());
    }

    void initialiseRestoresDefaults() {
        QWidget window;
        BevelPanel panel(&window);
        panel.setOuterEdge(6);
        panel.setInnerEdge(6);
        panel.setBorderWidth(3);
        panel.setBackColor(Qt::black);
        panel.setTextAlign(0);
        panel.initProperties();
        QVERIFY(panel.writeProperties().isEmpty());
    }
};

QTEST_MAIN(TestBevelPanel)
#include "tst_bevelpanel.moc"
