#pragma once

#include <QByteArray>
#include <QString>

// Text files of the program are in code page 932 where possible, UTF-8 otherwise.
QString DecodeLegacyText(const QByteArray &bytes);
QByteArray EncodeLegacyText(const QString &text);
// Writes through a temporary file; a failed write keeps the previous file.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes);
