#pragma once

#include <QByteArray>
#include <QString>

// Text rules of the program's positional files (Kolvane.ini, Rireki.ini). Files carried over
// from the Windows years are in code page 932; files holding a character that code page cannot
// express are written in UTF-8 so that nothing is lost.

// Valid UTF-8 is read as UTF-8 (a leading byte-order mark is dropped), anything else as
// code page 932.
QString DecodeLegacyText(const QByteArray &bytes);

// Code page 932 when every character survives the trip there and back, UTF-8 otherwise.
// Pure ASCII text gives the same bytes either way.
QByteArray EncodeLegacyText(const QString &text);
