// Renders pictures of the program offscreen to PNG files so anyone can look at them:
//   kolvane-render faces OUT.png      contact sheet of every numbered face
//   kolvane-render window W H OUT.png  an empty skinned window of W x H pixels
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/SkinnedWindow.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("faces")) {
        const int numbers[] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112,
                               113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
                               125, 126, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190,
                               191, 192, 201, 202, 203, 204, 205, 206, 211, 212, 213, 214,
                               221, 222, 231, 232, 233, 234, 235, 236, 237, 238, 251, 252};
        const int cell = 90, columns = 10;
        const int count = int(sizeof numbers / sizeof *numbers);
        QImage sheet(columns * cell, ((count + columns - 1) / columns) * 60, QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        for (int i = 0; i < count; ++i) {
            const QPoint at((i % columns) * cell + 5, (i / columns) * 60 + 4);
            p.drawPixmap(at, Face(numbers[i]));
            p.drawText(at + QPoint(0, 52), QString::number(numbers[i]));
        }
        return sheet.save(args[2]) ? 0 : 1;
    }
    if (args.size() == 5 && args[1] == QLatin1String("window")) {
        SkinnedWindow w(WindowKind::About);
        w.resize(args[2].toInt(), args[3].toInt());
        QImage image(w.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setClipRegion(WindowChrome::WindowRegion(WindowKind::About, w.size(), w.size()));
        WindowChrome::PaintSkin(p, w.size());
        p.end();
        return image.save(args[4]) ? 0 : 1;
    }
    return 2;
}
