#pragma once

#include <QString>
#include <QStringList>

class QUrl;

// Starting other programs of the desktop.
namespace Shell {
// The desktop's date and time settings tool, when one is installed; nothing otherwise.
// Returns whether a tool was started.
bool OpenDateTimeSettings();
// The command line that OpenDateTimeSettings would start here (empty when none).
QStringList DateTimeSettingsCommand();

// The user's mail program with a new message to `address` ("mailto:"). False when no mail
// program could be started. While a test records, the request is written down instead and
// the answer given by setMailResultForTest (true unless told otherwise) is returned.
bool OpenMail(const QString &address);
void setMailResultForTest(bool started);
// Opens a web address, a "mailto:" link or a local file with the desktop's program for it.
// False when the request could not be made (no program for it on this desktop).
bool OpenUrl(const QUrl &url);
} // namespace Shell
