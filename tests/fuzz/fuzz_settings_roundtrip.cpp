// Kolvane.ini read, written and read again: the values must survive unchanged, not only
// without a fault (see SettingsRoundTrip.h for the property).
#include "fuzz/SettingsRoundTrip.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString fault = settings_round_trip::fault(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "Kolvane.ini round trip: %s\n", fault.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
