#include "exchange/VCard.h"

#include <QDate>
#include <QRegularExpression>

// The fields the phonebook keeps its own way, in vCard terms: the index letter and the
// birthday.

namespace exchange {

QString IndexLetterOf(const QString &reading) {
    // The index letter of each full-width katakana ァ (U+30A1) … ヶ (U+30F6).
    static const QString katakana = QString::fromUtf8("ｱｱｲｲｳｳｴｴｵｵ"
                                                      "ｶｶｷｷｸｸｹｹｺｺ"
                                                      "ｻｻｼｼｽｽｾｾｿｿ"
                                                      "ﾀﾀﾁﾁﾂﾂﾂﾃﾃﾄﾄ"
                                                      "ﾅﾆﾇﾈﾉ"
                                                      "ﾊﾊﾊﾋﾋﾋﾌﾌﾌﾍﾍﾍﾎﾎﾎ"
                                                      "ﾏﾐﾑﾒﾓ"
                                                      "ﾔﾔﾕﾕﾖﾖ"
                                                      "ﾗﾘﾙﾚﾛ"
                                                      "ﾜﾜｲｴｦﾝｳｶｹ");
    // Half-width small letters ｧ (U+FF67) … ｯ (U+FF6F).
    static const QString halfSmall = QString::fromUtf8("ｱｲｳｴｵﾔﾕﾖﾂ");
    const QString r = reading.trimmed();
    if (r.isEmpty())
        return QString();
    char16_t c = r.front().unicode();
    if (c >= 0x3041 && c <= 0x3096) // hiragana → katakana
        c = char16_t(c + 0x60);
    if (c >= 0x30A1 && c <= 0x30F6)
        return katakana.mid(c - 0x30A1, 1);
    if (c == 0xFF66 || (c >= 0xFF71 && c <= 0xFF9D))
        return QString(QChar(c));
    if (c >= 0xFF67 && c <= 0xFF6F)
        return halfSmall.mid(c - 0xFF67, 1);
    return QString();
}

QString BirthdayOfVCard(const QString &value) {
    const QString v = value.trimmed();
    static const QRegularExpression full(
        QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})(?:T[0-9:Z+\\-.]*)?$"));
    static const QRegularExpression noYear(QStringLiteral("^--(\\d{2})-?(\\d{2})$"));
    QRegularExpressionMatch m = full.match(v);
    if (m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (d.isValid())
            return d.toString(QStringLiteral("yyyy/MM/dd"));
        return v;
    }
    m = noYear.match(v);
    if (m.hasMatch()) {
        // A day of a leap year, so 29 February is a day too.
        const QDate d(2000, m.captured(1).toInt(), m.captured(2).toInt());
        if (d.isValid())
            return d.toString(QStringLiteral("MM/dd"));
    }
    return v;
}

QString VCardOfBirthday(const QString &stored) {
    static const QRegularExpression full(
        QStringLiteral("^(\\d{4})\\s*[/\\-.年]\\s*(\\d{1,2})\\s*[/\\-.月]\\s*(\\d{1,2})\\s*日?$"));
    static const QRegularExpression compact(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression noYear(
        QStringLiteral("^(\\d{1,2})\\s*[/\\-.月]\\s*(\\d{1,2})\\s*日?$"));
    const QString s = stored.trimmed();
    QRegularExpressionMatch m = full.match(s);
    if (!m.hasMatch())
        m = compact.match(s);
    if (m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    }
    m = noYear.match(s);
    if (m.hasMatch()) {
        const QDate d(2000, m.captured(1).toInt(), m.captured(2).toInt());
        return d.isValid() ? d.toString(QStringLiteral("--MMdd")) : QString();
    }
    return QString();
}

} // namespace exchange
