#include "platform/LegacyText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const char *const CodePage932 = "windows-31j";
// Marks a file as UTF-8; no text in code page 932 can begin with these bytes.
const QByteArray Utf8Mark("\xEF\xBB\xBF");
} // namespace

QString DecodeLegacyText(const QByteArray &bytes) {
    const auto whole =
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    if (bytes.startsWith(Utf8Mark)) {
        QStringDecoder utf8(QStringConverter::Utf8, whole);
        return utf8.decode(QByteArrayView(bytes).sliced(Utf8Mark.size()));
    }
    QStringDecoder cp932(CodePage932, whole);
    const QString legacy = cp932.isValid() ? cp932.decode(bytes) : QString::fromLatin1(bytes);
    if (cp932.isValid() && !cp932.hasError())
        return legacy;
    // Files written in UTF-8 without the mark by earlier versions of the program.
    QStringDecoder utf8(QStringConverter::Utf8, whole);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? legacy : text;
}

QByteArray EncodeLegacyText(const QString &text) {
    QStringEncoder cp932(CodePage932);
    if (cp932.isValid()) {
        QByteArray bytes = cp932.encode(text);
        if (!cp932.hasError()) {
            // Some characters map one way only: only an exact round trip counts as fitting.
            QStringDecoder back(CodePage932, QStringConverter::Flag::Stateless);
            const QString again = back.decode(bytes);
            if (!back.hasError() && again == text)
                return bytes;
        }
    }
    return Utf8Mark + text.toUtf8();
}
