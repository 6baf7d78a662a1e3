#include "db/Database.h"

#include "db/Schema.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace db {

RowSet::RowSet(QStringList fields, QVector<QVector<QVariant>> rows)
    : fields_(std::move(fields)), rows_(std::move(rows)) {}

void RowSet::moveNext() {
    if (pos_ < int(rows_.size()))
        ++pos_;
}

void RowSet::movePrevious() {
    if (pos_ >= 0)
        --pos_;
}

QVariant RowSet::field(const QString &name) const {
    const int column = int(fields_.indexOf(name));
    if (column < 0 || pos_ < 0 || pos_ >= int(rows_.size()))
        return QVariant();
    return rows_[pos_][column];
}

void Query::setParameter(const QString &name, const QVariant &value) {
    parameters_.insert(name, value);
}

static bool run(QSqlQuery &q, const QString &sql, const QVariantMap &parameters) {
    if (!q.prepare(sql))
        return false;
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        if (sql.contains(QLatin1Char(':') + it.key()))
            q.bindValue(QLatin1Char(':') + it.key(), it.value());
    return q.exec();
}

RowSet Query::openRows() {
    if (connection_.isEmpty() || sql_.isEmpty())
        return RowSet();
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!run(q, sql_, parameters_))
        return RowSet();
    QStringList fields;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i);
    QVector<QVector<QVariant>> rows;
    while (q.next()) {
        QVector<QVariant> row;
        for (int i = 0; i < record.count(); ++i)
            row << q.value(i);
        rows << row;
    }
    return RowSet(fields, rows);
}

bool Query::execute() {
    if (connection_.isEmpty() || sql_.isEmpty())
        return false;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    return run(q, sql_, parameters_);
}

static bool hasKolvaneTables(const QSqlDatabase &d) {
    const QStringList tables = d.tables();
    for (const QString &t : schema::tableNames())
        if (!tables.contains(t))
            return false;
    return true;
}

Database::Database(const QString &path) {
    static QAtomicInt counter;
    connection_ = QStringLiteral("kolvane-db-%1").arg(counter.fetchAndAddRelaxed(1));
    const QFileInfo info(path);
    const bool fresh = !info.exists() || info.size() == 0;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        d.setDatabaseName(path);
        // Existing files are opened without create, so a foreign file is never replaced.
        d.setConnectOptions(fresh ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000;"
                                                   "QSQLITE_OPEN_READWRITE_ONLY"));
        if (!d.open())
            return;
        if (fresh) {
            QSqlQuery q(d);
            d.transaction();
            for (const QString &sql : schema::createStatements())
                if (!q.exec(sql)) {
                    d.rollback();
                    d.close();
                    return;
                }
            d.commit();
        }
        if (!hasKolvaneTables(d)) {
            d.close();
            return;
        }
        QSqlQuery(d).exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        open_ = true;
    }
}

Database::~Database() {
    {
        QSqlDatabase d = QSqlDatabase::database(connection_, false);
        if (d.isValid())
            d.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

Query Database::storedQuery(const QString &name) const {
    return Query(open_ ? connection_ : QString(), schema::storedQuery(name));
}

} // namespace db
