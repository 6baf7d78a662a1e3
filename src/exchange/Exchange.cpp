#include "exchange/Exchange.h"

#include "db/Database.h"
#include "exchange/HistoryCsv.h"
#include "exchange/MarkList.h"
#include "exchange/VCard.h"
#include "platform/Clock.h"
#include "settings/CommandLine.h"
#include "settings/Program.h"

#include <QFileInfo>
#include <QTextStream>

namespace exchange {

namespace {

int Failed(QTextStream &err, const QString &message) {
    err << QStringLiteral("kolvane: ") << message << '\n';
    err.flush();
    return 1;
}

} // namespace

void ImportReport::noteDuplicate(const QString &line) {
    if (duplicates.size() < ListedLines)
        duplicates << line;
    ++duplicateCount;
}

void ImportReport::noteSkipped(const QString &line) {
    if (skipped.size() < ListedLines)
        skipped << line;
    ++skippedCount;
}

void ImportReport::clearLists() {
    duplicates.clear();
    skipped.clear();
    duplicateCount = skippedCount = 0;
}

int RunExchange(const CommandLine &commandLine, QTextStream &out, QTextStream &err) {
    const QString path = Program::DatabasePath();
    const QString file = commandLine.exchangeFile;
    // An export from a folder without a call database would make an empty one there first.
    const bool import = commandLine.exchange == CommandLine::Exchange::ImportPhonebook ||
                        commandLine.exchange == CommandLine::Exchange::ImportMarks;
    if (!import && !QFileInfo::exists(path))
        return Failed(err, QStringLiteral("there is no call database (%1).").arg(path));
    db::Database database(path);
    if (!database.isOpen())
        return Failed(
            err, QStringLiteral("cannot use %1: %2").arg(path, ProblemText(database.problem())));

    switch (commandLine.exchange) {
    case CommandLine::Exchange::None:
        return 0;
    case CommandLine::Exchange::ExportHistory: {
        const ExportReport r = ExportHistoryCsv(database, {}, file);
        if (!r.ok)
            return Failed(err, r.error);
        out << QStringLiteral("%1 calls written to %2\n").arg(r.count).arg(file);
        break;
    }
    case CommandLine::Exchange::ExportPhonebook: {
        const ExportReport r = ExportPhonebookVCard(database, file);
        if (!r.ok)
            return Failed(err, r.error);
        out << QStringLiteral("%1 entries written to %2\n").arg(r.count).arg(file);
        break;
    }
    case CommandLine::Exchange::ImportPhonebook: {
        const ImportReport r = ImportPhonebookVCard(database, file);
        for (const QString &line : r.skipped)
            err << QStringLiteral("kolvane: skipped: ") << line << '\n';
        if (r.skippedCount > r.skipped.size())
            err << QStringLiteral("kolvane: skipped: %1 more\n")
                       .arg(r.skippedCount - r.skipped.size());
        for (const QString &number : r.duplicates)
            out << QStringLiteral("already in the phonebook, not added: ") << number << '\n';
        if (r.duplicateCount > r.duplicates.size())
            out << QStringLiteral("already in the phonebook, not added: %1 more\n")
                       .arg(r.duplicateCount - r.duplicates.size());
        if (!r.ok)
            return Failed(err, r.error);
        out << QStringLiteral("%1 entries added from %2\n").arg(r.added).arg(file);
        // Cards that could not be read are bad input even when the others went in.
        if (r.skippedCount > 0)
            return Failed(
                err,
                QStringLiteral("%1 cards of %2 could not be read.").arg(r.skippedCount).arg(file));
        break;
    }
    case CommandLine::Exchange::ImportMarks: {
        const MarkImportReport r =
            ImportMarkList(database, file, Clock::now().toString(QStringLiteral("yyyy/MM/dd")));
        if (!r.ok)
            return Failed(err, r.error);
        out << MarkImportText(r) << '\n';
        break;
    }
    case CommandLine::Exchange::ExportMarks: {
        const ExportReport r = ExportMarkList(database, file);
        if (!r.ok)
            return Failed(err, r.error);
        out << QStringLiteral("%1 marks written to %2\n").arg(r.count).arg(file);
        break;
    }
    }
    out.flush();
    err.flush();
    return 0;
}

} // namespace exchange
