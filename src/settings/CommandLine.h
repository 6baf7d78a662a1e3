#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for.
//   --folder DIR  AppFolder is DIR (created when its parent exists)
//   --log FILE    the diagnostic log goes to FILE
//   --export-history FILE     writes the call history to FILE (CSV) and exits
//   --export-phonebook FILE   writes the phonebook to FILE (vCard) and exits
//   --import-phonebook FILE   adds the entries of FILE (vCard) to the phonebook and exits
//   --import-marks FILE       adds the numbers of FILE (one a line) to the nuisance marks and exits
//   --export-marks FILE       writes the nuisance marks to FILE and exits
//   --ncid-listen ADDRESS:PORT  serve calls to NCID clients for this run
//   --ncid-server HOST:PORT     take calls from an NCID server for this run
//   --help, --version
// Without --folder, AppFolder is the program's folder, unless the program is installed (its
// folder is not writable, or it is a bin folder beside its installed desktop entry
// share/applications/io.kolvane.Kolvane.desktop): then it is the user's data folder,
// $XDG_DATA_HOME/kolvane.
struct CommandLine {
    enum class Outcome {
        Run,   // start the program
        Print, // print `message` on standard output and exit with status 0
        Fail,  // print `message` on standard error and exit with status 2
    };
    Outcome outcome = Outcome::Run;
    QString message;
    QString appFolder;        // absolute, without a trailing separator
    bool folderGiven = false; // by --folder
    QString logFile;          // empty: no diagnostic log

    // A transfer in or out of Kolvane.mdb, done without windows while the program may run.
    enum class Exchange {
        None,
        ExportHistory,
        ExportPhonebook,
        ImportPhonebook,
        ImportMarks,
        ExportMarks
    };
    Exchange exchange = Exchange::None;
    QString exchangeFile; // absolute

    // NCID for this run only (not stored): ADDRESS:PORT to listen on, HOST:PORT to take calls
    // from; empty when not given.
    QString ncidListen;
    QString ncidServer;
};

// "HOST:PORT", "a.b.c.d:PORT" or "[v6]:PORT" cut in two; false when it does not read (no
// port, a port outside 1-65535, an empty host).
bool ParseHostAndPort(const QString &text, QString *host, quint16 *port);

// Where the program stands: its own folder, and the user's data folder ($XDG_DATA_HOME, else
// ~/.local/share).
struct ProgramPlace {
    QString programFolder;
    QString userDataFolder;
    static ProgramPlace current();
};

// Whether a program in `programFolder` is an installed one, whose folder is not the user's.
bool IsInstalledProgramFolder(const QString &programFolder);

// Reads `arguments` (the first is the program). Creates nothing: `appFolder` may not exist.
CommandLine ParseCommandLine(const QStringList &arguments, const ProgramPlace &place);

// Makes sure AppFolder exists: creates it when its parent exists (or, for the user's data
// folder, with its parents). False, with `error` in words, when it cannot be used.
bool PrepareAppFolder(const QString &folder, bool createParents, QString *error);

// The text of --version.
QString VersionText();
