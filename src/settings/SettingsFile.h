#pragma once

#include "settings/Settings.h"

#include <QByteArray>
#include <QString>

// Kolvane.ini: 18 values by position (numbers, quoted texts, one truth value), then the serial
// line's optional lines 19-21. Lines end CR LF; code page 932, or UTF-8 behind a byte-order
// mark when a character does not fit (platform/LegacyText.h).

// Reads the values in order into `s`. Values read before a failure keep their new values; the
// caller applies the defaults when this returns false (missing file, fewer than 18 values, a
// value that does not convert or is out of range, an unterminated quote). Missing lines 19-21
// take their defaults.
bool ReadSettingsFile(const QString &path, Settings &s);
// The same reading of the file's bytes.
bool ReadSettingsBytes(const QByteArray &bytes, Settings &s);

// Every setting to its default except PortNumber, which keeps its value. The main window is
// centred for a width of 4335 twips and a height of mainPanelHeightTwips + 200.
void ApplyDefaultSettings(Settings &s, int screenWidthTwips, int screenHeightTwips,
                          int mainPanelHeightTwips);

// The exact bytes of the file for `s`: 21 lines.
QByteArray FormatSettingsFile(const Settings &s);

// Writes the file through a temporary beside it, every write checked: false, with the
// previous file kept whole, when any step fails (a full disk included).
bool WriteSettingsFile(const QString &path, const Settings &s);
