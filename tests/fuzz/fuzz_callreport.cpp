// The TA's bytes as the receive event sees them: any block decodes, and a block that is a
// call report gives a caller field without the characters it is cut at, nor control characters.
#include "callerid/CallReport.h"
#include "phone/NumberKey.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString block = DecodeSerialBlock(bytes);

    // ASCII is one character per byte, so positions in the block are byte positions.
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && uchar(c) < 0x80;
    if (ascii && block.size() != bytes.size())
        abort();

    if (const std::optional<QString> number = ParseCallReport(block)) {
        if (number->contains(QLatin1Char(' ')) || number->contains(QLatin1Char('/')))
            abort();
        // No control character but the line end, where the field ends.
        for (const QChar c : *number)
            if (c.category() == QChar::Other_Control && c != u'\r' && c != u'\n')
                abort();
        if (block.mid(2, 11) != QLatin1String("RING ANALOG"))
            abort();
        ReasonText(*number);
        IsNumeric(*number);
    }
    IsNumeric(block);
    return 0;
}
