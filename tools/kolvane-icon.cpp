// Renders the program's icon (an SVG file) as a square PNG of a given size, for the icon theme:
//   kolvane-icon IN.svg SIZE OUT.png
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fputs("usage: kolvane-icon IN.svg SIZE OUT.png\n", stderr);
        return 2;
    }
    QSvgRenderer svg{QString::fromLocal8Bit(argv[1])};
    const int size = std::atoi(argv[2]);
    if (!svg.isValid() || size <= 0 || size > 1024) {
        std::fprintf(stderr, "kolvane-icon: cannot render %s at %s\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
    }
    return image.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
