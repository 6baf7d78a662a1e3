#pragma once

#include <QString>
#include <QStringList>

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

// The key of a nuisance mark's number: NumberKey() of a number; for a prefix (the number ends
// in "*" or "＊"), the key of what comes before it with "*" after it, a "+" at its start kept
// ("0120*", "+*", "+1*"). Empty when there is none. Its SQL twin is schema::markKeyUpdates, which
// keeps 迷惑電話.電番キー: the two agree on every number MarkableNumber() accepts.
QString MarkKey(const QString &text);
// The keys a mark of the calling number `number` may be stored under: its own key first, then
// every prefix of it ("0*", "01*" …) and, for a number sent with "+", every prefix of its
// digits behind a "+" ("+*", "+1*" …). Empty when the number has no digit.
QStringList MarkCandidates(const QString &number);
// Whether `text` is a number a mark may hold: digits (ASCII or full-width) with the separators
// people type between them, a "+" only at the start, a "*" only at the end (a prefix); at least
// one digit, or "+*".
bool MarkableNumber(const QString &text);
// Whether the calling number is an international one: sent with Japan's international prefix
// "010", or with "+" and a country code other than Japan's 81.
bool IsInternationalNumber(const QString &number);
