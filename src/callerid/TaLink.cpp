#include "callerid/TaLink.h"

#include "platform/DiagnosticLog.h"
#include "platform/SerialControl.h"
#include "settings/Settings.h"

#include <QThread>
#include <algorithm>
#include <utility>

const QByteArray TaLink::SetupCommand = QByteArrayLiteral("at$a16=1\r");

TaLink::TaLink(QObject *parent) : QObject(parent), comm_(new SerialControl(this)) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    // A coarse timer may fire up to 5 % early and read a report before its end has come.
    settle_.setTimerType(Qt::PreciseTimer);
    connect(&settle_, &QTimer::timeout, this, &TaLink::OnSettled);
    rest_.setSingleShot(true);
    rest_.setInterval(RestStepMs);
    connect(&rest_, &QTimer::timeout, this, &TaLink::OnSettled);
    connect(comm_, &SerialControl::received, this, &TaLink::OnReceived);
    connect(comm_, &SerialControl::lost, this, [this] {
        settle_.stop();
        rest_.stop();
        taken_.clear();
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
    rest_.stop();
    taken_.clear();
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
    if (settle_.isActive() || rest_.isActive())
        return;
    // A report taken in part before the gate shut is awaited afresh.
    if (!taken_.isEmpty()) {
        since_.start();
        settle_.start();
        return;
    }
    comm_->raiseWaitingReceive();
}

void TaLink::OnReceived() {
    // Bytes arriving during the wait are taken by the read that is already due.
    if (settle_.isActive() || rest_.isActive())
        return;
    if (gate_ && !gate_())
        return;
    if (linkUp_) {
        since_.start();
        settle_.start();
    } else {
        ReadBlock();
    }
}

namespace {

// Whether the bytes end where a report ends: something besides line ends, and a line end last.
bool EndsAtLineEnd(const QByteArray &bytes) {
    const auto lineEnd = [](char c) { return c == '\r' || c == '\n'; };
    return !bytes.isEmpty() && lineEnd(bytes.back()) &&
           !std::all_of(bytes.begin(), bytes.end(), lineEnd);
}

} // namespace

void TaLink::OnSettled() {
    // The wait does not block the window, so compaction may have begun meanwhile; the bytes
    // then wait for the next receive event, as they would have at its start.
    if (gate_ && !gate_())
        return;
    TakeReceived();
    // A TA may pause inside a report: its line end is awaited before anything is decided.
    if (!EndsAtLineEnd(taken_) && since_.elapsed() < ReportLimitMs) {
        rest_.start();
        return;
    }
    SendTaken();
}

void TaLink::TakeReceived() {
    comm_->setInputLen(0);
    if (comm_->commEvent() != SerialControl::ComEvReceive)
        return;
    const QByteArray block = comm_->input();
    if (block.isEmpty())
        return;
    DiagnosticLog::serialBlock(block);
    taken_ += block;
}

void TaLink::SendTaken() {
    QByteArray block = std::exchange(taken_, QByteArray());
    // A report whose line end never came is cut for good: its number would be wrong.
    const qsizetype end = std::max(block.lastIndexOf('\r'), block.lastIndexOf('\n')) + 1;
    if (!EndsAtLineEnd(block) && block.indexOf("RING", end) >= 0) {
        DiagnosticLog::failure(
            QStringLiteral("call report cut"),
            QStringLiteral("no line end within %1 ms: \"%2\"")
                .arg(ReportLimitMs)
                .arg(DiagnosticLog::visibleText(QString::fromLatin1(block.mid(end)))));
        // The cut report goes with the CR LF that opened it, unless that ends the one before.
        const QByteArray before = block.left(std::max<qsizetype>(0, end - 2));
        block = EndsAtLineEnd(before) ? before : block.left(end);
        if (!EndsAtLineEnd(block))
            block.clear();
    }
    if (!block.isEmpty())
        emit blockRead(block);
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
