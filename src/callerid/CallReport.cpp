#include "callerid/CallReport.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringDecoder>
#include <QStringList>

std::optional<QString> ParseCallReport(const QString &block) {
    static const QString kRing = QStringLiteral("RING ANALOG");
    const QString report = block.mid(2);
    if (!report.startsWith(kRing, Qt::CaseSensitive))
        return std::nullopt;
    QString number = report.mid(12);
    const qsizetype space = number.indexOf(u' ');
    if (space >= 0)
        number.truncate(space);
    const qsizetype slash = number.indexOf(u'/');
    if (slash >= 0)
        number.truncate(slash);
    // Control characters (a NUL, an escape: line noise) are never part of a number; the line
    // end stays, as the end of the field.
    number.removeIf(
        [](QChar c) { return c.category() == QChar::Other_Control && c != u'\r' && c != u'\n'; });
    return number;
}

QStringList SplitCallReports(const QString &block) {
    static const QString kRing = QStringLiteral("RING ANALOG");
    // Each report after the first starts two characters (its line break) before its
    // "RING ANALOG"; the first keeps whatever the block starts with, as a single read would.
    QStringList reports;
    qsizetype start = 0;
    qsizetype from = 3;
    for (;;) {
        const qsizetype next = block.indexOf(kRing, from, Qt::CaseSensitive);
        if (next < 0)
            break;
        reports.append(block.mid(start, next - 2 - start));
        start = next - 2;
        from = next + kRing.size();
    }
    reports.append(block.mid(start));
    return reports;
}

std::optional<QString> ReasonText(const QString &number) {
    if (number == QLatin1String("P"))
        return QStringLiteral("ユーザ拒否");
    if (number == QLatin1String("O"))
        return QStringLiteral("表示圏外");
    if (number == QLatin1String("C"))
        return QStringLiteral("公衆電話発信");
    if (number == QLatin1String("S"))
        return QStringLiteral("サービス競合");
    return std::nullopt;
}

QString DecodeSerialBlock(const QByteArray &bytes) {
    QStringDecoder cp932("windows-31j", QStringConverter::Flag::Stateless);
    if (!cp932.isValid())
        return QString::fromLatin1(bytes);
    return cp932.decode(bytes);
}

QString JapaneseTimeText(const QDateTime &when) {
    return when.toString(QStringLiteral("H:mm:ss"));
}

QString JapaneseDateText(const QDateTime &when) {
    return when.toString(QStringLiteral("yyyy/MM/dd"));
}
