// The rows an Access file's reader sends back from its child process, as the parent takes
// them apart and indexes them: whatever the bytes, rows divide or are refused, and the index
// finds each indexed row's phone again.
#include "db/ReferenceDatabase.h"
#include "db/ReferenceIndex.h"
#include "phone/NumberKey.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    ReferenceTable table;
    QList<QPair<QString, QString>> rows; // phone, name
    DecodeReferenceRows(bytes, [&](const QByteArray &phone, const QByteArray &name,
                                   const QByteArray &address, const QByteArray &zip) {
        table.add(phone, name, address, zip);
        rows.append({QString::fromUtf8(phone), QString::fromUtf8(name)});
    });
    if (!table.finish() || table.rowCount() > rows.size())
        abort();
    // A phone with a digit is found as stored: the name of the first row stored so.
    for (const auto &row : rows.mid(0, 16)) {
        if (NumberKey(row.first).isEmpty())
            continue;
        QString first;
        for (const auto &other : rows)
            if (other.first == row.first) {
                first = other.second;
                break;
            }
        const std::optional<ReferenceRow> found = table.find(row.first);
        if (!found || found->name != first)
            abort();
    }
    return 0;
}
