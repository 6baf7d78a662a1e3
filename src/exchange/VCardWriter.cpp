#include "exchange/VCard.h"

#include <QRegularExpression>

// Writing the format: the phonebook's entries as vCard 3.0.

namespace exchange {

namespace {

QString Escape(const QString &text) {
    QString out;
    out.reserve(text.size());
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QChar c : t) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char(';'))
            out += QLatin1String("\\;");
        else if (c == QLatin1Char(','))
            out += QLatin1String("\\,");
        else
            out += c;
    }
    return out;
}

// One content line, folded at 75 octets; a UTF-8 sequence is never cut.
void AppendLine(QByteArray *out, const QString &line) {
    const QByteArray bytes = line.toUtf8();
    qsizetype start = 0;
    int room = 75;
    while (bytes.size() - start > room) {
        qsizetype cut = start + room;
        while (cut > start && (uchar(bytes.at(cut)) & 0xC0) == 0x80)
            --cut;
        out->append(bytes.mid(start, cut - start));
        out->append("\r\n ");
        start = cut;
        room = 74; // the blank that starts a folded line counts
    }
    out->append(bytes.mid(start));
    out->append("\r\n");
}

QString TypeOfKind(const QString &kind) {
    if (kind == QStringLiteral("自宅"))
        return QStringLiteral("HOME");
    if (kind == QStringLiteral("携帯"))
        return QStringLiteral("CELL");
    if (kind == QStringLiteral("Ｆａｘ"))
        return QStringLiteral("FAX");
    if (kind == QStringLiteral("勤務先"))
        return QStringLiteral("WORK");
    return QString();
}

// "田中 太郎" → family 田中, given 太郎; one word is the family name alone.
QStringList NameParts(const QString &name) {
    static const QRegularExpression blank(QStringLiteral("[ \\x{3000}]+"));
    const QString n = name.trimmed();
    const QRegularExpressionMatch m = blank.match(n);
    if (!m.hasMatch())
        return {n, QString()};
    return {n.left(m.capturedStart()), n.mid(m.capturedEnd())};
}

} // namespace

QByteArray WriteVCards(const QVector<VCardEntry> &entries) {
    QByteArray out;
    for (const VCardEntry &e : entries) {
        AppendLine(&out, QStringLiteral("BEGIN:VCARD"));
        AppendLine(&out, QStringLiteral("VERSION:3.0"));
        AppendLine(&out, QStringLiteral("FN:") + Escape(e.name));
        const QStringList parts = NameParts(e.name);
        AppendLine(&out,
                   QStringLiteral("N:%1;%2;;;").arg(Escape(parts.at(0)), Escape(parts.at(1))));
        // The phonebook keeps no reading, only the letter it is filed under: kept as our own
        // property, which other programs pass over. Written empty too, so that an entry
        // filed under no letter is not filed by its name when read back.
        AppendLine(&out, QStringLiteral("X-KOLVANE-INDEX:") + Escape(e.indexLetter));
        if (!e.address.isEmpty() || !e.zip.isEmpty())
            AppendLine(&out,
                       QStringLiteral("ADR:;;%1;;;%2;").arg(Escape(e.address), Escape(e.zip)));
        int item = 0;
        for (const VCardNumber &n : e.numbers) {
            const QString type = TypeOfKind(n.kind);
            if (!type.isEmpty()) {
                AppendLine(&out, QStringLiteral("TEL;TYPE=%1:%2").arg(type, Escape(n.number)));
            } else if (n.kind.isEmpty()) {
                AppendLine(&out, QStringLiteral("TEL:") + Escape(n.number));
            } else {
                // A kind of the user's own words: the label address books show beside it.
                const QString group = QStringLiteral("item%1.").arg(++item);
                AppendLine(&out, group + QStringLiteral("TEL:") + Escape(n.number));
                AppendLine(&out, group + QStringLiteral("X-ABLabel:") + Escape(n.kind));
            }
        }
        for (const QString &mail : {e.mail1, e.mail2})
            if (!mail.isEmpty())
                AppendLine(&out, QStringLiteral("EMAIL;TYPE=INTERNET:") + Escape(mail));
        if (!e.birthday.isEmpty()) {
            const QString date = VCardOfBirthday(e.birthday);
            AppendLine(&out, date.isEmpty()
                                 ? QStringLiteral("BDAY;VALUE=text:") + Escape(e.birthday)
                                 : QStringLiteral("BDAY:") + date);
        }
        if (!e.other.isEmpty())
            AppendLine(&out, QStringLiteral("NOTE:") + Escape(e.other));
        AppendLine(&out, QStringLiteral("END:VCARD"));
    }
    return out;
}

} // namespace exchange
