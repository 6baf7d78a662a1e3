// A vCard file as a phone or an address book hands it over: any bytes are read without a
// fault, every card is either an entry or a fault, and what the export writes of the entries
// is folded as it must be and reads back to itself after the first trip (the first trip may
// only settle forms: a birthday's digits, line breaks, a "mailto:" prefix).
#include "exchange/VCard.h"

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Fail(const char *what) {
    std::fprintf(stderr, "vCard: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const exchange::VCardFile file = exchange::ParseVCards(bytes);
    if (file.entries.size() + file.faults.size() < file.cards)
        Fail("a card is neither an entry nor a fault");
    const auto control = [](const QString &text) {
        for (const QChar c : text)
            if (c.category() == QChar::Other_Control)
                return true;
        return false;
    };
    for (const exchange::VCardEntry &e : file.entries) {
        exchange::IndexLetterOf(e.name);
        if (control(e.name))
            Fail("a name with a control character was read");
        for (const exchange::VCardNumber &n : e.numbers)
            if (control(n.number))
                Fail("a number with a control character was read");
    }

    const QByteArray written = exchange::WriteVCards(file.entries);
    for (const QByteArray &line : written.split('\n'))
        if (line.size() > 76)
            Fail("a written line is longer than 75 octets");
    const exchange::VCardFile once = exchange::ParseVCards(written);
    if (!once.faults.isEmpty() || once.entries.size() != file.entries.size())
        Fail("the written file does not read back card for card");
    const exchange::VCardFile twice = exchange::ParseVCards(exchange::WriteVCards(once.entries));
    if (twice.entries != once.entries)
        Fail("entries written and read again changed");
    return 0;
}
