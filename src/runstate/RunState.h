#pragma once

#include "runstate/IncomingCall.h"
#include "settings/Settings.h"

#include <QObject>
#include <functional>

// What every window shares for the whole run: the settings in force, the last call and the
// program-wide flags. Windows read it and are told of changes through its signals; only the
// setters below change the settings, so every window hears of every change.
class RunState : public QObject {
    Q_OBJECT
public:
    explicit RunState(QObject *parent = nullptr) : QObject(parent) {}

    const Settings &settings() const { return settings_; }
    // The one way to change the settings: settingsChanged follows when anything differs.
    void setSettings(const Settings &settings);
    // setSettings on a copy changed by edit: state.changeSettings([](Settings &s) { ... }).
    void changeSettings(const std::function<void(Settings &)> &edit);

    // The last call (HistoryId included): the memo and the display timers use its values; the
    // call handler fills it in.
    const IncomingCall &call() const { return call_; }
    IncomingCall &call() { return call_; }

    // The database is being compacted: the call path leaves the port's bytes waiting.
    bool compactionBusy() const { return compactionBusy_; }
    void setCompactionBusy(bool busy) { compactionBusy_ = busy; }
    // The TA link has not yet come up in this run.
    bool firstActivation() const { return firstActivation_; }
    void setFirstActivation(bool first) { firstActivation_ = first; }
    // The phonebook window is kept on top (PhonebookOnTop): written to no file, it lasts from
    // one opening of the window to the next.
    bool phonebookOnTop() const { return phonebookOnTop_; }
    void setPhonebookOnTop(bool onTop) { phonebookOnTop_ = onTop; }
    // "Kolvane.ini" when the settings file was found and read; empty sends the first
    // activation to the set-up panel.
    const QString &settingsFileFound() const { return settingsFileFound_; }
    void setSettingsFileFound(const QString &name) { settingsFileFound_ = name; }

    // Why calls are not being recorded in the call history (empty: they are), as the last
    // call or the load found it.
    const QString &callHistoryProblem() const { return callHistoryProblem_; }
    void announceHistoryWritable(const QString &problem) {
        callHistoryProblem_ = problem;
        emit historyWritable(problem);
    }

    // A history row was added, changed or removed.
    void announceHistoryChanged() { emit historyChanged(); }
    void announceCompactionStarting() { emit compactionStarting(); }
    void announceCompactionFinished() { emit compactionFinished(); }

signals:
    void settingsChanged();
    void historyChanged();
    void historyWritable(const QString &problem);
    void compactionStarting();
    void compactionFinished();

private:
    Settings settings_;
    IncomingCall call_;
    bool compactionBusy_ = false;
    bool firstActivation_ = true;
    bool phonebookOnTop_ = false;
    QString settingsFileFound_;
    QString callHistoryProblem_;
};
