#pragma once

#include <QString>
#include <QStringList>

// Starting other programs of the desktop.
namespace Shell {
// The desktop's date and time settings tool, when one is installed; nothing otherwise.
// Returns whether a tool was started.
bool OpenDateTimeSettings();
// The command line that OpenDateTimeSettings would start here (empty when none).
QStringList DateTimeSettingsCommand();
} // namespace Shell
