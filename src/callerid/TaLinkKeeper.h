#pragma once

#include <QObject>
#include <QTimer>

class RunState;
class TaLink;

// Keeps the TA link up for the whole run, without widgets: sets it up with the settings in
// force (InitTerminalAdapter), tries the same device again every ReconnectMs once it went away,
// and remembers the device that opened (Kolvane.port) so that a start without it waits for it
// rather than asking for the set-up again. What the windows show of it they hear through the
// signals.
class TaLinkKeeper : public QObject {
    Q_OBJECT
public:
    // The TA's port went away, or the device that opened in an earlier run is missing at start:
    // the same device is tried again this often, quietly.
    static constexpr int ReconnectMs = 2000;

    TaLinkKeeper(RunState &state, TaLink &link, QObject *parent = nullptr);

    // Opens the port of the settings and sends the TA its set-up command. On failure
    // SettingsFileFound is emptied and, at the first activation, the set-up is asked for
    // (setupNeeded), unless the remembered device is only missing: then it is waited for.
    // Later the link is said lost.
    bool InitTerminalAdapter();
    // The program ends: no more tries, the port closed.
    void Stop();
    bool reconnecting() const { return reconnect_.isActive(); }

signals:
    // The set-up command went through.
    void linkUp();
    // The port went away (or the remembered device is not there yet), or a new set-up failed
    // after the link had once been up.
    void linkLost();
    // The port did not open at the first activation: the set-up panel is wanted.
    void setupNeeded();

private:
    void Reconnect();
    bool AwaitingRememberedDevice() const;

    RunState &state_;
    TaLink &link_;
    QTimer reconnect_;
};
