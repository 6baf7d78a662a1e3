#pragma once

#include <QString>

// The device the TA link last opened, kept in AppFolder's Kolvane.port (one line, UTF-8), apart
// from Kolvane.ini so that file keeps the lines other versions read. A start that finds this
// device missing waits for it (a USB adapter not plugged in yet, a computer just woken)
// instead of asking for the set-up again.
namespace LastPort {

QString fileName();
// Empty when no link has opened a named device, or the file cannot be read.
QString read();
// Remembers `device` (a PortName) after the link opened it; writes only when it changed.
// False when the file could not be written (the link works all the same).
bool remember(const QString &device);

} // namespace LastPort
