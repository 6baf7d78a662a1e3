#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Rireki.ini, the history window's layout: eleven values by position, one a line, CR LF.
struct HistoryLayout {
    static constexpr int ColumnCount = 6;
    // Widths of the list's columns 0-5 (twips).
    qint32 ColumnWidth[ColumnCount] = {1100, 1100, 1515, 1515, 2070, 2070};
    // The window's position and size (twips).
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 8550;
    qint32 Height = 6000;
    bool HistoryOnTop = false;

    bool operator==(const HistoryLayout &o) const;
    bool operator!=(const HistoryLayout &o) const { return !(*this == o); }
};

// Reads the eleven values; blanks around a value are skipped. Any fault (no file, too few
// lines, a value that does not convert, a negative width or size) leaves `layout` at all
// eleven defaults and returns false.
bool ReadHistoryLayoutFile(const QString &path, HistoryLayout &layout);

// The exact bytes of the file for `layout`.
QByteArray FormatHistoryLayoutFile(const HistoryLayout &layout);

// Writes the file so that a failure (full disk, read-only folder) keeps the previous one byte
// for byte. A previous file that does not read is first kept as "Rireki.ini.damaged" beside
// it; when that copy fails, nothing is written.
bool WriteHistoryLayoutFile(const QString &path, const HistoryLayout &layout);
