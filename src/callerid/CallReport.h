#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

class QByteArray;

class QDateTime;

// Whether a received block is a call report, and the caller field cut from it. Characters 1-2
// of the block are skipped, 3-13 must read "RING ANALOG" exactly, 14 is the separator and the
// caller field runs from 15 to the end; it is cut at the first space, then at the first "/".
// nullopt: not a call (any other reply of the TA). Pure.
std::optional<QString> ParseCallReport(const QString &block);

// The reports of one read, in order. A TA that rings while the program is busy (a slow disk,
// a compaction) leaves several reports in the buffer; each is a call of its own. A block
// with one report (or none) is returned whole.
QStringList SplitCallReports(const QString &block);

// The text shown instead of a number for the TA's four reason letters ("P", "O", "C", "S",
// exact and case-sensitive); nullopt for every other Number.
std::optional<QString> ReasonText(const QString &number);

// The bytes read from the TA as block text. The TA speaks ASCII; like the serial control of
// old, bytes are taken as code page 932, one character per byte for ASCII, so positions in
// the block are character positions. Any bytes at all (NUL, binary noise) decode.
QString DecodeSerialBlock(const QByteArray &bytes);

// CallTime and CallDate in the Japanese regional forms, whatever the machine's locale:
// "H:mm:ss" and "yyyy/MM/dd".
QString JapaneseTimeText(const QDateTime &when);
QString JapaneseDateText(const QDateTime &when);
