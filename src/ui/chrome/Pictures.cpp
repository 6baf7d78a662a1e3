#include "ui/chrome/Pictures.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace Pictures {

QPixmap Render(const QString &resource, QSize size) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return QPixmap();
    if (size.isEmpty())
        size = renderer.defaultSize();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QPixmap Cached(const QString &resource) {
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(resource);
    if (it == cache.end())
        it = cache.insert(resource, Render(resource));
    return *it;
}

} // namespace Pictures

namespace {
QIcon IconAt(const QString &resource, std::initializer_list<int> sizes) {
    QIcon icon;
    for (int s : sizes) {
        const QPixmap p = Pictures::Render(resource, QSize(s, s));
        if (!p.isNull())
            icon.addPixmap(p);
    }
    return icon;
}
} // namespace

QIcon ProgramIcon() {
    return IconAt(QStringLiteral(":/pictures/icon.svg"), {16, 22, 24, 32, 48, 64, 128, 256});
}

QPixmap TitleIcon() {
    return Pictures::Render(QStringLiteral(":/pictures/icon.svg"), Pictures::TitleIconSize);
}

QPixmap TitleLogo() {
    return Pictures::Render(QStringLiteral(":/pictures/logo.svg"), Pictures::TitleLogoSize);
}

QIcon TrayPicture() {
    return IconAt(QStringLiteral(":/pictures/tray.svg"), {16, 22, 24, 32, 48, 64});
}

QCursor LinkCursor() {
    const QPixmap p = Pictures::Render(QStringLiteral(":/pictures/cursor-link.svg"));
    if (p.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(p, Pictures::LinkHotSpot.x(), Pictures::LinkHotSpot.y());
}
