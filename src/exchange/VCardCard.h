#pragma once

// One card of a vCard file between the reader, which cuts the file into cards, and the format's
// reading of properties (VCard.cpp). Inside exchange/ only.

#include "exchange/VCard.h"

#include <QByteArray>
#include <QVector>
#include <optional>

namespace exchange::card {

enum class Boundary { None, Begin, End };
// Whether a content line is BEGIN:VCARD, END:VCARD or neither.
Boundary BoundaryOf(const QByteArray &line);

// The phonebook's entry of a card's content lines (folds undone, BEGIN and END left out);
// nullopt when it holds nothing.
std::optional<VCardEntry> EntryOfLines(const QVector<QByteArray> &lines);

} // namespace exchange::card
