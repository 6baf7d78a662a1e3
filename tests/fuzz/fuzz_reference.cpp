// A reference phonebook the user names: any file, a damaged Access or SQLite file above all,
// is opened, listed, searched and indexed without a fault.
#include "db/ReferenceDatabase.h"
#include "db/ReferenceIndex.h"
#include "platform/DiagnosticLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_reference";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // the SQL driver plugins need one
    static QTemporaryDir dir;
    // KOLVANE_FUZZ_LOG=FILE: the diagnostic log, to count the inputs libmdb failed on.
    static const bool logging = qEnvironmentVariableIsSet("KOLVANE_FUZZ_LOG") &&
                                DiagnosticLog::open(qEnvironmentVariable("KOLVANE_FUZZ_LOG"));
    Q_UNUSED(logging);
    const QString path = dir.filePath(QStringLiteral("reference.db"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
        // Most mutations change the size, and the page-size check turns those files away
        // before libmdb sees them; every other input is padded to whole pages, so libmdb gets
        // damaged files of a plausible size too.
        if (size % 2 == 0 && size % 4096 != 0)
            f.write(QByteArray(qsizetype(4096 - size % 4096), '\0'));
    }
    ReferenceDatabase ref;
    if (!ref.open(path))
        return 0;
    const QStringList tables = ref.tableNames();
    for (const QString &table : tables.mid(0, 4)) {
        const QStringList columns = ref.columnNames(table);
        if (columns.size() < 2)
            continue;
        ref.lookup(table, columns.at(0), columns.at(1), columns.value(2), columns.value(3),
                   QStringLiteral("0312345678"));
        // The same table read whole, as the index is built.
        ReferenceTable index;
        ref.readRows(
            ReferenceFields{table, columns.at(0), columns.at(1), columns.value(2),
                            columns.value(3)},
            [&](const QByteArray &phone, const QByteArray &name, const QByteArray &address,
                const QByteArray &zip) { index.add(phone, name, address, zip); },
            5000, nullptr, nullptr);
        index.finish();
        index.find(QStringLiteral("0312345678"));
    }
    return 0;
}
