#pragma once

#include "settings/Settings.h"

#include <QByteArray>
#include <QString>

// Kolvane.ini: 18 values by position (numbers, quoted texts, one truth value), then the serial
// line's optional lines 19-21. Lines end CR LF; code page 932, or UTF-8 behind a byte-order
// mark when a character does not fit (platform/LegacyText.h).

// How a reading of Kolvane.ini ended: every value read, no file, or a file that does not read
// (damaged: short, a value that does not convert, an unterminated quote, or unreadable).
enum class SettingsFileState { Read, Missing, Damaged };

// Reads the values in order into `s`. Values read before a failure keep their new values; the
// caller applies the defaults when this returns false (missing file, fewer than 18 values, a
// value that does not convert or is out of range, an unterminated quote). Missing lines 19-21
// take their defaults. When the reading fails, lines 19-21 (where the TA is) are still taken
// as they stand if the file holds the 21 values the program writes, lines 19 and 20 quoted;
// otherwise they take their defaults.
bool ReadSettingsFile(const QString &path, Settings &s);
// The same reading of the file's bytes.
bool ReadSettingsBytes(const QByteArray &bytes, Settings &s);

// The load's whole reading: the file read into `s`; when it is missing or damaged, the
// defaults (ApplyDefaultSettings), except that a damaged file keeps PortName, PortSettings and
// PortHandshaking as ReadSettingsFile left them, as PortNumber keeps the value read, if any.
SettingsFileState LoadSettingsFile(const QString &path, Settings &s, int screenWidthTwips,
                                   int screenHeightTwips, int mainPanelHeightTwips);

// Copies a Kolvane.ini that does not read to "Kolvane.ini.damaged" beside it (one copy, the
// previous one replaced). Nothing is done for a file that reads, an empty one or none. False
// only when a damaged file was there and could not be copied. WriteSettingsFile calls it.
bool PreserveDamagedSettingsFile(const QString &path);

// Every setting to its default except PortNumber, which keeps its value. The main window is
// centred for a width of 4335 twips and a height of mainPanelHeightTwips + 200.
void ApplyDefaultSettings(Settings &s, int screenWidthTwips, int screenHeightTwips,
                          int mainPanelHeightTwips);

// The exact bytes of the file for `s`: 21 lines.
QByteArray FormatSettingsFile(const Settings &s);

// Writes the file through a temporary beside it, every write checked: false, with the
// previous file kept whole, when any step fails (a full disk included). A damaged file is
// first kept as "Kolvane.ini.damaged"; when that copy fails, nothing is written.
bool WriteSettingsFile(const QString &path, const Settings &s);
