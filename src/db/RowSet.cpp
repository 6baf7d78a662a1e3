#include "db/Database.h"
#include "db/RowSetData.h"
#include "db/Schema.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace db {

namespace {

// "<field>=<integer>" with the field found among fields (any letter case).
bool ParseCriterion(const QString &criterion, const QStringList &fields, QString *field,
                    qint64 *value) {
    static const QRegularExpression form(QStringLiteral("^\\s*([^\\s=]+)\\s*=\\s*(-?\\d+)\\s*$"));
    const QRegularExpressionMatch m = form.match(criterion);
    if (!m.hasMatch())
        return false;
    bool ok = false;
    *value = m.captured(2).toLongLong(&ok);
    if (!ok)
        return false;
    for (const QString &f : fields)
        if (f.compare(m.captured(1), Qt::CaseInsensitive) == 0) {
            *field = f;
            return true;
        }
    return false;
}

} // namespace

RowSet::RowSet() = default;
RowSet::~RowSet() = default;
RowSet::RowSet(RowSet &&) noexcept = default;
RowSet &RowSet::operator=(RowSet &&) noexcept = default;
RowSet::RowSet(std::unique_ptr<RowSetData> data) : d_(std::move(data)) {}

int RowSet::recordCount() const {
    if (!d_)
        return 0;
    if (!d_->lazy)
        return int(d_->deleted.count(false));
    QSqlQuery q(d_->database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(d_->tableSql())) || !q.next())
        return 0;
    return q.value(0).toInt();
}

bool RowSet::bof() const {
    if (!d_)
        return true;
    return d_->lazy ? d_->atBof : d_->pos < 0 || d_->rows.isEmpty();
}

bool RowSet::eof() const {
    if (!d_)
        return true;
    return d_->lazy ? d_->atEof : d_->pos >= d_->rows.size() || d_->rows.isEmpty();
}

bool RowSet::moveFirst() {
    if (!d_)
        return false;
    if (d_->lazy) {
        d_->setCurrent(
            d_->keyOf(QStringLiteral("SELECT MIN(%1) FROM %2").arg(d_->keySql(), d_->tableSql())),
            true);
        d_->atBof = d_->atEof;
        return d_->onRow();
    }
    d_->pos = 0;
    while (d_->pos < d_->rows.size() && d_->deleted[d_->pos])
        ++d_->pos;
    return d_->onRow();
}

bool RowSet::moveLast() {
    if (!d_)
        return false;
    if (d_->lazy) {
        d_->setCurrent(
            d_->keyOf(QStringLiteral("SELECT MAX(%1) FROM %2").arg(d_->keySql(), d_->tableSql())),
            false);
        d_->atEof = d_->atBof;
        return d_->onRow();
    }
    d_->pos = int(d_->rows.size()) - 1;
    while (d_->pos >= 0 && d_->deleted[d_->pos])
        --d_->pos;
    return d_->onRow();
}

bool RowSet::moveNext() {
    if (!d_ || eof())
        return false;
    if (d_->lazy) {
        if (d_->atBof)
            return moveFirst();
        d_->setCurrent(d_->keyOf(QStringLiteral("SELECT MIN(%1) FROM %2 WHERE %1 > :key")
                                     .arg(d_->keySql(), d_->tableSql()),
                                 {{QStringLiteral("key"), d_->current}}),
                       true);
        return d_->onRow();
    }
    do
        ++d_->pos;
    while (d_->pos < d_->rows.size() && d_->deleted[d_->pos]);
    return d_->onRow();
}

bool RowSet::movePrevious() {
    if (!d_ || bof())
        return false;
    if (d_->lazy) {
        if (d_->atEof)
            return moveLast();
        d_->setCurrent(d_->keyOf(QStringLiteral("SELECT MAX(%1) FROM %2 WHERE %1 < :key")
                                     .arg(d_->keySql(), d_->tableSql()),
                                 {{QStringLiteral("key"), d_->current}}),
                       false);
        return d_->onRow();
    }
    do
        --d_->pos;
    while (d_->pos >= 0 && d_->deleted[d_->pos]);
    return d_->onRow();
}

bool RowSet::findFirst(const QString &criterion) {
    if (!d_)
        return false;
    QString name;
    qint64 wanted = 0;
    d_->noMatch = true;
    if (!ParseCriterion(criterion, d_->fields, &name, &wanted))
        return false;
    if (d_->lazy) {
        const auto found =
            d_->keyOf(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :value ORDER BY %1 LIMIT 1")
                          .arg(d_->keySql(), d_->tableSql(), SqlIdentifier(d_->database(), name)),
                      {{QStringLiteral("value"), wanted}});
        if (!found)
            return false;
        d_->setCurrent(found, true);
    } else {
        const int column = int(d_->fields.indexOf(name));
        int i = 0;
        for (; i < d_->rows.size(); ++i) {
            bool ok = false;
            const QVariant &v = d_->rows[i][column];
            if (!d_->deleted[i] && !v.isNull() && v.toLongLong(&ok) == wanted && ok)
                break;
        }
        if (i == d_->rows.size())
            return false;
        d_->pos = i;
    }
    d_->noMatch = false;
    return true;
}

bool RowSet::noMatch() const {
    return !d_ || d_->noMatch;
}

QVariant RowSet::field(const QString &name) const {
    return d_ ? d_->value(name) : QVariant();
}

bool RowSet::addNew() {
    if (!d_ || d_->table.isEmpty())
        return false;
    d_->editing = RowSetData::Editing::Adding;
    d_->buffer.clear();
    return true;
}

bool RowSet::edit() {
    if (!d_ || d_->table.isEmpty() || !d_->onRow())
        return false;
    d_->editing = RowSetData::Editing::Changing;
    d_->buffer.clear();
    return true;
}

bool RowSet::setField(const QString &name, const QVariant &value) {
    if (!d_ || d_->editing == RowSetData::Editing::None || !d_->fields.contains(name))
        return false;
    d_->buffer.insert(name, value);
    return true;
}

bool RowSet::update() {
    if (!d_ || d_->editing == RowSetData::Editing::None)
        return false;
    const RowSetData::Editing editing = d_->editing;
    d_->editing = RowSetData::Editing::None;
    const QSqlDatabase database = d_->database();
    QStringList columns, values, assignments;
    QVariantMap parameters;
    int n = 0;
    for (auto it = d_->buffer.begin(); it != d_->buffer.end(); ++it, ++n) {
        const QString column = SqlIdentifier(database, it.key());
        const QString parameter = QStringLiteral("p%1").arg(n);
        columns << column;
        values << QLatin1Char(':') + parameter;
        assignments << column + QStringLiteral(" = :") + parameter;
        parameters.insert(parameter, it.value());
    }
    QSqlQuery q(database);
    if (editing == RowSetData::Editing::Adding) {
        const QString sql =
            columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(d_->tableSql())
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(d_->tableSql(), columns.join(QStringLiteral(", ")),
                                         values.join(QStringLiteral(", ")));
        if (!RunSql(q, sql, parameters))
            return false;
        if (!d_->lazy) {
            QVector<QVariant> row;
            for (const QString &f : d_->fields)
                row << (f == d_->key && !d_->buffer.contains(f) ? q.lastInsertId()
                                                                : d_->buffer.value(f));
            d_->rows << row;
            d_->deleted << false;
        }
        return true;
    }
    if (assignments.isEmpty())
        return true;
    const QVariant key = d_->lazy ? QVariant(d_->current) : d_->value(d_->key);
    parameters.insert(QStringLiteral("key"), key);
    if (!RunSql(q,
                QStringLiteral("UPDATE %1 SET %2 WHERE %3 = :key")
                    .arg(d_->tableSql(), assignments.join(QStringLiteral(", ")), d_->keySql()),
                parameters))
        return false;
    if (d_->lazy) {
        d_->cached.reset();
    } else {
        for (auto it = d_->buffer.begin(); it != d_->buffer.end(); ++it)
            d_->rows[d_->pos][int(d_->fields.indexOf(it.key()))] = it.value();
    }
    return true;
}

bool RowSet::deleteRow() {
    if (!d_ || d_->table.isEmpty() || !d_->onRow())
        return false;
    const QVariant key = d_->lazy ? QVariant(d_->current) : d_->value(d_->key);
    QSqlQuery q(d_->database());
    if (!RunSql(q,
                QStringLiteral("DELETE FROM %1 WHERE %2 = :key").arg(d_->tableSql(), d_->keySql()),
                {{QStringLiteral("key"), key}}))
        return false;
    // The deleted row stays current (reading Null) until the next move.
    if (d_->lazy)
        d_->cached = QVector<QVariant>(d_->fields.size());
    else
        d_->deleted[d_->pos] = true;
    return true;
}

void RowSet::close() {
    d_.reset();
}

Query::Query(QString connection, QString sql, QString baseTable)
    : connection_(std::move(connection)), sql_(std::move(sql)), baseTable_(std::move(baseTable)) {}

void Query::setParameter(const QString &name, const QVariant &value) {
    parameters_.insert(name, value);
}

RowSet Query::openRows() {
    if (connection_.isEmpty() || sql_.isEmpty())
        return RowSet();
    QSqlQuery q(ConnectionNamed(connection_));
    q.setForwardOnly(true);
    if (!RunSql(q, sql_, parameters_))
        return RowSet();
    auto data = std::make_unique<RowSetData>();
    data->connection = connection_;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        data->fields << record.fieldName(i);
    while (q.next()) {
        QVector<QVariant> row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << q.value(i);
        data->rows << row;
        data->deleted << false;
    }
    const QString key = schema::keyField(baseTable_);
    if (!key.isEmpty() && data->fields.contains(key)) {
        data->table = baseTable_;
        data->key = key;
    }
    return RowSet(std::move(data));
}

bool Query::execute() {
    if (connection_.isEmpty() || sql_.isEmpty())
        return false;
    QSqlQuery q(ConnectionNamed(connection_));
    return RunSql(q, sql_, parameters_);
}

} // namespace db
