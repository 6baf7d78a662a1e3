#pragma once

// tools/ta-sim run as a child process: the program's tests play the TA with it.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// One simulated TA: its device, and the bytes it has received and sent so far.
class TaSim {
public:
    explicit TaSim(const QStringList &args = {}) {
        proc_.setProgram(QStringLiteral(KOLVANE_TA_SIM));
        proc_.setArguments(args);
        proc_.start();
        if (!proc_.waitForStarted(5000))
            return;
        while (!proc_.canReadLine() && proc_.waitForReadyRead(5000)) {
        }
        device_ = QString::fromLocal8Bit(proc_.readLine()).trimmed();
    }
    ~TaSim() { stop(); }

    QString device() const { return device_; }

    // Sends one stdin line (a caller field, or "raw:<hex>") or several at once.
    void send(const QByteArray &lines) {
        proc_.write(lines);
        proc_.waitForBytesWritten(5000);
    }

    // Ends the simulator the hard way, as a device that simply vanishes.
    void kill() {
        proc_.kill();
        proc_.waitForFinished(5000);
        collect();
    }

    // Ends it cleanly (stdin closed) and collects the rest of its log.
    void stop() {
        if (proc_.state() == QProcess::NotRunning)
            return;
        proc_.closeWriteChannel();
        if (!proc_.waitForFinished(5000)) {
            proc_.kill();
            proc_.waitForFinished(5000);
        }
        collect();
    }

    // Every byte received from the program so far.
    QByteArray received() {
        collect();
        QByteArray all;
        for (const QByteArray &line : log_) {
            if (line.startsWith("rx "))
                all += QByteArray::fromHex(line.mid(3));
        }
        return all;
    }

    void terminate() {
        proc_.terminate();
        proc_.waitForFinished(5000);
        collect();
    }

    int exitCode() const { return proc_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return proc_.exitStatus(); }

private:
    void collect() {
        partial_ += proc_.readAllStandardOutput();
        int nl;
        while ((nl = partial_.indexOf('\n')) >= 0) {
            log_ << partial_.left(nl).trimmed();
            partial_.remove(0, nl + 1);
        }
    }

    QProcess proc_;
    QString device_;
    QByteArray partial_;
    QList<QByteArray> log_;
};
