#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT delivered as a Qt signal on the main thread, so that ending the session
// closes the program as the close button does and the settings are written.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    static TerminationSignals *install(QObject *parent);

signals:
    void terminationRequested(int signo);

private:
    explicit TerminationSignals(QObject *parent);
    void readSignal();
    QSocketNotifier *notifier_ = nullptr;
};
