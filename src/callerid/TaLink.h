#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

struct Settings;
class SerialControl;

// The serial link to the TA (the serial control MSComm1): the port half of
// InitTerminalAdapter and of the receive event (MSComm1_OnComm). The link keeper holds the
// rest of the set-up, the call handler the rest of the receive event.
class TaLink : public QObject {
    Q_OBJECT
public:
    // The TA's set-up command: "at$a16=1" and one carriage return, nothing else.
    static const QByteArray SetupCommand;
    // The wait after the set-up command and before reading a received block.
    static constexpr int SettleMs = 300;
    // A report not ended by its line end after the settle wait is waited for (in steps of
    // RestStepMs) until this long after its first byte; what is then still cut is not a call.
    static constexpr int ReportLimitMs = 2000;
    static constexpr int RestStepMs = 50;

    explicit TaLink(QObject *parent = nullptr);
    ~TaLink() override;

    // Opens the port of the settings (PortName, else PortNumber; PortSettings,
    // PortHandshaking), sends the set-up command, waits SettleMs (blocking) and discards
    // whatever the TA has answered so far. False on any failure, with the port closed.
    bool open(const Settings &settings);
    void close();
    bool isOpen() const;

    // True once the main window's first activation has brought the link up; from then on
    // each receive event waits SettleMs before reading, so a whole report is read at once,
    // and longer (up to ReportLimitMs) for a report whose line end has not come yet.
    void setLinkUp(bool up);
    bool linkUp() const { return linkUp_; }

    // Asked at the start of each receive event (and again before the delayed read); false
    // means nothing is read now and the bytes stay in the buffer for the next event.
    void setReceiveGate(std::function<bool()> gate);

    // Bytes that came while the gate was shut (a compaction) are read now, as at a receive
    // event, rather than at the next call, whose read would hold both reports.
    void ReceiveWaiting();

signals:
    // One read of the whole receive buffer at a receive event.
    void blockRead(const QByteArray &block);
    // The port went away while open (device unplugged, other side closed) and was closed.
    void portLost();

private:
    void OnReceived();
    void OnSettled();
    void ReadBlock();
    void TakeReceived();
    void SendTaken();

    SerialControl *comm_;
    QTimer settle_;
    // The further wait for a report's line end, and the time since its first byte.
    QTimer rest_;
    QElapsedTimer since_;
    // Bytes read after the settle wait while the report's end is awaited.
    QByteArray taken_;
    std::function<bool()> gate_;
    bool linkUp_ = false;
};
