#pragma once

#include "callerid/CallLookup.h"
#include "db/CallStatements.h"
#include "db/ReferenceIndex.h"

#include <QObject>

class QByteArray;
class QDateTime;
class RunState;
namespace db {
class Database;
}

// The incoming-call path from a block read off the TA to the history row, without widgets.
// It works on the run state's last call and tells what happens in the order the windows must
// show it: the call arriving (status and clock), the caller worked out (the call lines), the
// ring, the row stored (the run state's historyChanged), the call handled (the timers). The row
// is written before the ring and the reference phonebook touch any file of theirs.
// Every failure on the way (no database, a locked file, a missing reference table) is skipped:
// the call is shown and rung all the same.
class CallHandler : public QObject {
    Q_OBJECT
public:
    explicit CallHandler(RunState &state, QObject *parent = nullptr);

    // The index of the reference phonebook the settings name, kept up to date with them.
    ReferenceIndex &referenceIndex() { return referenceIndex_; }

    // Receive event, before the read: false while the database is compacted (the bytes stay in the
    // port's buffer); otherwise the last caller's details are cleared for the read.
    bool ReceiveGate();
    // Receive event, from the block read: each call report in it is handled in turn, anything
    // else ignored.
    void HandleBlock(const QByteArray &block);
    // The whole call for the caller field of one report, received at `when`.
    void HandleIncomingCall(const QString &callerField, const QDateTime &when);
    // A call taken from another computer (an NCID server): the same path as a TA report, from
    // an empty caller; when neither phonebook knows the number, `serverName` is the name.
    void HandleNetworkCall(const QString &number, const QString &serverName, const QDateTime &when);

signals:
    // Bring the window out, clear the call lines, the red status (or the nuisance warning of
    // call.NuisanceReason), the clock held.
    void callArriving(const IncomingCall &call);
    // The number, name and address lines, the clock text, the register button.
    void callerShown(const CallDisplay &display);
    // Right after callerShown, for those who pass the shown call on (the NCID server, the
    // desktop notification): whether it came from the network, not the TA.
    void callerAnnounced(const IncomingCall &call, const CallDisplay &display, bool fromNetwork);
    // RingFile is set and RingOn is 1, unless the call is a nuisance and those are silenced.
    void ringRequested(const QString &ringFile);
    // (Whether the row was stored goes to the run state: historyWritable, with the reason when the
    // row could not be stored.) The display timers, after the row is stored and the history windows
    // are told.
    void callHandled(const IncomingCall &call);
    // After the last call of one read: how many calls it held.
    void callsTogether(int calls);

private:
    void ClearCaller();
    // After the row is stored: the reference phonebook's name, address and postal code for
    // what is still empty, into the display and (when stored) the row.
    void CompleteFromReference(const db::Database *database, CallDisplay &display, bool stored);

    RunState &state_;
    ReferenceIndex referenceIndex_;
    db::CallConnection connection_;
    // While a network call is handled: the server's name for the caller.
    bool networkCall_ = false;
    QString networkName_;
};
