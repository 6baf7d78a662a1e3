#pragma once

#include <QString>

// Where the program keeps its files, fixed once at start.
struct Program {
    // The program's folder (or the one named by --folder), without a trailing separator.
    static QString AppFolder;

    // AppFolder + "/" + name: every file of the program lives there.
    static QString filePath(const QString &name);

    // The call database: the phonebook, the call history and their stored queries.
    static constexpr const char *DatabaseName = "Kolvane.mdb";
    static QString DatabasePath();
};
