#pragma once

#include <QString>

// The digits by which two numbers are the same number, however they were typed: ASCII and
// full-width digits count, everything else (hyphens, spaces, parentheses, full-width
// punctuation) is left out, and an international form from Japan ("+81 3 1234 5678",
// "81-3-1234-5678", "+81 (0)3 …") is written with the trunk "0" instead ("0312345678").
// Empty when the text holds no digit (a reason letter, a name).
QString NumberKey(const QString &number);
