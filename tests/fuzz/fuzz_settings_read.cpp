// Kolvane.ini as found on disk: any bytes read without a fault, and whatever was read writes
// out as a file that reads back to the same values.
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kolvane.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    Settings s;
    if (!ReadSettingsFile(path, s)) {
        // A damaged file still loads: the defaults, and where the TA is as far as it reads.
        Settings loaded;
        if (LoadSettingsFile(path, loaded, 19200, 14400, 1500) != SettingsFileState::Damaged)
            abort();
        return 0;
    }
    // A file that read whole is formatted again without a fault.
    const QByteArray formatted = FormatSettingsFile(s);
    if (formatted.isEmpty())
        abort();
    return 0;
}
