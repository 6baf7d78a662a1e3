#pragma once

#include <QString>

// The program's files hold names, numbers, addresses and memos: only the user who runs it may
// read them. Folders the program makes are 0700 and files it makes 0600 (on systems with
// such modes); folders and files that already exist keep theirs, and a folder others can read
// is told in the log by the caller.

// Makes `folder` (and, with `parents`, the folders above it that are missing) so that only
// the user can enter the last one. True when the folder exists afterwards.
bool MakePrivateFolder(const QString &folder, bool parents);

// Creates `path` empty, readable by the user alone, when nothing is there yet, so that what
// opens it next (SQLite, a settings file) keeps that mode. True when a file is there
// afterwards, whoever made it.
bool CreatePrivateFile(const QString &path);

// The mode bits a new file the program writes whole gets.
int PrivateFileMode();

// Whether users other than the owner may read or enter `path` (false where the system has no
// such modes, or when it cannot be asked).
bool ReadableByOthers(const QString &path);
