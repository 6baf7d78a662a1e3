// A number as someone typed it into the phonebook, in any tool: the key SQLite's triggers
// store for it (schema::numberKeySql) is NumberKey's wherever SQL gives one, and SQL gives
// none where NumberKey finds no digit.
#include "db/Schema.h"
#include "phone/NumberKey.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_numberkey";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // the SQL driver plugins need one
    static QSqlDatabase memory = [] {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "keys");
        d.setDatabaseName(QStringLiteral(":memory:"));
        if (!d.open())
            abort();
        return d;
    }();
    static QSqlQuery key = [] {
        QSqlQuery q(memory);
        if (!q.prepare(QStringLiteral("SELECT ") +
                       db::schema::numberKeySql(QStringLiteral(":typed"))))
            abort();
        return q;
    }();
    const QString typed = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // SQLite's text functions are undefined on text holding a NUL character, and no number
    // holds one: such text is not compared.
    if (typed.contains(QChar(0)))
        return 0;
    key.bindValue(QStringLiteral(":typed"), typed);
    if (!key.exec() || !key.next())
        abort();
    const QVariant sql = key.value(0);
    key.finish();
    const QString expected = NumberKey(typed);
    if (!sql.isNull() && sql.toString() != expected)
        abort();
    if (expected.isEmpty() && !sql.isNull())
        abort();
    return 0;
}
