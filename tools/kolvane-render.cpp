// Renders pictures and controls of the program offscreen to PNG files so anyone can look:
//   kolvane-render faces OUT.png [SCALE]        every numbered face, with its number
//   kolvane-render window W H OUT.png [KIND]     an empty skinned window of W x H pixels
//                                                (KIND: main, history, phonebook, reference,
//                                                about; default about)
//   kolvane-render pictures OUT.png [SCALE]      icons, title logo, tray icon, link cursor
//   kolvane-render bevel OUT.png                 the bevel panel's edge styles
//   kolvane-render title OUT.png [SCALE]         the main window's title strip
//   kolvane-render history OUT.png [SCALE]       a history window: title-bar buttons, grip,
//                                                a black sunken frame
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/ResizeGrip.h"
#include "ui/chrome/SkinnedWindow.h"
#include "ui/chrome/TitleBarButtons.h"
#include "ui/controls/BevelPanel.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>

namespace {

const int FaceNumbers[] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112,
                           113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
                           125, 126, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190,
                           191, 192, 201, 202, 203, 204, 205, 206, 211, 212, 213, 214,
                           221, 222, 231, 232, 233, 234, 235, 236, 237, 238, 251, 252};

bool save(const QImage &image, const QString &path, int scale) {
    const QImage out = scale > 1 ? image.scaled(image.size() * scale, Qt::IgnoreAspectRatio,
                                                Qt::FastTransformation)
                                 : image;
    return out.save(path);
}

WindowKind kindNamed(const QString &name) {
    if (name == QLatin1String("main"))
        return WindowKind::Main;
    if (name == QLatin1String("history"))
        return WindowKind::History;
    if (name == QLatin1String("phonebook"))
        return WindowKind::Phonebook;
    if (name == QLatin1String("reference"))
        return WindowKind::ReferenceDatabase;
    return WindowKind::About;
}

// The frame over a window background, clipped to the window's region.
QImage skinnedWindow(QSize size, WindowKind kind) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor(255, 255, 255));
    QPainter p(&image);
    p.setClipRegion(WindowChrome::WindowRegion(kind, size, size));
    p.fillRect(image.rect(), QColor(0xe8, 0xee, 0xf6));
    WindowChrome::PaintSkin(p, size);
    return image;
}

int faces(const QString &out, int scale) {
    const int cell = 84, rowHeight = 56, columns = 10;
    const int count = int(sizeof FaceNumbers / sizeof *FaceNumbers);
    QImage sheet(columns * cell, ((count + columns - 1) / columns) * rowHeight,
                 QImage::Format_ARGB32);
    sheet.fill(QColor(0xe8, 0xee, 0xf6));
    QPainter p(&sheet);
    QFont f = p.font();
    f.setPixelSize(10);
    p.setFont(f);
    for (int i = 0; i < count; ++i) {
        const QPoint at((i % columns) * cell + 4, (i / columns) * rowHeight + 4);
        const QPixmap face = Face(FaceNumbers[i]);
        p.drawPixmap(at, face);
        p.drawText(
            at + QPoint(0, 48),
            QStringLiteral("%1  %2x%3").arg(FaceNumbers[i]).arg(face.width()).arg(face.height()));
    }
    p.end();
    return save(sheet, out, scale) ? 0 : 1;
}

int pictures(const QString &out, int scale) {
    QImage sheet(560, 200, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.fillRect(QRect(0, 100, 560, 100), QColor(0x2a, 0x33, 0x40));
    for (int band = 0; band < 2; ++band) {
        int x = 8;
        const int y = band * 100 + 8;
        for (int s : {16, 24, 32, 48, 64})
            p.drawPixmap(x, y, ProgramIcon().pixmap(s, s)), x += s + 8;
        for (int s : {16, 22, 32})
            p.drawPixmap(x, y, TrayPicture().pixmap(s, s)), x += s + 8;
        p.drawPixmap(x, y, TitleIcon()), x += 32;
        p.drawPixmap(x, y, TitleLogo()), x += 136;
        const QCursor cursor = LinkCursor();
        p.drawPixmap(8, y + 66, cursor.pixmap());
        p.setPen(Qt::red);
        p.drawPoint(8 + cursor.hotSpot().x(), y + 66 + cursor.hotSpot().y());
    }
    p.end();
    return save(sheet, out, scale) ? 0 : 1;
}

int bevel(const QString &out) {
    QWidget host;
    host.resize(700, 260);
    struct Sample {
        int outer, inner;
        QColor back;
        const char *caption;
    };
    const Sample samples[] = {{0, 0, QColor(), "none"},
                              {1, 0, QColor(), "bump"},
                              {2, 0, QColor(), "etched"},
                              {3, 0, QColor(), "raised"},
                              {4, 0, QColor(), "raised inner"},
                              {5, 0, QColor(), "raised outer"},
                              {6, 0, QColor(), "sunken"},
                              {7, 0, QColor(), "sunken inner"},
                              {8, 0, QColor(), "sunken outer"},
                              {6, 6, Qt::black, "6/6 black"},
                              {3, 2, QColor(194, 194, 194), "3/2 grey"},
                              {3, 6, Qt::black, "3/6 black"}};
    int i = 0;
    for (const Sample &s : samples) {
        auto *panel = new BevelPanel(&host);
        panel->setGeometry(10 + (i % 4) * 170, 10 + (i / 4) * 80, 160, 70);
        panel->setOuterEdge(s.outer);
        panel->setInnerEdge(s.inner);
        panel->setBorderWidth(s.inner ? 3 : 1);
        if (s.back.isValid())
            panel->setBackColor(s.back);
        // The sample's name, centred on it.
        auto *name = new QLabel(QString::fromLatin1(s.caption), panel);
        QPalette text = name->palette();
        text.setColor(QPalette::WindowText,
                      s.back == Qt::black ? QColor(Qt::green) : QColor(Qt::black));
        name->setPalette(text);
        name->setAlignment(Qt::AlignCenter);
        name->setGeometry(panel->rect());
        ++i;
    }
    return host.grab().toImage().save(out) ? 0 : 1;
}

int title(const QString &out, int scale) {
    // The top of the main window: frame, icon, logo, tray and close buttons.
    QImage image = skinnedWindow(QSize(289, 60), WindowKind::Main);
    QPainter p(&image);
    p.drawPixmap(16, 12, TitleIcon());
    p.drawPixmap(44, 11, TitleLogo());
    p.drawPixmap(176, 11, Face(252));
    p.drawPixmap(249, 15, Face(182));
    p.end();
    return save(image, out, scale) ? 0 : 1;
}

int history(const QString &out, int scale) {
    SkinnedWindow w(WindowKind::History);
    w.resize(400, 250);
    auto *icon = new QLabel(&w);
    icon->setPixmap(TitleIcon());
    icon->move(14, 12);
    auto *buttons = new TitleBarButtons(TitleBarButtons::Close | TitleBarButtons::Maximize |
                                            TitleBarButtons::Minimize,
                                        QStringLiteral("終了"), &w);
    buttons->move(400 - 80, 13);
    auto *frame = new BevelPanel(&w);
    frame->setOuterEdge(6);
    frame->setInnerEdge(6);
    frame->setBackColor(Qt::black);
    frame->setGeometry(14, 44, 372, 150);
    auto *grip = new ResizeGrip(&w);
    grip->move(400 - 30, 250 - 30);
    QImage image(w.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setClipRegion(WindowChrome::WindowRegion(WindowKind::History, w.size(), w.size()));
    w.render(&p);
    p.end();
    return save(image, out, scale) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto scaleAt = [&](int i) { return args.size() > i ? std::max(1, args[i].toInt()) : 1; };
    if (args.size() >= 3 && args[1] == QLatin1String("faces"))
        return faces(args[2], scaleAt(3));
    if (args.size() >= 3 && args[1] == QLatin1String("pictures"))
        return pictures(args[2], scaleAt(3));
    if (args.size() >= 3 && args[1] == QLatin1String("bevel"))
        return bevel(args[2]);
    if (args.size() >= 3 && args[1] == QLatin1String("history"))
        return history(args[2], scaleAt(3));
    if (args.size() >= 3 && args[1] == QLatin1String("title"))
        return title(args[2], scaleAt(3));
    if (args.size() >= 5 && args[1] == QLatin1String("window")) {
        const QSize size(args[2].toInt(), args[3].toInt());
        const WindowKind kind = kindNamed(args.size() > 5 ? args[5] : QString());
        return skinnedWindow(size, kind).save(args[4]) ? 0 : 1;
    }
    return 2;
}
