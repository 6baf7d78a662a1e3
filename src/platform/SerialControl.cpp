#include "platform/SerialControl.h"

#include <QMetaObject>
#include <QSerialPort>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace {

struct LineParameters {
    qint32 speed = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    int dataBits = 8; // QSerialPort::DataBits counts the bits
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// "9600,n,8,1" in the serial control's form; a damaged part keeps its default, so a bad
// value in the settings file never locks the user out of the TA.
LineParameters ParseLineParameters(const QString &text) {
    LineParameters p;
    const QStringList parts = text.split(QLatin1Char(','));
    auto part = [&](int i) { return i < parts.size() ? parts.at(i).trimmed() : QString(); };

    bool ok = false;
    const int speed = part(0).toInt(&ok);
    if (ok && speed > 0)
        p.speed = speed;

    const QString parity = part(1).toLower();
    if (parity == QLatin1String("e"))
        p.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        p.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        p.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        p.parity = QSerialPort::SpaceParity;

    const int data = part(2).toInt(&ok);
    if (ok && data >= 5 && data <= 8)
        p.dataBits = data;

    const QString stop = part(3);
    if (stop == QLatin1String("2"))
        p.stopBits = QSerialPort::TwoStop;
    else if (stop == QLatin1String("1.5"))
        p.stopBits = QSerialPort::OneAndHalfStop;
    return p;
}

// Bounds one drain of the system's buffer, so a flood cannot keep input() from returning.
constexpr int MaxDrainReads = 256;

} // namespace

SerialControl::SerialControl(QObject *parent) : QObject(parent), port_(new QSerialPort(this)) {
    connect(port_, &QSerialPort::readyRead, this, &SerialControl::onReadyRead);
    connect(port_, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(static_cast<int>(e)); });
}

SerialControl::~SerialControl() {
    if (port_->isOpen())
        port_->close();
}

void SerialControl::setCommPort(int number) {
    commPort_ = number;
}
void SerialControl::setPortName(const QString &name) {
    portName_ = name;
}
void SerialControl::setSettings(const QString &settings) {
    settings_ = settings;
}
void SerialControl::setHandshaking(int mode) {
    handshaking_ = mode;
}
void SerialControl::setInputLen(int length) {
    inputLen_ = qMax(0, length);
}

QString SerialControl::standardPortPath(int number) {
    if (number <= 0)
        return QString();
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QString SerialControl::devicePath() const {
    if (!portName_.isEmpty())
        return portName_;
    return standardPortPath(commPort_);
}

bool SerialControl::portOpen() const {
    return port_->isOpen() && !lossPending_;
}

bool SerialControl::setPortOpen(bool open) {
    if (!open) {
        if (port_->isOpen())
            port_->close();
        commEvent_ = ComEvNone;
        return true;
    }
    if (port_->isOpen() && lossPending_) {
        // Gone but not yet closed: close it now and try the device afresh.
        port_->close();
        port_->clearError();
    }
    if (port_->isOpen())
        return true;

    const QString path = devicePath();
    if (path.isEmpty())
        return false;

    const LineParameters p = ParseLineParameters(settings_);
    port_->setPortName(path);
    port_->setBaudRate(p.speed);
    port_->setParity(p.parity);
    port_->setDataBits(static_cast<QSerialPort::DataBits>(p.dataBits));
    port_->setStopBits(p.stopBits);
    switch (handshaking_) {
    case 1:
        port_->setFlowControl(QSerialPort::SoftwareControl);
        break;
    case 2:
    case 3:
        port_->setFlowControl(QSerialPort::HardwareControl);
        break;
    default:
        port_->setFlowControl(QSerialPort::NoFlowControl);
        break;
    }
    lossPending_ = false;
    commEvent_ = ComEvNone;
    if (!port_->open(QIODevice::ReadWrite)) {
        port_->clearError();
        return false;
    }
#ifdef Q_OS_UNIX
    // The port offers one flow control at a time; "both" adds XON/XOFF to RTS/CTS.
    if (handshaking_ == 3) {
        termios tio{};
        const int fd = static_cast<int>(port_->handle());
        if (::tcgetattr(fd, &tio) == 0) {
            tio.c_iflag |= IXON | IXOFF;
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
#endif
    return true;
}

bool SerialControl::output(const QByteArray &data) {
    if (!port_->isOpen() || lossPending_)
        return false;
    if (port_->write(data) != data.size())
        return false;
    // The caller may block right after this (the TA's settle wait), so the bytes must be
    // on their way now rather than at the next turn of the event loop.
    while (port_->bytesToWrite() > 0) {
        if (!port_->waitForBytesWritten(1000) || lossPending_) {
            port_->clearError();
            return false;
        }
    }
    return true;
}

void SerialControl::drainPending() {
    // Reads what the system holds for the port into the port's buffer, without raising the
    // receive event for it: the caller is taking those bytes now.
    draining_ = true;
    for (int i = 0; i < MaxDrainReads && port_->isOpen() && !lossPending_; ++i) {
        if (!port_->waitForReadyRead(0))
            break;
    }
    draining_ = false;
    if (port_->error() == QSerialPort::TimeoutError)
        port_->clearError();
}

QByteArray SerialControl::input() {
    if (!port_->isOpen())
        return QByteArray();
    drainPending();
    if (inputLen_ == 0)
        return port_->readAll();
    return port_->read(inputLen_);
}

bool SerialControl::raiseWaitingReceive() {
    if (!port_->isOpen() || lossPending_)
        return false;
    drainPending();
    if (port_->bytesAvailable() <= 0)
        return false;
    commEvent_ = ComEvReceive;
    emit received();
    return true;
}

void SerialControl::onReadyRead() {
    if (draining_ || lossPending_)
        return;
    commEvent_ = ComEvReceive;
    emit received();
}

void SerialControl::onError(int error) {
    switch (static_cast<QSerialPort::SerialPortError>(error)) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        // The device is gone (or cannot be read any more). Closing inside the port's own
        // notification is not safe, so it happens at the next turn of the event loop; until
        // then nothing more is reported.
        if (port_->isOpen() && !lossPending_) {
            lossPending_ = true;
            QMetaObject::invokeMethod(this, &SerialControl::closeAfterLoss, Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
}

void SerialControl::closeAfterLoss() {
    if (!lossPending_)
        return;
    lossPending_ = false;
    commEvent_ = ComEvNone;
    if (port_->isOpen()) {
        port_->close();
        port_->clearError();
        emit lost();
    }
}
