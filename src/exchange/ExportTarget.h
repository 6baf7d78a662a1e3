#pragma once

#include "exchange/Exchange.h"

namespace exchange {

// Where an export may write, decided before anything is written.
struct ExportTarget {
    // The file the bytes go to: the path asked for, or the file a symbolic link there leads
    // to (the link itself stays).
    QString writePath;
    // Why the export may not write there, in words; empty when it may.
    QString refusal;
    bool allowed() const { return refusal.isEmpty(); }
};

// An export writes only to a regular file or a new one, never to a folder, a device, a FIFO or
// a socket, and never to one of the program's own files (Kolvane.mdb and its -wal/-shm,
// Kolvane.ini, Rireki.ini, Kolvane.port, the backups of compaction and of damaged files, in
// AppFolder, and `databasePath` with its side files), compared as files, whatever the name
// used. Every export, from the command line and from the windows, asks here.
ExportTarget CheckExportTarget(const QString &path, Wording w,
                               const QString &databasePath = QString());

} // namespace exchange
