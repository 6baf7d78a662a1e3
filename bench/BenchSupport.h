#pragma once

// What the benchmarks share: the large call database they time the call path on, and the
// way they print their figures.

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <vector>

class QSqlQuery;

constexpr int phonebookNumbers = 100000; // two numbers per entry
constexpr int historyRows = 1000000;

extern QTextStream out;

// The i-th phonebook number; numbers with a last digit off this pattern are never in it.
QString phonebookNumber(int i);
QString unknownNumber(int i);

struct Figures {
    std::vector<double> ms;
    void add(qint64 ns) { ms.push_back(double(ns) / 1e6); }
    double median() const;
    double worst() const;
};

QString padded(const QString &text, int columns);
void printHeader(const QString &title);
void printRow(const QString &name, const Figures &f, const QString &note = QString());
bool exec(QSqlQuery &q, const QString &sql);
QString dataTag(const QString &extra);
bool buildCallDatabase(const QString &path, int calls = historyRows);
// The large Kolvane.mdb kept in dataDir (built the first time); empty when it cannot be made.
QString CallDatabaseSeed(const QString &dataDir, int calls = historyRows);
// Adds `rows` calls after the largest 履歴ID of a Kolvane database, in one transaction of one
// prepared statement; prints how long it took when it is long.
bool FillHistory(const QString &path, int rows);
// The options every bench takes: --data DIR (where generated data is kept), --calls N and
// --rows N,N,... (history sizes; 5000000 is fine, it takes a while to generate).
// False (after printing the usage) on anything else.
bool ParseBenchArguments(const QStringList &arguments, QString &dataDir, int &calls,
                         QList<int> *rows = nullptr);
