#include "platform/LegacyText.h"

#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

QString DecodeLegacyText(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp932("windows-31j");
    if (!cp932.isValid())
        return QString::fromLatin1(bytes);
    return cp932.decode(bytes);
}

QByteArray EncodeLegacyText(const QString &text) {
    QStringEncoder cp932("windows-31j");
    if (cp932.isValid()) {
        QByteArray bytes = cp932.encode(text);
        if (!cp932.hasError()) {
            QStringDecoder back("windows-31j");
            if (QString(back.decode(bytes)) == text && !back.hasError())
                return bytes;
        }
    }
    return text.toUtf8();
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
