#pragma once

#include <QByteArray>
#include <QString>

// The diagnostic log asked for with --log FILE, for a TA that is not understood: every block
// read from the serial port (text and hex), every report recognised or ignored, and every
// failure that the call path passes over without a word. Off unless opened; each line carries
// the local time to the millisecond and is on disk as soon as it is written.
class DiagnosticLog {
public:
    // Appends to `path` (created when missing). False, and the log stays off, when it cannot
    // be opened.
    static bool open(const QString &path);
    static void close();
    static bool isOpen();
    static QString path();

    // One read of the receive buffer.
    static void serialBlock(const QByteArray &block);
    // A block judged to be a call report (with the caller field cut from it), or not one.
    static void reportRecognised(const QString &block, const QString &number);
    static void reportIgnored(const QString &block);
    // Something that failed and was passed over: what it was and why.
    static void failure(const QString &what, const QString &why = QString());
    // Any other line.
    static void note(const QString &text);

    // The block as the log shows it: control characters as <CR>, <LF>, <xx>.
    static QString visibleText(const QString &text);
};
