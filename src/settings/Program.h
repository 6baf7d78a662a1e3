#pragma once

#include <QString>

// Program-wide values that every window shares for the whole run.
struct Program {
    // The program's folder (or the one named by --folder), without a trailing separator.
    static QString AppFolder;

    static bool HistoryWindowOpen;
    static bool PhonebookWindowOpen;
    static bool CompactionBusy;

    // AppFolder + "/" + name: every file of the program lives there.
    static QString filePath(const QString &name);
};
