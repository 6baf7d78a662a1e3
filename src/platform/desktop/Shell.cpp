#include "platform/desktop/Shell.h"

#include "platform/desktop/Recorder.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace Shell {

QStringList DateTimeSettingsCommand() {
    // The settings tools of the common desktops, most specific first.
    static const QList<QStringList> candidates = {
        {QStringLiteral("gnome-control-center"), QStringLiteral("datetime")},
        {QStringLiteral("systemsettings"), QStringLiteral("kcm_clock")},
        {QStringLiteral("cinnamon-settings"), QStringLiteral("calendar")},
        {QStringLiteral("time-admin")},
        {QStringLiteral("lxqt-config-datetime")},
    };
    for (const QStringList &candidate : candidates) {
        const QString program = QStandardPaths::findExecutable(candidate.first());
        if (!program.isEmpty()) {
            QStringList command = candidate;
            command.first() = program;
            return command;
        }
    }
    return {};
}

bool OpenDateTimeSettings() {
    const QStringList command = DateTimeSettingsCommand();
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("shell datetime"));
        return !command.isEmpty();
    }
    if (command.isEmpty())
        return false;
    return QProcess::startDetached(command.first(), command.mid(1));
}

namespace {
bool mailResultForTest = true;
} // namespace

bool OpenMail(const QString &address) {
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("shell ") + url.toString());
        return mailResultForTest;
    }
    return QDesktopServices::openUrl(url);
}

void setMailResultForTest(bool started) {
    mailResultForTest = started;
}

bool OpenUrl(const QUrl &url) {
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("shell open ") + url.toString());
        // What the desktop would answer: a request is made through its opener (xdg-open, or
        // the browser named by BROWSER for web addresses).
        if (!url.isValid())
            return false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        const bool web = url.scheme().startsWith(QLatin1String("http"));
        return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty() ||
               (web && !qEnvironmentVariableIsEmpty("BROWSER"));
#else
        return true;
#endif
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace Shell
