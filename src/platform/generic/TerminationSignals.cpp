#include "platform/TerminationSignals.h"

// Where there are no POSIX signals, the desktop's own close request is the only way out.
TerminationSignals *TerminationSignals::install(QObject *) {
    return nullptr;
}

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {}

void TerminationSignals::readSignal() {}
