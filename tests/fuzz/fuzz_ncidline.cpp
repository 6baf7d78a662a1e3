// The bytes an NCID server sends, as the client reads them: any bytes cut into lines, any line
// read as a call or not, and the call read is safe to hand on (no separator, no line end).
#include "network/NcidClient.h"
#include "network/NcidLines.h"

#include <QByteArray>
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

namespace {

bool SafeValue(const QString &value) {
    for (const QChar c : value)
        if (c == QLatin1Char('*') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
            c.category() == QChar::Other_Control)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QByteArray &line : bytes.split('\n')) {
        const std::optional<ncid::ReceivedCall> call = ncid::ParseCallLine(line);
        if (call && ncid::KindOfLine(line) != ncid::LineKind::Call)
            abort();
        if (call && (!SafeValue(call->number) || !SafeValue(call->name) || !SafeValue(call->line)))
            abort();
        ncid::RequestOfLine(line);
        // What a server of ours would write of the call is one line, read back as a call.
        if (call) {
            ncid::AnnouncedCall out;
            out.number = call->number;
            out.name = call->name;
            out.when = call->when;
            const QByteArray written = ncid::FormatCallLine("CID", out);
            if (written.count('\n') != 1 || !written.endsWith("\r\n") ||
                !ncid::ParseCallLine(written.chopped(2)))
                abort();
        }
    }
    // The client's own cutting, in two pieces.
    NcidClient client;
    client.TakeBytes(bytes.left(bytes.size() / 2));
    client.TakeBytes(bytes.mid(bytes.size() / 2));
    return 0;
}
