#include "phone/NumberKey.h"

QString NumberKey(const QString &number) {
    QString digits;
    digits.reserve(number.size());
    bool plus = false;
    for (const QChar c : number) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
        else if (c >= QChar(0xFF10) && c <= QChar(0xFF19)) // full-width ０ … ９
            digits.append(QChar(u'0' + (c.unicode() - 0xFF10)));
        else if (digits.isEmpty() && (c == QLatin1Char('+') || c == QChar(0xFF0B)))
            plus = true;
    }
    // A national number in Japan starts with its trunk "0"; one that starts with the country
    // code 81 instead (9 or 10 digits after it) is the same number written for abroad.
    if (digits.startsWith(QLatin1String("81"))) {
        QString national = digits.mid(2);
        if (national.startsWith(QLatin1Char('0')))
            national.remove(0, 1); // "+81 (0)3 …"
        if (!national.isEmpty() && (plus || national.size() == 9 || national.size() == 10))
            return QLatin1Char('0') + national;
    }
    return digits;
}

bool IsNumeric(const QString &text) {
    auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    if (begin == end)
        return false;
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}
