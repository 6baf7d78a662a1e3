#pragma once

#include "exchange/Exchange.h"

#include <QByteArray>
#include <QList>

namespace db {
class Database;
}

namespace exchange {

// One line of a list of nuisance numbers: the number as written, its reason (may be empty).
struct MarkLine {
    QString number, reason;
};
struct MarkListRead {
    QList<MarkLine> lines;
    int unreadable = 0; // lines that hold no number a mark may hold
};

// Reads a list of numbers: one a line, a reason after a comma or a tab (a quoted CSV field is
// unquoted); UTF-8 with or without its mark, else code page 932; empty lines and lines
// beginning with "#" skipped. Numbers in any typing the number key reads (hyphens, spaces,
// full-width, "+81"), or a prefix ending in "*".
MarkListRead ReadMarkList(const QByteArray &bytes);

// What an import of a list did.
struct MarkImportReport {
    bool ok = false;
    int added = 0, already = 0, unreadable = 0;
    QString error; // in words, when nothing could be done
};
// "N件を登録しました（M件は登録済み、K行は読めませんでした）"
QString MarkImportText(const MarkImportReport &r);

// Adds the numbers of the file at `path` that are not marked yet, in one transaction, with
// `date` as their 登録日.
MarkImportReport ImportMarkList(const db::Database &database, const QString &path,
                                const QString &date, Wording w = Wording::English);
// Writes every mark to `path` (UTF-8 with its mark, "number,reason" a line), which
// ImportMarkList reads back. Refuses the program's own files, like every export.
ExportReport ExportMarkList(const db::Database &database, const QString &path,
                            Wording w = Wording::English);

} // namespace exchange
