#include "callerid/CallReport.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringDecoder>

std::optional<QString> ParseCallReport(const QString &block) {
    const QString report = block.mid(2);
    if (!report.startsWith(QLatin1String("RING ANALOG")))
        return std::nullopt;
    QString number = report.mid(12);
    const qsizetype space = number.indexOf(u' ');
    if (space >= 0)
        number.truncate(space);
    const qsizetype slash = number.indexOf(u'/');
    if (slash >= 0)
        number.truncate(slash);
    return number;
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
    QStringDecoder cp932("windows-31j");
    if (!cp932.isValid())
        return QString::fromLatin1(bytes);
    return cp932.decode(bytes);
}

bool IsNumeric(const QString &text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    if (b == e)
        return false;
    for (qsizetype i = b; i < e; ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

QString JapaneseTimeText(const QDateTime &when) {
    return when.toString(QStringLiteral("H:mm:ss"));
}

QString JapaneseDateText(const QDateTime &when) {
    return when.toString(QStringLiteral("yyyy/MM/dd"));
}
