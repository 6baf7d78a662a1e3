#include "callerid/TaLinkKeeper.h"

#include "callerid/TaLink.h"
#include "runstate/RunState.h"
#include "settings/LastPort.h"

#include <QFileInfo>

TaLinkKeeper::TaLinkKeeper(RunState &state, TaLink &link, QObject *parent)
    : QObject(parent), state_(state), link_(link) {
    // A TA behind a USB adapter goes away when unplugged or when the computer sleeps, and comes
    // back under the same device: it is tried again until it opens.
    reconnect_.setInterval(ReconnectMs);
    connect(&reconnect_, &QTimer::timeout, this, &TaLinkKeeper::Reconnect);
    connect(&link_, &TaLink::portLost, this, [this] {
        emit linkLost();
        reconnect_.start();
    });
}

bool TaLinkKeeper::InitTerminalAdapter() {
    // A second set-up (new port settings) starts from a closed port and sends the command again.
    link_.close();
    link_.setLinkUp(false);
    const Settings &settings = state_.settings();
    if (!link_.open(settings)) {
        if (AwaitingRememberedDevice()) {
            // As if it were unplugged just after the start: the activation is done (no set-up
            // panel, no second trip to the tray), and the device is tried until it comes.
            state_.setFirstActivation(false);
            emit linkLost();
            reconnect_.start();
            return false;
        }
        state_.setSettingsFileFound(QString());
        // After a link that once worked there is no set-up panel: the status line says the
        // link is down rather than still reading "waiting".
        if (state_.firstActivation())
            emit setupNeeded();
        else
            emit linkLost();
        return false;
    }
    reconnect_.stop();
    if (!settings.PortName.isEmpty())
        LastPort::remember(settings.PortName);
    emit linkUp();
    state_.setFirstActivation(false);
    link_.setLinkUp(true);
    return true;
}

void TaLinkKeeper::Stop() {
    reconnect_.stop();
    link_.close();
}

bool TaLinkKeeper::AwaitingRememberedDevice() const {
    // Only at start, with settings read from the file, and only for the very device that opened
    // in an earlier run and is now absent. A device that is there but will not open, or a
    // port never opened before, still leads to the set-up panel.
    const QString device = state_.settings().PortName;
    return state_.firstActivation() && !state_.settingsFileFound().isEmpty() && !device.isEmpty() &&
           device == LastPort::read() && !QFileInfo::exists(device);
}

void TaLinkKeeper::Reconnect() {
    // Opening a device that is not there fails at once: the window never waits for it.
    if (!link_.isOpen())
        InitTerminalAdapter();
}
