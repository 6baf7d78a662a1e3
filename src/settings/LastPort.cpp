#include "settings/LastPort.h"

#include "platform/AtomicFile.h"
#include "settings/Program.h"

#include <QFile>

namespace LastPort {

QString fileName() {
    return QStringLiteral("Kolvane.port");
}

QString read() {
    QFile f(Program::filePath(fileName()));
    // A device path is short; anything longer is not ours.
    if (!f.open(QIODevice::ReadOnly) || f.size() > 4096)
        return QString();
    return QString::fromUtf8(f.readAll()).section(QLatin1Char('\n'), 0, 0).trimmed();
}

bool remember(const QString &device) {
    if (device.isEmpty() || device == read())
        return true;
    return WriteFileAtomically(Program::filePath(fileName()), device.toUtf8() + '\n');
}

} // namespace LastPort
