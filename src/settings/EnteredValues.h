#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

struct Settings;

// Values the user types into the settings panel, read as the program always read them.
namespace EnteredValues {

// The leading number of the text (blanks before it skipped; sign, decimals and exponent
// allowed), rounded to the nearest integer with halves to even. A text without a leading
// number gives 0; a number that does not fit a 16-bit integer gives nothing, so the
// setting keeps its previous value.
std::optional<qint16> LeadingNumber16(const QString &text);

// The port box: a serial device path ("/dev/ttyUSB0", optionally followed by its
// description in parentheses, as the list shows it) sets PortName; anything else is read as
// the port's number: it sets PortNumber and clears PortName. A number beyond 16 bits changes
// neither.
void ApplyPortText(Settings &settings, const QString &text);

// The text the port box shows for the settings in force: the path when PortName is set.
QString PortText(const Settings &settings);

// A device as the port list offers it: its path with its description beside it.
QString DeviceEntry(const QString &path, const QString &description);

} // namespace EnteredValues
