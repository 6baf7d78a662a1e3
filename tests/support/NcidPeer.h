#pragma once

// What the NCID tests stand on: a client socket that reads lines as an NCID client does, a
// free port on 127.0.0.1, and the real program started in a folder with a simulated TA.

#include "settings/Settings.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// A port nobody listens on at this moment.
inline quint16 FreeLocalPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// One TCP peer that reads whole lines (CR LF or LF), as both sides of NCID do.
class LinePeer {
public:
    explicit LinePeer(QTcpSocket *socket = nullptr) : socket_(socket ? socket : &own_) {}

    bool connectTo(quint16 port, int timeoutMs = 5000) {
        socket_->connectToHost(QHostAddress::LocalHost, port);
        return socket_->waitForConnected(timeoutMs);
    }
    QTcpSocket &socket() { return *socket_; }

    void send(const QByteArray &bytes) {
        socket_->write(bytes);
        socket_->flush();
    }

    // The next line without its line end; null when none came within the time.
    std::optional<QByteArray> readLine(int timeoutMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const qsizetype end = buffer_.indexOf('\n');
            if (end >= 0) {
                QByteArray line = buffer_.left(end);
                buffer_.remove(0, end + 1);
                if (line.endsWith('\r'))
                    line.chop(1);
                return line;
            }
            buffer_ += socket_->readAll();
            if (buffer_.contains('\n'))
                continue;
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || socket_->state() != QAbstractSocket::ConnectedState)
                return std::nullopt;
            socket_->waitForReadyRead(int(std::min<qint64>(left, 100)));
            QCoreApplication::processEvents();
        }
    }

    // Lines up to and including the first that starts with `last`.
    QList<QByteArray> readUntil(const QByteArray &last, int timeoutMs = 5000) {
        QList<QByteArray> lines;
        while (std::optional<QByteArray> line = readLine(timeoutMs)) {
            lines << *line;
            if (line->startsWith(last))
                break;
        }
        return lines;
    }

    // Whether the other side closed the connection within the time.
    bool closedWithin(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (socket_->state() == QAbstractSocket::ConnectedState && clock.elapsed() < timeoutMs) {
            socket_->waitForReadyRead(50);
            buffer_ += socket_->readAll();
        }
        return socket_->state() != QAbstractSocket::ConnectedState;
    }

private:
    QTcpSocket own_;
    QTcpSocket *socket_;
    QByteArray buffer_;
};

// The real program in `folder` on the simulated TA at `device`, with extra arguments.
inline void StartProgram(QProcess &program, const QString &folder, const QString &device,
                         const QStringList &extra) {
    Settings s;
    s.ShowDate = 0;
    s.PortName = device;
    WriteSettingsFile(QDir(folder).filePath(QStringLiteral("Kolvane.ini")), s);
    program.setProgram(QStringLiteral(KOLVANE_BINARY));
    program.setArguments(QStringList{QStringLiteral("--folder"), folder} + extra);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start();
}

// Ends the program as a close request does.
inline void StopProgram(QProcess &program) {
    program.terminate();
    if (!program.waitForFinished(10000)) {
        program.kill();
        program.waitForFinished(5000);
    }
}
