#include "platform/desktop/ProgramLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

const QByteArray ShowRequest = "show\n";

// The socket's name: one per folder and user, short enough for any folder's path.
QString SocketName(const QString &folder) {
    const QString key =
        QFileInfo(folder).canonicalFilePath() + QLatin1Char('\n') + QDir::homePath();
    return QStringLiteral("kolvane-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(24));
}

} // namespace

ProgramLock::ProgramLock(const QString &folder, QObject *parent)
    : QObject(parent), folder_(folder), lock_(lockPath(folder)) {
    // Only a lock whose program is gone is taken over, however old it is.
    lock_.setStaleLockTime(0);
}

ProgramLock::~ProgramLock() {
    if (server_)
        server_->close();
    lock_.unlock();
}

QString ProgramLock::lockPath(const QString &folder) {
    return QDir(folder).filePath(QStringLiteral("Kolvane.lock"));
}

ProgramLock::Outcome ProgramLock::acquire() {
    if (!lock_.tryLock(0))
        return ask() ? Outcome::AskedToShow : Outcome::AlreadyRunning;
    QFile::setPermissions(lockPath(folder_), QFile::ReadOwner | QFile::WriteOwner);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = SocketName(folder_);
    // A socket left by a program that was killed is ours to replace: the lock says so.
    QLocalServer::removeServer(name);
    server_->listen(name);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(ShowRequest))
                    emit showRequested();
                socket->disconnectFromServer();
            });
        }
    });
    return Outcome::Acquired;
}

bool ProgramLock::ask() const {
    QLocalSocket socket;
    socket.connectToServer(SocketName(folder_));
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(ShowRequest);
    if (!socket.waitForBytesWritten(2000))
        return false;
    // The running program hangs up once it has read the request.
    socket.waitForDisconnected(2000);
    return true;
}
