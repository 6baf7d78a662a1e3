#include "exchange/HistoryCsv.h"

#include "db/Database.h"
#include "db/Schema.h"
#include "exchange/ExportTarget.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace exchange {

namespace {

// The columns of the file, in order, and where each stands in the history SELECT
// (日時, 時間, 電番, 氏名, 住所, メモ, 履歴ID, 郵便番号, 迷惑理由).
constexpr int SelectColumn[] = {0, 1, 2, 3, 4, 7, 5, 8};
constexpr int ColumnCount = int(std::size(SelectColumn));

const char *const Headings[ColumnCount] = {"日時", "時間",     "電番", "氏名",
                                           "住所", "郵便番号", "メモ", "迷惑理由"};

// The bytes gathered before they go to the file: few writes, little memory.
constexpr int ChunkBytes = 256 * 1024;

// One field as RFC 4180 has it: quoted when it holds a comma, a double quote, CR or LF, its
// quotes doubled. The text itself is kept as stored, line breaks included.
void AppendField(QByteArray &line, const QByteArray &field) {
    const bool quoted =
        field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n');
    if (!quoted) {
        line += field;
        return;
    }
    line += '"';
    for (const char c : field) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// A spreadsheet runs a field that begins with one of these as a formula (text from outside:
// a caller's name, a memo), so such a field is written with a ' before it, which the
// spreadsheet shows as text. A phone number ("+81…", digits only) is left as it is.
bool TakenForFormula(const QByteArray &field) {
    static const QByteArray formulaStart("=+-@\t\r");
    if (field.isEmpty() || !formulaStart.contains(field.at(0)))
        return false;
    const QByteArray digits = field.at(0) == '+' ? field.mid(1) : field;
    return digits.isEmpty() ||
           !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The history SELECT narrowed to one call, with its columns and order unchanged.
QString OneCallSql(bool withNuisanceReason) {
    QString sql = db::schema::historyListSql(withNuisanceReason);
    const int order = sql.indexOf(QStringLiteral("ORDER BY"));
    return sql.left(order) + QStringLiteral("WHERE 着信履歴.履歴ID = :HistoryId");
}

class CsvOut {
public:
    explicit CsvOut(const QString &path) : writer_(path) { chunk_.reserve(ChunkBytes + 4096); }

    bool ok() const { return writer_.ok(); }
    QString errorString() const { return writer_.errorString(); }

    void row(const QSqlQuery &q) {
        for (int c = 0; c < ColumnCount; ++c) {
            if (c > 0)
                chunk_ += ',';
            // A Null field reads as empty text.
            const QByteArray field = q.value(SelectColumn[c]).toString().toUtf8();
            AppendField(chunk_, TakenForFormula(field) ? '\'' + field : field);
        }
        chunk_ += "\r\n";
        if (chunk_.size() >= ChunkBytes)
            flushChunk();
    }

    void headings() {
        // The byte order mark: spreadsheet programs on Japanese desktops read the file as
        // UTF-8 only with it (without, as Shift_JIS).
        chunk_ += "\xEF\xBB\xBF";
        for (int c = 0; c < ColumnCount; ++c) {
            if (c > 0)
                chunk_ += ',';
            chunk_ += Headings[c];
        }
        chunk_ += "\r\n";
    }

    bool commit() {
        flushChunk();
        return writer_.commit();
    }

private:
    void flushChunk() {
        writer_.write(chunk_);
        chunk_.clear();
    }

    AtomicFileWriter writer_;
    QByteArray chunk_;
};

ExportReport Failed(const QString &message) {
    ExportReport r;
    r.error = message;
    return r;
}

// Every call, or the calls named, newest first, as rows of the file; false when a read fails.
bool WriteCalls(QSqlQuery &q, const QList<int> &historyIds, bool withNuisanceReason, CsvOut *csv,
                int *count) {
    bool read = true;
    if (historyIds.isEmpty()) {
        read = q.exec(db::schema::historyListSql(withNuisanceReason));
        while (read && q.next()) {
            csv->row(q);
            ++*count;
        }
    } else {
        // Newest first, as the list shows them; a call named twice is written once.
        QList<int> ids = historyIds;
        std::sort(ids.begin(), ids.end(), std::greater<int>());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        read = q.prepare(OneCallSql(withNuisanceReason));
        for (int i = 0; read && i < ids.size(); ++i) {
            q.bindValue(QStringLiteral(":HistoryId"), ids[i]);
            read = q.exec();
            // A call deleted since it was chosen is simply not written.
            if (read && q.next()) {
                csv->row(q);
                ++*count;
            }
        }
    }
    return read;
}

} // namespace

ExportReport ExportHistoryCsv(const db::Database &database, const QList<int> &historyIds,
                              const QString &path, Wording w) {
    const ExportTarget target = CheckExportTarget(path, w, database.path());
    if (!target.allowed())
        return Failed(target.refusal);
    if (!database.isOpen())
        return Failed(Words(w, QStringLiteral("cannot read the call history from %1: %2"),
                            QStringLiteral("%1 から着信履歴を読めません：%2"))
                          .arg(database.path(), ProblemText(database.problem())));

    CsvOut csv(target.writePath);
    if (!csv.ok())
        return Failed(Words(w, QStringLiteral("cannot write %1: %2"),
                            QStringLiteral("%1 に書き込めません：%2"))
                          .arg(path, csv.errorString()));
    csv.headings();

    QSqlDatabase connection = database.sqlDatabase();
    // One read of the file from the first row to the last: calls recorded meanwhile wait for
    // the next export instead of half showing.
    const bool snapshot = connection.transaction();
    QSqlQuery q(connection);
    q.setForwardOnly(true);
    int count = 0;
    bool read = WriteCalls(q, historyIds, database.hasNuisanceMarks(), &csv, &count);
    read = read && !q.lastError().isValid();
    const QString readError =
        Words(w, q.lastError().text(), db::ProblemText(db::ProblemOf(q.lastError())));
    q.finish();
    if (snapshot)
        connection.rollback();
    if (!read)
        return Failed(Words(w, QStringLiteral("cannot read the call history from %1: %2"),
                            QStringLiteral("%1 から着信履歴を読めません：%2"))
                          .arg(database.path(), readError));
    if (!csv.commit())
        return Failed(Words(w, QStringLiteral("cannot write %1: %2"),
                            QStringLiteral("%1 に書き込めません：%2"))
                          .arg(path, csv.errorString()));
    ExportReport r;
    r.ok = true;
    r.count = count;
    return r;
}

} // namespace exchange
