#pragma once

#include "network/NcidLines.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;

// Kolvane as an NCID client: connected to one server, it says who it is and that it wants no
// call log, and reports each call the server announces. A lost server is tried again by
// itself, after 2 s, then after twice as long each time, up to a minute.
class NcidClient : public QObject {
    Q_OBJECT
public:
    static constexpr int FirstRetryMs = 2000;
    static constexpr int LastRetryMs = 60000;
    // A line longer than this is not a line of NCID: it is thrown away up to its end.
    static constexpr int MaxLineBytes = 64 * 1024;

    explicit NcidClient(QObject *parent = nullptr);
    ~NcidClient() override;

    void connectTo(const QString &host, quint16 port);
    void stop();
    bool isConnected() const;
    // Milliseconds until the next try after a loss (for the tests).
    int retryDelay() const { return retryMs_; }

    // Takes the bytes read from the server (any cut into lines): a call line is reported
    // through callReceived, every other line ignored. Public for the fuzz target.
    void TakeBytes(const QByteArray &bytes);

signals:
    void callReceived(const ncid::ReceivedCall &call);
    // The server went away (or could not be reached after being reached before).
    void connectionLost();
    // The connection is up (again).
    void connectionUp();

private:
    void Connect();
    void OnDisconnected();

    QTcpSocket *socket_ = nullptr;
    QString host_;
    quint16 port_ = 0;
    QByteArray input_;
    bool discarding_ = false; // within a line too long to be one
    bool lostTold_ = false;
    int retryMs_ = FirstRetryMs;
    QTimer retry_;
};
