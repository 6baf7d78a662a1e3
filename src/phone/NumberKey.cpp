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

namespace {

bool IsStar(QChar c) {
    return c == QLatin1Char('*') || c == QChar(0xFF0A);
}

bool IsPlus(QChar c) {
    return c == QLatin1Char('+') || c == QChar(0xFF0B);
}

bool IsDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QChar(0xFF10) && c <= QChar(0xFF19));
}

// The separators the file's number key leaves out (schema::numberKeySql has the same list).
bool IsSeparator(QChar c) {
    static const QString separators = QStringLiteral(
        " -()./\u3000\uFF0D\u2010\u2011\u2012\u2013\u2014\u2015\u2212\u30FC\uFF70\u30FB\uFF08"
        "\uFF09\uFF0E\uFF0F");
    return separators.contains(c);
}

} // namespace

QString MarkKey(const QString &text) {
    if (text.isEmpty() || !IsStar(text.back()))
        return NumberKey(text);
    const QString before = text.chopped(1);
    if (!before.isEmpty() && IsPlus(before.front())) {
        if (before.size() == 1)
            return QStringLiteral("+*");
        const QString key = NumberKey(before.mid(1));
        return key.isEmpty() ? QString() : QLatin1Char('+') + key + QLatin1Char('*');
    }
    const QString key = NumberKey(before);
    return key.isEmpty() ? QString() : key + QLatin1Char('*');
}

QStringList MarkCandidates(const QString &number) {
    const QString key = NumberKey(number);
    if (key.isEmpty())
        return {};
    QStringList keys{key};
    for (qsizetype i = 1; i <= key.size(); ++i)
        keys << key.left(i) + QLatin1Char('*');
    // Sent with "+": the digits as sent (a "+81 …" keeps its 81) behind the "+".
    const QString trimmed = number.trimmed();
    if (!trimmed.isEmpty() && IsPlus(trimmed.front())) {
        QString digits;
        for (const QChar c : trimmed)
            if (IsDigit(c))
                digits.append(c.unicode() >= 0xFF10 ? QChar(u'0' + (c.unicode() - 0xFF10)) : c);
        keys << QStringLiteral("+*");
        for (qsizetype i = 1; i <= digits.size(); ++i)
            keys << QLatin1Char('+') + digits.left(i) + QLatin1Char('*');
    }
    return keys;
}

bool MarkableNumber(const QString &text) {
    qsizetype end = text.size();
    const bool prefix = end > 0 && IsStar(text.at(end - 1));
    if (prefix)
        --end;
    qsizetype begin = 0;
    const bool plus = end > 0 && IsPlus(text.at(0));
    if (plus)
        ++begin;
    if (plus && prefix && end == begin)
        return true; // "+*": every number sent with "+"
    bool digit = false;
    for (qsizetype i = begin; i < end; ++i) {
        if (IsDigit(text.at(i)))
            digit = true;
        else if (!IsSeparator(text.at(i)))
            return false;
    }
    return digit;
}

bool IsInternationalNumber(const QString &number) {
    const QString trimmed = number.trimmed();
    const QString key = NumberKey(trimmed);
    if (key.isEmpty())
        return false;
    if (IsPlus(trimmed.front()))
        return !key.startsWith(QLatin1Char('0'));
    return key.startsWith(QLatin1String("010"));
}
