#include "platform/DiagnosticLog.h"

#include "platform/PrivateFiles.h"
#include "platform/RegularFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <memory>

namespace {
QMutex mutex;
std::unique_ptr<QFile> file;

void WriteLine(const QString &kind, const QString &text) {
    QMutexLocker lock(&mutex);
    if (!file)
        return;
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
        QLatin1Char(' ') + kind + QLatin1Char(' ') + text + QLatin1Char('\n');
    file->write(line.toUtf8());
    file->flush();
}
} // namespace

bool DiagnosticLog::open(const QString &path) {
    close();
    // A FIFO without a reader (or a device) would hold the opening and every logged call.
    if (QFileInfo::exists(path) && !IsRegularFile(path))
        return false;
    // What the log tells (numbers, names) is the user's alone.
    CreatePrivateFile(path);
    auto f = std::make_unique<QFile>(path);
    if (!f->open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    {
        QMutexLocker lock(&mutex);
        file = std::move(f);
    }
    note(QStringLiteral("log opened"));
    return true;
}

void DiagnosticLog::close() {
    QMutexLocker lock(&mutex);
    file.reset();
}

bool DiagnosticLog::isOpen() {
    QMutexLocker lock(&mutex);
    return file != nullptr;
}

QString DiagnosticLog::path() {
    QMutexLocker lock(&mutex);
    return file ? file->fileName() : QString();
}

QString DiagnosticLog::visibleText(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\r')
            out += QLatin1String("<CR>");
        else if (c == u'\n')
            out += QLatin1String("<LF>");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

void DiagnosticLog::serialBlock(const QByteArray &block) {
    if (!isOpen())
        return;
    // Bytes above 0x7f are shown in hex only: the text is the ASCII the TA speaks.
    QString text;
    for (char b : block)
        text += uchar(b) < 0x80 ? QChar(QLatin1Char(b)) : QChar(u'.');
    WriteLine(QStringLiteral("serial"),
              QStringLiteral("%1 bytes text \"%2\" hex %3")
                  .arg(block.size())
                  .arg(visibleText(text), QString::fromLatin1(block.toHex(' '))));
}

void DiagnosticLog::reportRecognised(const QString &block, const QString &number) {
    WriteLine(QStringLiteral("report"), QStringLiteral("recognised number \"%1\" in \"%2\"")
                                            .arg(visibleText(number), visibleText(block)));
}

void DiagnosticLog::reportIgnored(const QString &block) {
    WriteLine(QStringLiteral("report"), QStringLiteral("ignored \"%1\"").arg(visibleText(block)));
}

void DiagnosticLog::failure(const QString &what, const QString &why) {
    WriteLine(QStringLiteral("failure"), why.isEmpty() ? what : what + QLatin1String(": ") + why);
}

void DiagnosticLog::note(const QString &text) {
    WriteLine(QStringLiteral("note"), text);
}
