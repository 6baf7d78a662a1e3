#include "callerid/TaLink.h"

#include "platform/DiagnosticLog.h"
#include "platform/SerialControl.h"
#include "settings/Settings.h"

#include <QThread>

const QByteArray TaLink::SetupCommand = QByteArrayLiteral("at$a16=1\r");

TaLink::TaLink(QObject *parent) : QObject(parent), comm_(new SerialControl(this)) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    // A coarse timer may fire up to 5 % early and read a report before its end has come.
    settle_.setTimerType(Qt::PreciseTimer);
    connect(&settle_, &QTimer::timeout, this, &TaLink::OnSettled);
    connect(comm_, &SerialControl::received, this, &TaLink::OnReceived);
    connect(comm_, &SerialControl::lost, this, [this] {
        settle_.stop();
        emit portLost();
    });
}

TaLink::~TaLink() = default;

bool TaLink::open(const Settings &settings) {
    // A port still open from before is closed first, so the new settings take effect.
    close();

    comm_->setInputLen(0);
    comm_->setPortName(settings.PortName);
    comm_->setCommPort(settings.PortNumber);
    comm_->setSettings(settings.PortSettings);
    comm_->setHandshaking(settings.PortHandshaking);
    if (!comm_->setPortOpen(true))
        return false;
    if (!comm_->output(SetupCommand)) {
        close();
        return false;
    }
    // The TA answers within this time; the answer is taken out and not looked at.
    QThread::msleep(SettleMs);
    comm_->input();
    if (!comm_->portOpen()) {
        close();
        return false;
    }
    return true;
}

void TaLink::close() {
    settle_.stop();
    comm_->setPortOpen(false);
}

bool TaLink::isOpen() const {
    return comm_->portOpen();
}

void TaLink::setLinkUp(bool up) {
    linkUp_ = up;
}

void TaLink::setReceiveGate(std::function<bool()> gate) {
    gate_ = std::move(gate);
}

void TaLink::ReceiveWaiting() {
    // A read already due takes them.
    if (settle_.isActive())
        return;
    comm_->raiseWaitingReceive();
}

void TaLink::OnReceived() {
    // Bytes arriving during the wait are taken by the read that is already due.
    if (settle_.isActive())
        return;
    if (gate_ && !gate_())
        return;
    if (linkUp_)
        settle_.start();
    else
        ReadBlock();
}

void TaLink::OnSettled() {
    // The wait does not block the window, so compaction may have begun meanwhile; the bytes
    // then wait for the next receive event, as they would have at its start.
    if (gate_ && !gate_())
        return;
    ReadBlock();
}

void TaLink::ReadBlock() {
    comm_->setInputLen(0);
    if (comm_->commEvent() != SerialControl::ComEvReceive)
        return;
    const QByteArray block = comm_->input();
    DiagnosticLog::serialBlock(block);
    if (!block.isEmpty())
        emit blockRead(block);
}
