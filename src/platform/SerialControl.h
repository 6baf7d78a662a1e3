#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;

// The serial control (MSComm1): the port the TA hangs on, with the properties the program uses
// (CommPort, InputLen, PortOpen, Output, Input, CommEvent) and its receive event.
//
// A port that goes away while open (a USB adapter pulled out, a pseudo-terminal whose other
// side closed) is closed quietly and stops notifying; setPortOpen(true) can open it again.
class SerialControl : public QObject {
    Q_OBJECT
public:
    // CommEvent values.
    enum { ComEvNone = 0, ComEvReceive = 2 };

    explicit SerialControl(QObject *parent = nullptr);
    ~SerialControl() override;

    // The port by number (1 = the first standard port); 0 or less names no port.
    void setCommPort(int number);
    // A device path such as "/dev/ttyUSB0"; when not empty it wins over the number.
    void setPortName(const QString &name);
    QString portName() const { return portName_; }
    // Line parameters "speed,parity,data,stop" (e.g. "9600,n,8,1"), applied at opening.
    // A part that does not read as a valid value keeps its default.
    void setSettings(const QString &settings);
    QString settings() const { return settings_; }
    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both; applied at opening.
    void setHandshaking(int mode);
    // Bytes returned by one input(); 0 = the whole receive buffer.
    void setInputLen(int length);

    // Opens or closes the port; returns whether the port is now in the requested state.
    bool setPortOpen(bool open);
    bool portOpen() const;

    // Sends the bytes and waits until they have left for the device.
    bool output(const QByteArray &data);
    // Takes received bytes out of the buffer: everything received so far (including what the
    // system still holds for the port), or at most the length setInputLen gave.
    QByteArray input();
    // The event that raised the last receive notification.
    int commEvent() const { return commEvent_; }
    // Raises the receive event again for bytes that wait unread (left in the buffer while
    // the program could not take them); false when none wait.
    bool raiseWaitingReceive();

    // The device that opening uses: the port name, or the standard port of the number
    // ("/dev/ttyS<n-1>"); empty when neither names a port.
    QString devicePath() const;
    static QString standardPortPath(int number);

signals:
    // The receive event: bytes arrived.
    void received();
    // The port went away while open and has been closed.
    void lost();

private:
    void onReadyRead();
    void onError(int error);
    void drainPending();
    void closeAfterLoss();

    QSerialPort *port_;
    QString portName_;
    QString settings_ = QStringLiteral("9600,n,8,1");
    int commPort_ = 0;
    int handshaking_ = 0;
    int inputLen_ = 0;
    int commEvent_ = ComEvNone;
    bool draining_ = false;
    bool lossPending_ = false;
};
