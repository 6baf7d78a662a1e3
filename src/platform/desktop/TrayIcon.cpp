#include "platform/desktop/TrayIcon.h"

#include "platform/desktop/Recorder.h"

namespace {
std::optional<bool> availableForTest;
}

TrayIcon::TrayIcon(const QIcon &picture, QObject *parent) : QObject(parent), picture_(picture) {}

QMenu *TrayIcon::contextMenu() {
    if (!menu_) {
        menu_ = std::make_unique<QMenu>();
        QAction *show = menu_->addAction(QStringLiteral("表示"));
        show->setObjectName(QStringLiteral("show"));
        connect(show, &QAction::triggered, this, &TrayIcon::showRequested);
        QAction *exit = menu_->addAction(QStringLiteral("終了"));
        exit->setObjectName(QStringLiteral("exit"));
        connect(exit, &QAction::triggered, this, &TrayIcon::exitRequested);
    }
    return menu_.get();
}

TrayIcon::~TrayIcon() {
    remove();
    // The icon goes before its menu.
    delete icon_;
}

bool TrayIcon::available() {
    if (availableForTest)
        return *availableForTest;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setAvailableForTest(std::optional<bool> available) {
    availableForTest = available;
}

void TrayIcon::add(const QString &tip) {
    tip_ = tip;
    shown_ = true;
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("tray add ") + tip);
        return;
    }
    if (!icon_) {
        icon_ = new QSystemTrayIcon(picture_, this);
        icon_->setContextMenu(contextMenu());
        connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::activate);
    }
    icon_->setToolTip(tip);
    icon_->show();
}

void TrayIcon::remove() {
    if (shown_ && Recorder::active())
        Recorder::add(QStringLiteral("tray remove"));
    shown_ = false;
    if (icon_)
        icon_->hide();
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason reason) {
    // Trigger is the left button; Context, DoubleClick and MiddleClick are ignored.
    if (reason == QSystemTrayIcon::Trigger && shown_)
        emit leftButtonDown();
}
