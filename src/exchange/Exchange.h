#pragma once

#include <QString>
#include <QStringList>

class QTextStream;
struct CommandLine;

namespace exchange {

// The words of a report: the command line speaks English, the windows Japanese.
enum class Wording { English, Japanese };
inline QString Words(Wording w, const QString &english, const QString &japanese) {
    return w == Wording::Japanese ? japanese : english;
}

// What a transfer out of Kolvane.mdb did.
struct ExportReport {
    bool ok = false;
    int count = 0; // rows or entries written
    QString error; // in words, when not ok
};

// What a transfer into Kolvane.mdb did. An import adds and never overwrites.
struct ImportReport {
    // The lines kept of each list: a file of a million cards read twice is told in counts,
    // and its import's memory does not grow with it.
    static constexpr int ListedLines = 1000;
    bool ok = false;
    int added = 0;          // entries added
    QStringList duplicates; // numbers already in the phonebook, not added again (the first)
    int duplicateCount = 0; // all of them
    QStringList skipped;    // what could not be read, in words (one line each; the first)
    int skippedCount = 0;   // all of them
    QString error;          // in words, when nothing could be done

    void noteDuplicate(const QString &line);
    void noteSkipped(const QString &line);
    void clearLists();
};

// Runs the transfer the command line asks for on Kolvane.mdb in AppFolder, without windows:
// prints what it did on `out` and, on failure, a clear message on `err`. The exit status:
// 0 when done, 1 when it failed.
int RunExchange(const CommandLine &commandLine, QTextStream &out, QTextStream &err);

} // namespace exchange
