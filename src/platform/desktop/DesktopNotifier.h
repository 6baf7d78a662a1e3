#pragma once

#include <QString>

// Desktop notifications (org.freedesktop.Notifications over D-Bus) for people who keep the
// window in the tray. Where no notification service runs nothing is shown and the log says
// why, once. While a test records (Recorder), the request is written down instead.
namespace DesktopNotifier {
void notify(const QString &summary, const QString &body);
} // namespace DesktopNotifier
