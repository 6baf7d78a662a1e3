#pragma once

#include <QString>

// A phone number as people type it and as the TA reports it. NumberKey has a twin in SQL,
// schema::numberKeySql (db/Schema.h), which keeps 電話番号.電番キー in the file itself: the two
// must give the same key for any text (tests/fuzz/fuzz_numberkey.cpp checks that they do).

// The digits by which two numbers are the same number, however they were typed: ASCII and
// full-width digits count, everything else (hyphens, spaces, parentheses, full-width
// punctuation) is left out, and an international form from Japan ("+81 3 1234 5678",
// "81-3-1234-5678", "+81 (0)3 …") is written with the trunk "0" instead ("0312345678").
// Empty when the text holds no digit (a reason letter, a name).
QString NumberKey(const QString &number);

// The numeric test used when a call is stored and on registration: a run of ASCII digits,
// optionally with white space (space, tab, CR, LF) around it. Empty text, signs, decimal
// points, hyphens, letters and the reason texts are not numeric.
bool IsNumeric(const QString &text);
