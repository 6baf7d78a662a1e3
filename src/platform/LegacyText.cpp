#include "platform/LegacyText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const char *const kCodePage932 = "windows-31j";
}

QString DecodeLegacyText(const QByteArray &bytes) {
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp932(kCodePage932);
    if (!cp932.isValid())
        return QString::fromLatin1(bytes);
    return cp932.decode(bytes);
}

QByteArray EncodeLegacyText(const QString &text) {
    QStringEncoder cp932(kCodePage932);
    if (cp932.isValid()) {
        QByteArray bytes = cp932.encode(text);
        if (!cp932.hasError()) {
            // Some characters map one way only: only an exact round trip counts as fitting.
            QStringDecoder back(kCodePage932);
            const QString again = back.decode(bytes);
            if (!back.hasError() && again == text)
                return bytes;
        }
    }
    return text.toUtf8();
}
