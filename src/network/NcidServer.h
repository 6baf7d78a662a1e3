#pragma once

#include "network/NcidLines.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTcpServer;
class QTcpSocket;

// Kolvane as an NCID server: every client that connects is greeted, sent the call log and
// then each call as it is shown. Sockets are written without blocking on the thread of the
// call path: a call never waits for a client; a client that does not read is dropped.
class NcidServer : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxClients = 50;
    static constexpr qint64 MaxBacklogBytes = 64 * 1024;
    static constexpr int MaxStallMs = 15000;
    static constexpr int MaxLineBytes = 1024;
    // How long a new client may still send its HELLO: lines before the call log goes out.
    static constexpr int HelloWaitMs = 250;

    explicit NcidServer(QObject *parent = nullptr);
    ~NcidServer() override;

    // Listens on `address`:`port`; false, with errorString(), when the port cannot be had.
    bool listen(const QHostAddress &address, quint16 port);
    void close();
    bool isListening() const;
    quint16 port() const;
    QString errorString() const { return error_; }

    // The addresses and networks that may connect ("192.168.1.0/24", "::1", "fd00::/8");
    // empty: the local network's own subnets and loopback. Entries that do not read are
    // returned and left out.
    QStringList setAllowList(const QStringList &entries);
    // Whether a peer at `address` may connect under the allow-list.
    bool allows(const QHostAddress &address) const;

    // LINE of each call.
    void setLine(const QString &line) { line_ = line; }
    // The call log sent at connection: the calls of the last 24 hours, oldest first.
    void setCallLog(std::function<QList<ncid::AnnouncedCall>()> log) { callLog_ = std::move(log); }

    // A call as it is shown: one CID: line to every client past its start.
    void Announce(ncid::AnnouncedCall call);

    int clientCount() const { return int(clients_.size()); }

signals:
    // A client came or went (for the status of the network window and the log).
    void clientsChanged(int count);

private:
    struct Client;
    void OnNewConnection();
    void OnReadable(Client *client);
    void FinishStartup(Client *client);
    void Send(Client *client, const QByteArray &bytes);
    void Drop(Client *client, const QString &why);
    void CheckStalls();
    Client *clientOf(QTcpSocket *socket) const;

    QTcpServer *server_ = nullptr;
    std::vector<std::unique_ptr<Client>> clients_;
    QList<QPair<QHostAddress, int>> allowed_;
    QString line_ = QStringLiteral("-");
    QString error_;
    std::function<QList<ncid::AnnouncedCall>()> callLog_;
    QTimer stallCheck_;
};
