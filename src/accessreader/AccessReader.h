#pragma once

#include <QByteArray>
#include <QList>

// The Access reader: a program of its own (kolvane-access-reader) that opens an Access file
// through libmdb, answers one request on it and ends. libmdb reads whatever bytes the file
// holds and trusts them, so a damaged file can make it read out of bounds or loop for ever:
// in a process of its own, that costs one answer. A fresh program, not a copy of ours made by
// fork(): a copy of a program with threads can inherit a lock another thread held at that
// moment (the memory allocator's, the character converters') and wait on it for ever.
//
// Requests, one per run, as the reader's arguments (the file as the file system spells it):
//   tables FILE                                        → bool opened, QStringList
//   columns FILE TABLE                                 → bool opened, QStringList
//   lookup FILE TABLE PHONE NAME ADDRESS ZIP NUMBER    → bool opened, bool found, name,
//                                                        address, zip
//   rows FILE TABLE PHONE NAME ADDRESS ZIP             → a RowsStatus byte, then the rows
// The first three answer in QDataStream's form; rows answer as DecodeReferenceRows reads them.
// On standard output the answer follows its length (8 bytes, the machine's order).
// An empty column name (ADDRESS, ZIP) is no column.
namespace AccessReader {

constexpr const char *ProgramName = "kolvane-access-reader";

enum RowsStatus : char { RowsFollow = 'R', NoSuchColumns = 'C', NotOpened = 'N' };

// In the reader: the answer to `request` (its arguments after the program's name). Empty for
// a request it does not know.
QByteArray Answer(const QList<QByteArray> &request);

} // namespace AccessReader
