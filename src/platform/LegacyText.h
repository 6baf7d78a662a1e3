#pragma once

#include <QByteArray>
#include <QString>

// Text rules of the program's positional files (Kolvane.ini, Rireki.ini). Files carried over
// from the Windows years are in code page 932 and read exactly as they always were; a file
// holding a character that code page cannot express is written in UTF-8 behind a byte-order
// mark, so that nothing is lost and the two can never be taken for each other.

// With the UTF-8 mark: UTF-8 (the mark dropped). Otherwise code page 932, unless the bytes
// are not valid code page 932 but are valid UTF-8: files written in UTF-8 without the mark by
// earlier versions. Bytes valid as both are code page 932.
QString DecodeLegacyText(const QByteArray &bytes);

// Code page 932 when every character survives the trip there and back, else the UTF-8 mark
// and UTF-8. DecodeLegacyText gives back exactly `text`.
QByteArray EncodeLegacyText(const QString &text);
