#include "platform/desktop/DesktopNotifier.h"

#include "platform/DiagnosticLog.h"
#include "platform/desktop/Recorder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace DesktopNotifier {

void notify(const QString &summary, const QString &body) {
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("notify %1 | %2").arg(summary, body));
        return;
    }
    static bool unavailableTold = false;
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(service).value()) {
        if (!unavailableTold) {
            unavailableTold = true;
            DiagnosticLog::note(QStringLiteral("desktop notifications not shown: ") +
                                (bus.isConnected() ? QStringLiteral("no notification service")
                                                   : QStringLiteral("no session bus")));
        }
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                       service, QStringLiteral("Notify"));
    // The body is plain text for services that read markup.
    QString plainBody = body.toHtmlEscaped();
    call << QStringLiteral("Kolvane") << uint(0) << QStringLiteral("call-start") << summary
         << plainBody << QStringList() << QVariantMap() << int(-1);
    // Not waited for: the call path never waits for the desktop.
    bus.asyncCall(call);
}

} // namespace DesktopNotifier
