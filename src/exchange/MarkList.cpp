#include "exchange/MarkList.h"

#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "exchange/ExportTarget.h"
#include "phone/NumberKey.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QStringDecoder>

namespace exchange {

namespace {

const QByteArray Utf8Mark("\xEF\xBB\xBF");

QString DecodeList(const QByteArray &bytes) {
    const auto whole =
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    QStringDecoder utf8(QStringConverter::Utf8, whole);
    if (bytes.startsWith(Utf8Mark))
        return utf8.decode(QByteArrayView(bytes).sliced(Utf8Mark.size()));
    // Lists from elsewhere are mostly UTF-8 without the mark; an older Japanese tool's are in
    // code page 932, which is seldom also valid UTF-8.
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp932("windows-31j", whole);
    return cp932.isValid() ? cp932.decode(bytes) : text;
}

// A CSV field: its quotes taken off and doubled quotes made single.
QString Unquoted(QString field) {
    field = field.trimmed();
    if (field.size() >= 2 && field.front() == QLatin1Char('"') && field.back() == QLatin1Char('"'))
        field =
            field.mid(1, field.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return field.trimmed();
}

QString Words(Wording w, const char *english, const char *japanese) {
    return exchange::Words(w, QString::fromUtf8(english), QString::fromUtf8(japanese));
}

} // namespace

MarkListRead ReadMarkList(const QByteArray &bytes) {
    MarkListRead read;
    const QString text = DecodeList(bytes);
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.toString().trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        qsizetype cut = -1;
        for (qsizetype i = 0; i < trimmed.size() && cut < 0; ++i)
            if (trimmed.at(i) == QLatin1Char(',') || trimmed.at(i) == QLatin1Char('\t'))
                cut = i;
        MarkLine mark;
        mark.number = Unquoted(cut < 0 ? trimmed : trimmed.left(cut));
        mark.reason = cut < 0 ? QString() : Unquoted(trimmed.mid(cut + 1));
        if (MarkableNumber(mark.number))
            read.lines.append(mark);
        else
            ++read.unreadable;
    }
    return read;
}

QString MarkImportText(const MarkImportReport &r) {
    return QStringLiteral("%1件を登録しました（%2件は登録済み、%3行は読めませんでした）")
        .arg(r.added)
        .arg(r.already)
        .arg(r.unreadable);
}

MarkImportReport ImportMarkList(const db::Database &database, const QString &path,
                                const QString &date, Wording w) {
    MarkImportReport r;
    QFile f;
    if (!OpenRegularFile(f, path)) {
        r.error = Words(w, "cannot read %1.", "%1 を読めません。").arg(path);
        return r;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFile::NoError) {
        r.error = Words(w, "cannot read %1: %2", "%1 を読めません：%2").arg(path, f.errorString());
        return r;
    }
    const MarkListRead read = ReadMarkList(bytes);
    r.unreadable = read.unreadable;
    if (!database.hasNuisanceMarks()) {
        r.error = Words(w, "the call database cannot hold marks (%1).",
                        "電話帳データベースに登録できません（%1）。")
                      .arg(db::ProblemText(database.isOpen() ? db::Database::Problem::NotWritable
                                                             : database.problem()));
        return r;
    }
    QList<db::NuisanceMark> marks;
    marks.reserve(read.lines.size());
    for (const MarkLine &line : read.lines)
        marks.append({0, line.number, line.reason, date});
    const db::MarksAdded added = db::AddNuisanceMarks(database, marks);
    if (!added.ok) {
        r.error = Words(w, "the marks could not be stored: %1", "登録できませんでした：%1")
                      .arg(db::ProblemText(db::LastStatementProblem()));
        return r;
    }
    r.ok = true;
    r.added = added.added;
    r.already = added.already;
    return r;
}

ExportReport ExportMarkList(const db::Database &database, const QString &path, Wording w) {
    ExportReport r;
    const ExportTarget target = CheckExportTarget(path, w, database.path());
    if (!target.allowed()) {
        r.error = target.refusal;
        return r;
    }
    if (!database.isOpen()) {
        r.error = Words(w, "cannot use the call database: %1", "電話帳データベースを使えません：%1")
                      .arg(db::ProblemText(database.problem()));
        return r;
    }
    QByteArray bytes = Utf8Mark + QByteArray("# 電番,理由\r\n");
    const QList<db::NuisanceMark> marks = db::ReadNuisanceMarks(database);
    for (const db::NuisanceMark &m : marks) {
        // One line a mark: a reason's own line breaks become spaces.
        QString reason = m.Reason;
        reason.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        bytes += m.Number.toUtf8();
        if (!reason.isEmpty())
            bytes += ',' + reason.toUtf8();
        bytes += "\r\n";
    }
    AtomicFileWriter writer(target.writePath);
    writer.write(bytes);
    if (!writer.commit()) {
        r.error = Words(w, "cannot write %1: %2", "%1 に書き込めません：%2")
                      .arg(path, writer.errorString());
        return r;
    }
    r.ok = true;
    r.count = int(marks.size());
    return r;
}

} // namespace exchange
