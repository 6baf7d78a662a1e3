#include "network/NcidClient.h"

#include "BuildInfo.h"
#include "platform/DiagnosticLog.h"

#include <QTcpSocket>

NcidClient::NcidClient(QObject *parent) : QObject(parent) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &NcidClient::Connect);
}

NcidClient::~NcidClient() {
    stop();
}

void NcidClient::connectTo(const QString &host, quint16 port) {
    stop();
    host_ = host;
    port_ = port;
    retryMs_ = FirstRetryMs;
    lostTold_ = false;
    Connect();
}

void NcidClient::stop() {
    retry_.stop();
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
        socket_ = nullptr;
    }
    input_.clear();
    discarding_ = false;
}

bool NcidClient::isConnected() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

void NcidClient::Connect() {
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
    }
    input_.clear();
    discarding_ = false;
    socket_ = new QTcpSocket(this);
    connect(socket_, &QTcpSocket::connected, this, [this] {
        // Sent at once, before the greeting: the server reads from the moment of accept.
        socket_->write(QByteArrayLiteral("HELLO: IDENT: client Kolvane ") +
                       QByteArray(BuildInfo::Version) + "\r\nHELLO: CMD: no_log\r\n");
        retryMs_ = FirstRetryMs;
        DiagnosticLog::note(QStringLiteral("NCID server connected: %1:%2").arg(host_).arg(port_));
        lostTold_ = false;
        emit connectionUp();
    });
    connect(socket_, &QTcpSocket::readyRead, this, [this] { TakeBytes(socket_->readAll()); });
    connect(socket_, &QTcpSocket::disconnected, this, &NcidClient::OnDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        // A refused or unreachable server ends here without a disconnection.
        if (socket_->state() != QAbstractSocket::ConnectedState)
            OnDisconnected();
    });
    socket_->connectToHost(host_, port_);
}

void NcidClient::OnDisconnected() {
    if (retry_.isActive())
        return;
    if (!lostTold_) {
        lostTold_ = true;
        DiagnosticLog::note(QStringLiteral("NCID server lost: %1:%2 (%3)")
                                .arg(host_)
                                .arg(port_)
                                .arg(socket_ ? socket_->errorString() : QString()));
        emit connectionLost();
    }
    retry_.start(retryMs_);
    retryMs_ = std::min(retryMs_ * 2, LastRetryMs);
}

void NcidClient::TakeBytes(const QByteArray &bytes) {
    input_ += bytes;
    qsizetype end;
    while ((end = input_.indexOf('\n')) >= 0) {
        QByteArray line = input_.left(end);
        input_.remove(0, end + 1);
        if (discarding_) {
            discarding_ = false;
            continue;
        }
        if (line.endsWith('\r'))
            line.chop(1);
        // Only a call of now is a call: the log's past calls and every other line are not.
        if (const std::optional<ncid::ReceivedCall> call = ncid::ParseCallLine(line))
            emit callReceived(*call);
    }
    if (input_.size() > MaxLineBytes) {
        input_.clear();
        discarding_ = true;
    }
}
