#pragma once

#include <QString>

class QFile;

// Files the call path reads (the ring sound, a reference phonebook, the call database) are
// named by the user. A FIFO, a device or a socket under such a name would hold open() or a
// read for ever, with the window's thread and every later call behind it: only a regular file
// is opened.

// Whether `path` names a regular file (a symbolic link is followed); asks the file system
// without opening it.
bool IsRegularFile(const QString &path);

// Opens `file` read-only on `path` when it names a regular file: checked before the opening,
// opened without waiting on whatever took its place meanwhile, and checked again on what was
// opened. False, with nothing open, otherwise.
bool OpenRegularFile(QFile &file, const QString &path);
