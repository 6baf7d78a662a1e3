#include "exchange/VCard.h"
#include "exchange/VCardCard.h"

#include "platform/LegacyText.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace exchange {

namespace {

// Reading the format: bytes, lines, properties, cards.

enum class Charset { Utf8, CodePage932, Latin1 };

QString Decode(const QByteArray &bytes, Charset charset) {
    switch (charset) {
    case Charset::Utf8:
        return QString::fromUtf8(bytes);
    case Charset::Latin1:
        return QString::fromLatin1(bytes);
    case Charset::CodePage932:
        break;
    }
    // Bytes that are not UTF-8 are code page 932 (DecodeLegacyText reads them so).
    return DecodeLegacyText(bytes);
}

bool IsUtf8(const QByteArray &bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

struct Property {
    QByteArray group;
    QByteArray name;                             // upper case
    QHash<QByteArray, QList<QByteArray>> params; // upper-case keys; values as written
    QByteArray raw;                              // the value's bytes, still encoded
    QString value;                               // decoded, still escaped
    QList<QByteArray> param(const QByteArray &key) const { return params.value(key); }
    bool hasType(const char *type) const {
        for (const QByteArray &t : params.value("TYPE"))
            if (t.compare(type, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
};

// Splits at `separator` outside double quotes.
QList<QByteArray> SplitOutsideQuotes(const QByteArray &text, char separator) {
    QList<QByteArray> parts;
    QByteArray part;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == separator && !quoted) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    return parts;
}

QByteArray Unquoted(QByteArray value) {
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

QByteArray DecodeQuotedPrintable(const QByteArray &text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '=' && i + 2 < text.size() && hex(text.at(i + 1)) >= 0 &&
            hex(text.at(i + 2)) >= 0) {
            bytes += char(hex(text.at(i + 1)) * 16 + hex(text.at(i + 2)));
            i += 2;
        } else if (c == '=' && i + 1 == text.size()) {
            break; // a soft break left at the end
        } else {
            bytes += c;
        }
    }
    return bytes;
}

Charset CharsetNamed(const QByteArray &name, Charset fallback) {
    const QByteArray n = Unquoted(name).toUpper();
    if (n == "UTF-8" || n == "UTF8")
        return Charset::Utf8;
    if (n == "SHIFT_JIS" || n == "SHIFT-JIS" || n == "SJIS" || n == "CP932" || n == "WINDOWS-31J" ||
        n == "MS932" || n == "X-SJIS")
        return Charset::CodePage932;
    if (n == "ISO-8859-1" || n == "US-ASCII" || n == "LATIN1")
        return Charset::Latin1;
    return fallback;
}

// Parameters as written: "TYPE=cell,voice", "TYPE=CELL;TYPE=HOME", bare 2.1 "CELL".
void ReadParams(const QList<QByteArray> &parts, Property *p) {
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts.at(i).trimmed();
        if (part.isEmpty())
            continue;
        const qsizetype eq = part.indexOf('=');
        QByteArray key, value;
        if (eq < 0) {
            value = part;
            const QByteArray upper = part.toUpper();
            if (upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" ||
                upper == "7BIT" || upper == "B")
                key = "ENCODING";
            else
                key = "TYPE";
        } else {
            key = part.left(eq).trimmed().toUpper();
            value = part.mid(eq + 1);
        }
        // TYPE="cell,voice" (4.0) as TYPE=cell,voice.
        const QByteArray whole = Unquoted(value);
        for (const QByteArray &v :
             whole.contains('"') ? SplitOutsideQuotes(value, ',') : whole.split(','))
            p->params[key] << Unquoted(v);
    }
}

bool IsQuotedPrintable(const Property &p) {
    for (const QByteArray &e : p.param("ENCODING"))
        if (e.compare("QUOTED-PRINTABLE", Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::optional<Property> ReadProperty(const QByteArray &line, Charset fileCharset) {
    // The value starts after the first colon outside quotes.
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return std::nullopt;
    Property p;
    const QList<QByteArray> parts = SplitOutsideQuotes(line.left(colon), ';');
    QByteArray name = parts.first().trimmed();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0) {
        p.group = name.left(dot).toUpper();
        name = name.mid(dot + 1);
    }
    if (name.isEmpty())
        return std::nullopt;
    p.name = name.toUpper();
    ReadParams(parts, &p);
    p.raw = line.mid(colon + 1);
    QByteArray bytes = IsQuotedPrintable(p) ? DecodeQuotedPrintable(p.raw) : p.raw;
    Charset charset = fileCharset;
    for (const QByteArray &c : p.param("CHARSET"))
        charset = CharsetNamed(c, charset);
    p.value = Decode(bytes, charset);
    return p;
}

// The text of a value: \n, \, \; and \\ undone; other backslashes stay (2.1 paths).
QString Unescape(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text.at(i + 1);
        if (n == QLatin1Char('n') || n == QLatin1Char('N'))
            out += QLatin1Char('\n');
        else if (n == QLatin1Char('\\') || n == QLatin1Char(';') || n == QLatin1Char(',') ||
                 n == QLatin1Char(':'))
            out += n;
        else {
            out += c;
            out += n;
        }
        ++i;
    }
    // A value from a file with CR LF inside (quoted-printable) is one line break each.
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

// The components of a structured value (N, ADR), split at unescaped semicolons.
QStringList Components(const QString &text) {
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            part += c;
            part += text.at(++i);
        } else if (c == QLatin1Char(';')) {
            parts << Unescape(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts << Unescape(part);
    return parts;
}

QString Component(const QStringList &parts, int i) {
    return i < parts.size() ? parts.at(i).trimmed() : QString();
}

// Parts joined as Japanese is written (東京都千代田区丸の内), with a blank where Latin text
// meets Latin text (1-1 Marunouchi Chiyoda).
QString JoinParts(const QStringList &parts) {
    QString joined;
    for (QString part : parts) {
        part = part.trimmed();
        if (part.isEmpty())
            continue;
        if (!joined.isEmpty() && (joined.back().unicode() < 0x80 || part.front().unicode() < 0x80))
            joined += QLatin1Char(' ');
        joined += part;
    }
    return joined;
}

// 「family given」, as names are written in the phonebook.
QString JoinName(const QString &family, const QString &given) {
    return family.isEmpty() ? given : given.isEmpty() ? family : family + QLatin1Char(' ') + given;
}

// 摘要 of a number from its types or the label of its group.
QString KindOfTypes(const Property &p) {
    if (p.hasType("fax"))
        return QStringLiteral("Ｆａｘ");
    if (p.hasType("cell") || p.hasType("mobile") || p.hasType("iphone"))
        return QStringLiteral("携帯");
    if (p.hasType("work"))
        return QStringLiteral("勤務先");
    if (p.hasType("home"))
        return QStringLiteral("自宅");
    return QString();
}

QString KindOfLabel(const QString &label) {
    // Address-book labels of their own kinds: _$!<Mobile>!$_ …
    static const QRegularExpression own(QStringLiteral("^_\\$!<(.*)>!\\$_$"));
    const QRegularExpressionMatch m = own.match(label);
    if (!m.hasMatch())
        return label.trimmed();
    const QString k = m.captured(1).toLower();
    if (k.contains(QLatin1String("fax")))
        return QStringLiteral("Ｆａｘ");
    if (k == QLatin1String("mobile") || k == QLatin1String("iphone"))
        return QStringLiteral("携帯");
    if (k == QLatin1String("work"))
        return QStringLiteral("勤務先");
    if (k == QLatin1String("home"))
        return QStringLiteral("自宅");
    return QString();
}

// What a card says of the name and of how it is read, gathered before one is chosen.
struct CardNames {
    QString fn, nName, org;
    QString reading, sortString, phonetic, irmc;
    QString phoneticLast, phoneticFirst;
    QString ownIndex;
    bool ownIndexGiven = false;
};

// Takes a property of the name or of its reading; false for a property of another kind.
bool ReadNameProperty(const Property &p, CardNames *names) {
    const QByteArray &n = p.name;
    if (n == "FN") {
        if (names->fn.isEmpty())
            names->fn = Unescape(p.value).trimmed();
    } else if (n == "N") {
        const QStringList parts = Components(p.value);
        if (names->nName.isEmpty())
            names->nName = JoinName(Component(parts, 0), Component(parts, 1));
        for (const QByteArray &s : p.param("SORT-AS"))
            if (names->reading.isEmpty())
                names->reading = Decode(s, Charset::Utf8).trimmed();
    } else if (n == "ORG") {
        if (names->org.isEmpty())
            names->org = JoinParts(Components(p.value));
    } else if (n == "X-PHONETIC-LAST-NAME") {
        names->phoneticLast = Unescape(p.value).trimmed();
    } else if (n == "X-PHONETIC-FIRST-NAME") {
        names->phoneticFirst = Unescape(p.value).trimmed();
    } else if (n == "SORT-STRING") {
        names->sortString = Unescape(p.value).trimmed();
    } else if (n == "X-PHONETIC" || n == "X-FURIGANA" || n == "X-YOMI") {
        names->phonetic = Unescape(p.value).trimmed();
    } else if (n == "SOUND" && p.params.contains("TYPE") && p.hasType("X-IRMC-N")) {
        // Japanese phones of the 2.1 years: the reading in the name's components.
        const QStringList parts = Components(p.value);
        names->irmc = JoinName(Component(parts, 0), Component(parts, 1));
    } else if (n == "X-KOLVANE-INDEX") {
        names->ownIndexGiven = true;
        names->ownIndex = Unescape(p.value).trimmed();
    } else {
        return false;
    }
    return true;
}

// The letter the entry is filed under: our own, else that of the reading, else of the name.
QString IndexLetterOfCard(const CardNames &names, const QString &name) {
    if (names.ownIndexGiven)
        return names.ownIndex;
    QString reading = names.reading;
    if (!names.phoneticLast.isEmpty() || !names.phoneticFirst.isEmpty())
        reading = JoinName(names.phoneticLast, names.phoneticFirst);
    for (const QString &r : {names.sortString, names.phonetic, names.irmc})
        if (reading.isEmpty())
            reading = r;
    const QString letter = IndexLetterOf(reading);
    return letter.isEmpty() ? IndexLetterOf(name) : letter;
}

// Address and postal code of an ADR property, the address in Japanese order: region,
// locality, street, then the building (extended part).
void ReadAddress(const Property &p, VCardEntry *e) {
    const QStringList parts = Components(p.value);
    e->address = JoinParts({Component(parts, 4), Component(parts, 3), Component(parts, 2),
                            Component(parts, 1), Component(parts, 0)});
    e->zip = Component(parts, 5);
}

// The number of a TEL property with its kind (from its types, or the label of its group);
// nullopt when it holds no number.
std::optional<VCardNumber> NumberOfProperty(const Property &p,
                                            const QHash<QByteArray, QString> &labels) {
    QString number = Unescape(p.value).trimmed();
    if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        number = number.mid(4);
    if (number.isEmpty())
        return std::nullopt;
    QString kind = KindOfTypes(p);
    if (!p.group.isEmpty() && labels.contains(p.group)) {
        const QString labelled = KindOfLabel(labels.value(p.group));
        if (!labelled.isEmpty())
            kind = labelled;
    }
    return VCardNumber{number, kind};
}

// A BDAY property as the phonebook stores a birthday.
QString BirthdayOfProperty(const Property &p) {
    const QString value = Unescape(p.value).trimmed();
    bool text = false;
    for (const QByteArray &v : p.param("VALUE"))
        text = text || v.compare("text", Qt::CaseInsensitive) == 0;
    QString stored = text ? value : BirthdayOfVCard(value);
    // An address book's way of saying "no year": a placeholder year 1604.
    if (!p.param("X-APPLE-OMIT-YEAR").isEmpty() && stored.size() == 10 &&
        stored.startsWith(QString::fromLatin1(p.param("X-APPLE-OMIT-YEAR").first())))
        stored = stored.mid(5);
    return stored;
}

// The phonebook's entry from the properties of one card; nullopt when it holds nothing.
std::optional<VCardEntry> EntryOfCard(const QVector<Property> &card) {
    VCardEntry e;
    CardNames names;
    QStringList mails, notes;
    QHash<QByteArray, QString> labels;
    for (const Property &p : card)
        if (p.name == "X-ABLABEL" && !p.group.isEmpty())
            labels.insert(p.group, Unescape(p.value));
    bool haveAddress = false;
    for (const Property &p : card) {
        if (ReadNameProperty(p, &names))
            continue;
        const QByteArray &n = p.name;
        if (n == "ADR" && !haveAddress) {
            haveAddress = true;
            ReadAddress(p, &e);
        } else if (n == "TEL") {
            if (const std::optional<VCardNumber> number = NumberOfProperty(p, labels))
                e.numbers << *number;
        } else if (n == "EMAIL") {
            QString mail = Unescape(p.value).trimmed();
            if (mail.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
                mail = mail.mid(7);
            if (!mail.isEmpty())
                mails << mail;
        } else if (n == "BDAY" && e.birthday.isEmpty()) {
            e.birthday = BirthdayOfProperty(p);
        } else if (n == "NOTE") {
            const QString note = Unescape(p.value);
            if (!note.trimmed().isEmpty())
                notes << note;
        }
    }
    e.name = !names.fn.isEmpty() ? names.fn : !names.nName.isEmpty() ? names.nName : names.org;
    if (e.name.isEmpty() && e.numbers.isEmpty() && mails.isEmpty())
        return std::nullopt;
    e.indexLetter = IndexLetterOfCard(names, e.name);
    e.mail1 = mails.value(0);
    e.mail2 = mails.value(1);
    e.other = notes.join(QLatin1Char('\n'));
    return e;
}

} // namespace

bool VCardEntry::operator==(const VCardEntry &o) const {
    return name == o.name && indexLetter == o.indexLetter && address == o.address && zip == o.zip &&
           birthday == o.birthday && mail1 == o.mail1 && mail2 == o.mail2 && other == o.other &&
           numbers == o.numbers;
}

namespace card {

Boundary BoundaryOf(const QByteArray &line) {
    const std::optional<Property> p = ReadProperty(line, Charset::Utf8);
    if (!p || p->raw.trimmed().toUpper() != "VCARD")
        return Boundary::None;
    return p->name == "BEGIN" ? Boundary::Begin : p->name == "END" ? Boundary::End : Boundary::None;
}

std::optional<VCardEntry> EntryOfLines(const QVector<QByteArray> &lines) {
    // Each card is read as UTF-8 when all of it is, else as code page 932, unless a property
    // names its own charset.
    const Charset charset = IsUtf8(lines.join('\n')) ? Charset::Utf8 : Charset::CodePage932;
    QVector<Property> properties;
    for (const QByteArray &line : lines)
        if (std::optional<Property> p = ReadProperty(line, charset))
            properties.push_back(std::move(*p));
    return EntryOfCard(properties);
}

} // namespace card

QString FaultText(const VCardFault &fault, Wording w) {
    switch (fault.kind) {
    case VCardFault::Kind::Truncated:
        return Words(w,
                     QStringLiteral("card %1 (line %2) has no END:VCARD; the file is cut short")
                         .arg(fault.card)
                         .arg(fault.line),
                     QStringLiteral("%1枚目のカード（%2行目）：END:VCARDがなく、途中で切れています")
                         .arg(fault.card)
                         .arg(fault.line));
    case VCardFault::Kind::Empty:
        return Words(w,
                     QStringLiteral("card %1 (line %2) has no name, number or mail address")
                         .arg(fault.card)
                         .arg(fault.line),
                     QStringLiteral("%1枚目のカード（%2行目）：名前も電話番号もメールアドレスも"
                                    "ありません")
                         .arg(fault.card)
                         .arg(fault.line));
    case VCardFault::Kind::ControlCharacters:
        return Words(w,
                     QStringLiteral("card %1 (line %2) has control characters in its name or a "
                                    "number")
                         .arg(fault.card)
                         .arg(fault.line),
                     QStringLiteral("%1枚目のカード（%2行目）：名前か電話番号に制御文字があります")
                         .arg(fault.card)
                         .arg(fault.line));
    }
    return QString();
}

} // namespace exchange
