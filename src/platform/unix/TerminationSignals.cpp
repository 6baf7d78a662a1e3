#include "platform/TerminationSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int pipeFds[2] = {-1, -1};

void OnSignal(int signo) {
    // Only async-signal-safe work here: hand the number to the event loop.
    const unsigned char b = static_cast<unsigned char>(signo);
    [[maybe_unused]] ssize_t n = ::write(pipeFds[0], &b, 1);
}
} // namespace

TerminationSignals *TerminationSignals::install(QObject *parent) {
    if (pipeFds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeFds) != 0)
        return nullptr;
    auto *t = new TerminationSignals(parent);
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    return t;
}

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {
    notifier_ = new QSocketNotifier(pipeFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
}

void TerminationSignals::readSignal() {
    unsigned char b = 0;
    if (::read(pipeFds[1], &b, 1) == 1)
        emit terminationRequested(b);
}
