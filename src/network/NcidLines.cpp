#include "network/NcidLines.h"

#include "callerid/CallReport.h"

#include <QList>

namespace ncid {
namespace {

const QString NoName = QStringLiteral("NO NAME");
const QString NoNumber = QStringLiteral("NO-NUMBER");
const QString Private = QStringLiteral("PRIVATE");
const QString OutOfArea = QStringLiteral("OUT-OF-AREA");
const QString Anonymous = QStringLiteral("ANONYMOUS");

QString Field(const QString &value, const QString &nothing) {
    const QString clean = CleanValue(value).trimmed();
    return clean.isEmpty() ? nothing : clean;
}

// NCID's words that say "no name to show" rather than name a caller.
bool IsSpecialWord(const QString &value) {
    static const QStringList words = {NoName,
                                      NoNumber,
                                      Private,
                                      OutOfArea,
                                      Anonymous,
                                      QStringLiteral("-"),
                                      QStringLiteral("NO-LINE"),
                                      QStringLiteral("UNKNOWN")};
    return words.contains(value.trimmed(), Qt::CaseInsensitive);
}

// The text after the label's colon, as field pairs: label → value, the first of each label.
QHash<QString, QString> FieldPairs(const QString &text) {
    QHash<QString, QString> pairs;
    const QStringList parts = text.split(QLatin1Char('*'));
    // "*L1*v1*L2*v2*": parts are "", L1, v1, L2, v2, "".
    for (qsizetype i = 1; i + 1 < parts.size(); i += 2) {
        const QString label = parts[i].trimmed().toUpper();
        if (!label.isEmpty() && !pairs.contains(label))
            pairs.insert(label, parts[i + 1]);
    }
    return pairs;
}

QDateTime DateTimeOf(const QString &dateText, const QString &timeText) {
    const QString date = dateText.trimmed();
    const QString time = timeText.trimmed();
    if (date.size() != 8 || time.size() != 4)
        return {};
    bool ok = true;
    for (const QChar c : date + time)
        ok = ok && c.isDigit() && c.unicode() < 0x80;
    if (!ok)
        return {};
    const int first = date.left(2).toInt();
    const int second = date.mid(2, 2).toInt();
    const int year = date.mid(4).toInt();
    // mmddyyyy, unless the first pair cannot be a month (ddmmyyyy).
    const QDate asMonthFirst(year, first, second);
    const QDate day = asMonthFirst.isValid() ? asMonthFirst : QDate(year, second, first);
    const QTime at(time.left(2).toInt(), time.mid(2).toInt());
    if (!day.isValid() || !at.isValid())
        return {};
    return QDateTime(day, at);
}

// What follows "LABEL:" of a line, without the label; null when the line has another label.
std::optional<QByteArray> AfterLabel(const QByteArray &line, const QByteArray &label) {
    for (const QByteArray &prefix : {label, QByteArray("+") + label}) {
        if (line.startsWith(prefix + ':'))
            return line.mid(prefix.size() + 1);
    }
    return std::nullopt;
}

} // namespace

QString CleanValue(const QString &value) {
    QString clean = value;
    for (QChar &c : clean) {
        if (c == QLatin1Char('*'))
            c = QChar(0xFF0A); // the full-width asterisk: the same look, not a separator
        else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                 c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return clean;
}

QByteArray FormatCallLine(const QByteArray &label, const AnnouncedCall &call) {
    QString number = Field(call.number, NoNumber);
    QString name = Field(call.name, NoName);
    if (call.number == QLatin1String("P") || call.number == QLatin1String("O")) {
        // The two reasons NCID has a word for: the word in both fields.
        number = name = call.number == QLatin1String("P") ? Private : OutOfArea;
    } else if (const std::optional<QString> reason = ReasonText(call.number)) {
        number = NoNumber;
        name = *reason;
    }
    const QDateTime when = call.when.isValid() ? call.when : QDateTime::currentDateTime();
    const QString text =
        QStringLiteral("*DATE*%1*TIME*%2*LINE*%3*NMBR*%4*MESG*%5*NAME*%6*")
            .arg(when.toString(QStringLiteral("MMddyyyy")), when.toString(QStringLiteral("HHmm")),
                 Field(call.line, QStringLiteral("-")), number,
                 Field(call.message, QStringLiteral("NONE")), name);
    return label + ": " + text.toUtf8() + "\r\n";
}

LineKind KindOfLine(const QByteArray &line) {
    if (AfterLabel(line, "CID"))
        return LineKind::Call;
    if (AfterLabel(line, "CIDLOG"))
        return LineKind::LogCall;
    return LineKind::Other;
}

std::optional<ReceivedCall> ParseCallLine(const QByteArray &line) {
    const std::optional<QByteArray> rest = AfterLabel(line, "CID");
    if (!rest)
        return std::nullopt;
    const QHash<QString, QString> pairs = FieldPairs(QString::fromUtf8(*rest));
    if (!pairs.contains(QStringLiteral("NMBR")))
        return std::nullopt;
    ReceivedCall call;
    const QString number = CleanValue(pairs.value(QStringLiteral("NMBR"))).trimmed();
    const QString name = CleanValue(pairs.value(QStringLiteral("NAME"))).trimmed();
    const QString upperNumber = number.toUpper();
    const QString upperName = name.toUpper();
    if (upperNumber == Private || upperNumber == Anonymous ||
        (upperNumber == NoNumber && (upperName == Private || upperName == Anonymous)))
        call.number = QStringLiteral("P");
    else if (upperNumber == OutOfArea || (upperNumber == NoNumber && upperName == OutOfArea))
        call.number = QStringLiteral("O");
    else if (upperNumber == NoNumber || number == QLatin1String("-"))
        call.number.clear();
    else
        call.number = number;
    // A Kolvane server sends the reasons NCID has no word for as the name of no number.
    if (call.number.isEmpty()) {
        for (const QString &letter : {QStringLiteral("C"), QStringLiteral("S")}) {
            const QString reason = *ReasonText(letter);
            if (name == reason || (letter == QLatin1String("C") && name == reason.left(4)))
                call.number = letter;
        }
    }
    if (!IsSpecialWord(name) && !ReasonText(call.number))
        call.name = name;
    call.line = CleanValue(pairs.value(QStringLiteral("LINE"))).trimmed();
    call.when =
        DateTimeOf(pairs.value(QStringLiteral("DATE")), pairs.value(QStringLiteral("TIME")));
    return call;
}

ClientRequest RequestOfLine(const QByteArray &line) {
    const QByteArray text = line.trimmed();
    if (text.startsWith("HELLO:")) {
        const QByteArray rest = text.mid(6).trimmed();
        if (!rest.startsWith("CMD:"))
            return ClientRequest::None;
        const QByteArray command = rest.mid(4).trimmed().toLower();
        if (command == "no_log")
            return ClientRequest::NoLog;
        if (command == "send_log")
            return ClientRequest::SendLog;
        return ClientRequest::None;
    }
    if (text == "GOODBYE")
        return ClientRequest::Goodbye;
    if (text.startsWith("MSG:"))
        return ClientRequest::Message;
    return ClientRequest::None;
}

} // namespace ncid
