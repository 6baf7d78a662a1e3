#include "ui/phonebook/PhonebookModels.h"

#include "db/Database.h"
#include "db/Phonebook.h"
#include "db/Schema.h"

#include <QSqlQuery>

void HistoryOfEntryModel::setEntry(const db::Database &database, qint32 entryId) {
    QSqlQuery q(database.sqlDatabase());
    q.prepare(db::schema::phonebookHistoryOfEntrySql());
    q.bindValue(QStringLiteral(":ID"), entryId);
    q.exec();
    setQuery(std::move(q));
}

QVariant HistoryOfEntryModel::data(const QModelIndex &index, int role) const {
    const QVariant value = QSqlQueryModel::data(index, role);
    if (role == Qt::DisplayRole && index.column() == 0) {
        // The carriage return between date and time puts the time on the cell's second line.
        QString text = value.toString();
        text.replace(QLatin1Char('\r'), QChar::LineSeparator);
        return text;
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return value;
}

void EntryListModel::showAll(const db::Database &database) {
    QSqlQuery q(database.sqlDatabase());
    q.prepare(db::schema::phonebookEntriesSql());
    q.exec();
    setQuery(std::move(q));
}

void EntryListModel::showLetter(const db::Database &database, const QString &letter) {
    QSqlQuery q(database.sqlDatabase());
    q.prepare(db::schema::phonebookEntriesByLetterSql());
    q.bindValue(QStringLiteral(":Letter"), letter);
    q.exec();
    setQuery(std::move(q));
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const {
    const QVariant value = QSqlQueryModel::data(index, role);
    if (role == Qt::DisplayRole && index.column() == 0)
        return db::phonebook::ShownName(value.toString());
    return value;
}

qint32 EntryListModel::idOfLine(int row) const {
    return db::phonebook::IdOfText(data(index(row, 1)).toString());
}
