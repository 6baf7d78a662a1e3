// A list of nuisance numbers from outside (CSV or text, any encoding): the reader never fails,
// every number it accepts has a mark key, and the file's own triggers give that same key.
#include "db/Schema.h"
#include "exchange/MarkList.h"
#include "phone/NumberKey.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_marklist";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // the SQL driver plugins need one
    static QSqlDatabase memory = [] {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "marks");
        d.setDatabaseName(QStringLiteral(":memory:"));
        if (!d.open())
            abort();
        return d;
    }();
    // The table with the file's own key triggers, emptied for each line.
    static QSqlQuery key = [] {
        QSqlQuery q(memory);
        for (const QString &sql : db::schema::nuisanceMarkStatements())
            if (!q.exec(sql))
                abort();
        return q;
    }();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const exchange::MarkListRead read = exchange::ReadMarkList(bytes);
    for (const exchange::MarkLine &line : read.lines) {
        const QString own = MarkKey(line.number);
        if (own.isEmpty() || !MarkableNumber(line.number) || line.number.contains(QChar(0)))
            abort();
        if (!key.exec(QStringLiteral("DELETE FROM 迷惑電話")) ||
            !key.prepare(QStringLiteral("INSERT INTO 迷惑電話 (電番) VALUES (?)")))
            abort();
        key.addBindValue(line.number);
        if (!key.exec() || !key.exec(QStringLiteral("SELECT 電番キー FROM 迷惑電話")) ||
            !key.next() || key.value(0).toString() != own)
            abort();
        key.finish();
    }
    return 0;
}
