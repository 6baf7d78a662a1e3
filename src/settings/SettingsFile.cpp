#include "settings/SettingsFile.h"

#include "platform/AtomicFile.h"
#include "platform/LegacyText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>
#include <cmath>
#include <limits>

namespace {

const int MainWidth = 4335;
const int MainExtraHeight = 200;

enum class Token { Value, End, Broken };

struct RawValue {
    QString text;
    bool quoted = false;
};

bool IsLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Values one after the other, as the file has always been read: a value ends at a comma or a
// line end; a quoted value keeps its commas and ends at its closing quote (anything between
// that quote and the next delimiter is ignored).
class ValueReader {
public:
    explicit ValueReader(QString text) : text_(std::move(text)) {}

    Token next(RawValue &v) {
        const qsizetype n = text_.size();
        if (pos_ >= n)
            return Token::End;
        while (pos_ < n && IsBlank(text_.at(pos_)))
            ++pos_;
        v = RawValue();
        if (pos_ < n && text_.at(pos_) == u'"') {
            qsizetype close = pos_ + 1;
            while (close < n && text_.at(close) != u'"' && !IsLineEnd(text_.at(close)))
                ++close;
            if (close >= n || text_.at(close) != u'"')
                return Token::Broken;
            v.text = text_.mid(pos_ + 1, close - pos_ - 1);
            v.quoted = true;
            pos_ = close + 1;
            while (pos_ < n && text_.at(pos_) != u',' && !IsLineEnd(text_.at(pos_)))
                ++pos_;
        } else {
            const qsizetype start = pos_;
            while (pos_ < n && text_.at(pos_) != u',' && !IsLineEnd(text_.at(pos_)))
                ++pos_;
            v.text = text_.mid(start, pos_ - start).trimmed();
        }
        skipDelimiter();
        return Token::Value;
    }

private:
    void skipDelimiter() {
        const qsizetype n = text_.size();
        if (pos_ >= n)
            return;
        if (text_.at(pos_) == u'\r') {
            ++pos_;
            if (pos_ < n && text_.at(pos_) == u'\n')
                ++pos_;
        } else {
            ++pos_; // a comma or a lone LF
        }
    }

    QString text_;
    qsizetype pos_ = 0;
};

// A whole number for an integer setting: optional sign, digits, an optional decimal part that
// is rounded as a whole-number assignment always rounded (half to even). An empty value is 0.
bool ToWhole(const RawValue &v, qint64 low, qint64 high, qint64 &out) {
    static const QRegularExpression form(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    const QString t = v.text.trimmed();
    if (t.isEmpty() && !v.quoted) {
        out = 0;
        return true;
    }
    if (!form.match(t).hasMatch())
        return false;
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d))
        return false;
    const double r = std::nearbyint(d);
    if (r < double(low) || r > double(high))
        return false;
    out = qint64(r);
    return true;
}

bool ToTruth(const RawValue &v, bool &out) {
    if (!v.quoted) {
        if (v.text.compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0) {
            out = true;
            return true;
        }
        if (v.text.compare(QLatin1String("#FALSE#"), Qt::CaseInsensitive) == 0) {
            out = false;
            return true;
        }
    }
    // A number also converts, as it always did: 0 is false, anything else true.
    qint64 n = 0;
    if (!ToWhole(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), n))
        return false;
    out = n != 0;
    return true;
}

QString NumberLine(qint64 n) {
    return n < 0 ? QString::number(n) + u' ' : u' ' + QString::number(n) + u' ';
}

// A double quote or a line break inside a text would shift every later value and lose the
// whole file at the next start; those characters are left out, the rest of the text kept.
QString QuotedLine(const QString &text) {
    QString t = text;
    t.remove(u'"');
    t.remove(u'\r');
    t.remove(u'\n');
    return u'"' + t + u'"';
}

double RoundHalfEven(double d) {
    return std::nearbyint(d);
}

// One value of each kind; false when the file ends or breaks there or the value does not
// convert.
bool ReadInt16(ValueReader &reader, qint16 &x) {
    RawValue v;
    qint64 n = 0;
    if (reader.next(v) != Token::Value || !ToWhole(v, -32768, 32767, n))
        return false;
    x = qint16(n);
    return true;
}
bool ReadInt32(ValueReader &reader, qint32 &x) {
    RawValue v;
    qint64 n = 0;
    if (reader.next(v) != Token::Value ||
        !ToWhole(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), n))
        return false;
    x = qint32(n);
    return true;
}
bool ReadText(ValueReader &reader, QString &x) {
    RawValue v;
    if (reader.next(v) != Token::Value)
        return false;
    x = v.text;
    return true;
}
bool ReadTruth(ValueReader &reader, bool &x) {
    RawValue v;
    return reader.next(v) == Token::Value && ToTruth(v, x);
}

// Lines 19-21, the serial line's: absent from files of older versions, they keep their
// defaults then.
bool ReadPortValues(ValueReader &reader, Settings &s) {
    const Settings defaults;
    s.PortName = defaults.PortName;
    s.PortSettings = defaults.PortSettings;
    s.PortHandshaking = defaults.PortHandshaking;
    RawValue v;
    Token t = reader.next(v);
    if (t == Token::End)
        return true;
    if (t == Token::Broken)
        return false;
    s.PortName = v.text;
    t = reader.next(v);
    if (t == Token::End)
        return true;
    if (t == Token::Broken)
        return false;
    s.PortSettings = v.text;
    t = reader.next(v);
    if (t == Token::End)
        return true;
    qint64 n = 0;
    if (t == Token::Broken || !ToWhole(v, -32768, 32767, n))
        return false;
    s.PortHandshaking = qint16(n);
    return true;
}

bool ReadValues(const QString &contents, Settings &s) {
    ValueReader reader(contents);
    const auto int16 = [&reader](qint16 &x) { return ReadInt16(reader, x); };
    const auto int32 = [&reader](qint32 &x) { return ReadInt32(reader, x); };
    const auto text = [&reader](QString &x) { return ReadText(reader, x); };
    const auto truth = [&reader](bool &x) { return ReadTruth(reader, x); };

    // Evaluated in file order; the first failure stops the reading.
    const bool complete = int16(s.ShowDate) && int16(s.AlwaysOnTop) && int16(s.TrayMode) &&
                          int16(s.TrayDelaySeconds) && text(s.RingFile) && int16(s.RingOn) &&
                          int16(s.PortNumber) && int32(s.MainLeft) && int32(s.MainTop) &&
                          int32(s.PhonebookLeft) && int32(s.PhonebookTop) && truth(s.RefEnabled) &&
                          text(s.RefDatabasePath) && text(s.RefTable) && text(s.RefPhoneField) &&
                          text(s.RefAddressField) && text(s.RefNameField) && text(s.RefZipField);
    return complete && ReadPortValues(reader, s);
}

const int PortLines = 21;

// Lines 19-21 of a file whose reading failed, when they can still be told from the stream of
// values: the file holds exactly the 21 values the program writes, lines 19 and 20 quoted.
void TakePortValues(const QString &text, Settings &s) {
    ValueReader reader(text);
    QVector<RawValue> values;
    RawValue v;
    Token t;
    while ((t = reader.next(v)) == Token::Value && values.size() <= PortLines)
        values << v;
    if (t == Token::Broken || values.size() != PortLines || !values[18].quoted ||
        !values[19].quoted)
        return;
    s.PortName = values[18].text;
    s.PortSettings = values[19].text;
    qint64 n = 0;
    if (ToWhole(values[20], -32768, 32767, n))
        s.PortHandshaking = qint16(n);
}

// One line read alone: exactly one value, whatever the lines around it hold.
bool LineValue(const QStringList &lines, int index, RawValue &v) {
    if (index >= lines.size())
        return false;
    ValueReader reader(lines.at(index));
    RawValue rest;
    return reader.next(v) == Token::Value && reader.next(rest) == Token::End;
}

void TakeLineWhole(const QStringList &lines, int index, qint16 &x) {
    RawValue v;
    qint64 n = 0;
    if (LineValue(lines, index, v) && ToWhole(v, -32768, 32767, n))
        x = qint16(n);
}

// Where the TA is, in a file of the 18 or 21 lines the program writes: a typo on another line,
// an unterminated quote or a stray byte costs that line only, never the link.
void TakePortLines(const QString &text, Settings &s) {
    const Settings defaults;
    s.PortName = defaults.PortName;
    s.PortSettings = defaults.PortSettings;
    s.PortHandshaking = defaults.PortHandshaking;
    TakePortValues(text, s);
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() != PortLines && lines.size() != PortLines - 3)
        return;
    TakeLineWhole(lines, 6, s.PortNumber);
    RawValue v;
    if (LineValue(lines, 18, v))
        s.PortName = v.text;
    if (LineValue(lines, 19, v))
        s.PortSettings = v.text;
    TakeLineWhole(lines, 20, s.PortHandshaking);
}

} // namespace

bool ReadSettingsFile(const QString &path, Settings &s) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();
    return ReadSettingsBytes(bytes, s);
}

bool ReadSettingsBytes(const QByteArray &bytes, Settings &s) {
    const QString text = DecodeLegacyText(bytes);
    if (ReadValues(text, s))
        return true;
    TakePortLines(text, s);
    return false;
}

SettingsFileState LoadSettingsFile(const QString &path, Settings &s, int screenWidthTwips,
                                   int screenHeightTwips, int mainPanelHeightTwips) {
    if (!QFileInfo::exists(path)) {
        ApplyDefaultSettings(s, screenWidthTwips, screenHeightTwips, mainPanelHeightTwips);
        return SettingsFileState::Missing;
    }
    if (ReadSettingsFile(path, s))
        return SettingsFileState::Read;
    const Settings read = s;
    ApplyDefaultSettings(s, screenWidthTwips, screenHeightTwips, mainPanelHeightTwips);
    s.PortName = read.PortName;
    s.PortSettings = read.PortSettings;
    s.PortHandshaking = read.PortHandshaking;
    return SettingsFileState::Damaged;
}

bool PreserveDamagedSettingsFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.isEmpty())
        return true;
    Settings probe;
    if (ReadSettingsBytes(bytes, probe))
        return true;
    return WriteFileAtomically(path + QStringLiteral(".damaged"), bytes);
}

void ApplyDefaultSettings(Settings &s, int screenWidthTwips, int screenHeightTwips,
                          int mainPanelHeightTwips) {
    const qint16 port = s.PortNumber;
    s = Settings();
    s.PortNumber = port;
    s.MainLeft = qint32(RoundHalfEven((double(screenWidthTwips) - MainWidth) / 2.0));
    s.MainTop = qint32(
        RoundHalfEven((double(screenHeightTwips) - mainPanelHeightTwips - MainExtraHeight) / 2.0));
}

QByteArray FormatSettingsFile(const Settings &s) {
    const QStringList lines = {
        NumberLine(s.ShowDate),
        NumberLine(s.AlwaysOnTop),
        NumberLine(s.TrayMode),
        NumberLine(s.TrayDelaySeconds),
        QuotedLine(s.RingFile),
        NumberLine(s.RingOn),
        NumberLine(s.PortNumber),
        NumberLine(s.MainLeft),
        NumberLine(s.MainTop),
        NumberLine(s.PhonebookLeft),
        NumberLine(s.PhonebookTop),
        s.RefEnabled ? QStringLiteral("#TRUE#") : QStringLiteral("#FALSE#"),
        QuotedLine(s.RefDatabasePath),
        QuotedLine(s.RefTable),
        QuotedLine(s.RefPhoneField),
        QuotedLine(s.RefAddressField),
        QuotedLine(s.RefNameField),
        QuotedLine(s.RefZipField),
        QuotedLine(s.PortName),
        QuotedLine(s.PortSettings),
        NumberLine(s.PortHandshaking),
    };
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String("\r\n");
    return EncodeLegacyText(text);
}

bool WriteSettingsFile(const QString &path, const Settings &s) {
    // A file the program could not read may still hold what someone needs (a port, a path).
    if (!PreserveDamagedSettingsFile(path))
        return false;
    return WriteFileAtomically(path, FormatSettingsFile(s));
}
