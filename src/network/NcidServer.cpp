#include "network/NcidServer.h"

#include "BuildInfo.h"
#include "platform/BrokenPipe.h"
#include "platform/DiagnosticLog.h"

#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

struct NcidServer::Client {
    QTcpSocket *socket = nullptr;
    QByteArray input;
    bool started = false; // the call log and "300" sent: calls go out
    bool noLog = false;
    QTimer helloWait;
    QElapsedTimer sinceProgress; // since the last byte the peer took, while some wait
};

namespace {

// A peer on an IPv6 socket that is really IPv4 (::ffff:a.b.c.d) is judged as IPv4.
QHostAddress PlainAddress(const QHostAddress &address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QList<QPair<QHostAddress, int>> LocalNetworks() {
    QList<QPair<QHostAddress, int>> networks = {{QHostAddress(QStringLiteral("127.0.0.0")), 8},
                                                {QHostAddress::LocalHostIPv6, 128}};
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            if (entry.prefixLength() >= 0)
                networks.append({PlainAddress(entry.ip()), entry.prefixLength()});
        }
    }
    return networks;
}

} // namespace

NcidServer::NcidServer(QObject *parent) : QObject(parent) {
    stallCheck_.setInterval(1000);
    connect(&stallCheck_, &QTimer::timeout, this, &NcidServer::CheckStalls);
}

NcidServer::~NcidServer() {
    close();
}

bool NcidServer::listen(const QHostAddress &address, quint16 port) {
    close();
    IgnoreBrokenPipe();
    server_ = new QTcpServer(this);
    // Accepted sockets wait in the kernel beyond 50 so the 51st can be told why it is closed.
    server_->setMaxPendingConnections(MaxClients + 16);
    if (!server_->listen(address, port)) {
        error_ = server_->errorString();
        DiagnosticLog::failure(QStringLiteral("NCID server not started"),
                               address.toString() + QLatin1Char(':') + QString::number(port) +
                                   QStringLiteral(": ") + error_);
        delete server_;
        server_ = nullptr;
        return false;
    }
    error_.clear();
    connect(server_, &QTcpServer::newConnection, this, &NcidServer::OnNewConnection);
    stallCheck_.start();
    DiagnosticLog::note(QStringLiteral("NCID server listening on %1 port %2")
                            .arg(address.toString())
                            .arg(server_->serverPort()));
    return true;
}

void NcidServer::close() {
    stallCheck_.stop();
    while (!clients_.empty())
        Drop(clients_.back().get(), QStringLiteral("server closed"));
    delete server_;
    server_ = nullptr;
}

bool NcidServer::isListening() const {
    return server_ && server_->isListening();
}

quint16 NcidServer::port() const {
    return server_ ? server_->serverPort() : 0;
}

QStringList NcidServer::setAllowList(const QStringList &entries) {
    QStringList unread;
    allowed_.clear();
    for (const QString &entry : entries) {
        const QString text = entry.trimmed();
        if (text.isEmpty())
            continue;
        QPair<QHostAddress, int> network = QHostAddress::parseSubnet(text);
        if (network.first.isNull()) {
            const QHostAddress single(text);
            if (single.isNull()) {
                unread << text;
                continue;
            }
            network = {single, single.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128};
        }
        allowed_.append({PlainAddress(network.first), network.second});
    }
    return unread;
}

bool NcidServer::allows(const QHostAddress &address) const {
    const QHostAddress peer = PlainAddress(address);
    const QList<QPair<QHostAddress, int>> networks =
        allowed_.isEmpty() ? LocalNetworks() : allowed_;
    return std::any_of(networks.begin(), networks.end(),
                       [&](const QPair<QHostAddress, int> &n) { return peer.isInSubnet(n); });
}

void NcidServer::OnNewConnection() {
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        const QString peer = PlainAddress(socket->peerAddress()).toString();
        if (!allows(socket->peerAddress())) {
            DiagnosticLog::note(QStringLiteral("NCID connection refused (not allowed): ") + peer);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (clientCount() >= MaxClients) {
            DiagnosticLog::note(QStringLiteral("NCID connection refused (too many clients): ") +
                                peer);
            socket->write(QByteArrayLiteral("MSG: Too many clients connected (50)\r\n"));
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            // A peer that never takes the message is not kept waiting for.
            QTimer::singleShot(MaxStallMs, socket, &QObject::deleteLater);
            continue;
        }
        auto client = std::make_unique<Client>();
        Client *c = client.get();
        c->socket = socket;
        clients_.push_back(std::move(client));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (Client *cl = clientOf(socket))
                OnReadable(cl);
        });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            if (Client *cl = clientOf(socket))
                cl->sinceProgress.restart();
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (Client *cl = clientOf(socket))
                Drop(cl, QStringLiteral("disconnected"));
        });
        // The greeting at once; the log once the client had its moment to say no_log.
        Send(c, QByteArrayLiteral("200 Server: Kolvane ") + QByteArray(BuildInfo::Version) +
                    "\r\n210 API: 1.5 Feature Set 1\r\n");
        c->helloWait.setSingleShot(true);
        c->helloWait.setInterval(HelloWaitMs);
        connect(&c->helloWait, &QTimer::timeout, this, [this, socket] {
            if (Client *cl = clientOf(socket))
                FinishStartup(cl);
        });
        c->helloWait.start();
        DiagnosticLog::note(QStringLiteral("NCID client connected: ") + peer);
        emit clientsChanged(clientCount());
        // HELLO: lines may be here already.
        if (socket->bytesAvailable() > 0)
            OnReadable(c);
    }
}

void NcidServer::OnReadable(Client *client) {
    QTcpSocket *socket = client->socket;
    client->input += socket->readAll();
    qsizetype end;
    while ((end = client->input.indexOf('\n')) >= 0) {
        if (end > MaxLineBytes) {
            Drop(client, QStringLiteral("line too long"));
            return;
        }
        const QByteArray line = client->input.left(end).trimmed();
        client->input.remove(0, end + 1);
        // Keep-alives (empty lines), MSG: (not relayed) and the other feature sets' requests
        // have no answer.
        switch (ncid::RequestOfLine(line)) {
        case ncid::ClientRequest::NoLog:
            client->noLog = true;
            [[fallthrough]];
        case ncid::ClientRequest::SendLog:
            if (!client->started)
                FinishStartup(client);
            break;
        case ncid::ClientRequest::Goodbye:
            Drop(client, QStringLiteral("goodbye"));
            return;
        default:
            break;
        }
    }
    if (client->input.size() > MaxLineBytes)
        Drop(client, QStringLiteral("line too long"));
}

void NcidServer::FinishStartup(Client *client) {
    if (client->started)
        return;
    client->helloWait.stop();
    QByteArray startup;
    if (client->noLog) {
        startup += "251 Call log not sent\r\n";
    } else {
        const QList<ncid::AnnouncedCall> log = callLog_ ? callLog_() : QList<ncid::AnnouncedCall>();
        for (ncid::AnnouncedCall call : log) {
            call.line = line_;
            startup += ncid::FormatCallLine("CIDLOG", call);
        }
        startup += log.isEmpty() ? "252 Call log empty\r\n" : "250 End of call log\r\n";
    }
    startup += "300 End of connection startup\r\n";
    client->started = true;
    Send(client, startup);
}

void NcidServer::Announce(ncid::AnnouncedCall call) {
    call.line = line_;
    const QByteArray bytes = ncid::FormatCallLine("CID", call);
    // Send may drop a client: walk a copy of the list.
    std::vector<Client *> started;
    for (const auto &c : clients_)
        if (c->started)
            started.push_back(c.get());
    for (Client *c : started)
        Send(c, bytes);
}

void NcidServer::Send(Client *client, const QByteArray &bytes) {
    QTcpSocket *socket = client->socket;
    if (socket->bytesToWrite() == 0)
        client->sinceProgress.restart();
    socket->write(bytes);
    if (socket->bytesToWrite() > MaxBacklogBytes)
        Drop(client, QStringLiteral("not reading (backlog over 64 KiB)"));
}

void NcidServer::CheckStalls() {
    std::vector<Client *> stalled;
    for (const auto &c : clients_) {
        if (c->socket->bytesToWrite() > 0 && c->sinceProgress.isValid() &&
            c->sinceProgress.elapsed() > MaxStallMs)
            stalled.push_back(c.get());
    }
    for (Client *c : stalled)
        Drop(c, QStringLiteral("not reading for 15 s"));
}

void NcidServer::Drop(Client *client, const QString &why) {
    const auto it = std::find_if(clients_.begin(), clients_.end(),
                                 [client](const auto &c) { return c.get() == client; });
    if (it == clients_.end())
        return;
    std::unique_ptr<Client> gone = std::move(*it);
    clients_.erase(it);
    QTcpSocket *socket = gone->socket;
    DiagnosticLog::note(QStringLiteral("NCID client dropped (%1): %2")
                            .arg(why, PlainAddress(socket->peerAddress()).toString()));
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    emit clientsChanged(clientCount());
}

NcidServer::Client *NcidServer::clientOf(QTcpSocket *socket) const {
    for (const auto &c : clients_)
        if (c->socket == socket)
            return c.get();
    return nullptr;
}
