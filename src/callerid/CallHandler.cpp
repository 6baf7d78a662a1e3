#include "callerid/CallHandler.h"

#include "callerid/CallReport.h"
#include "db/CallStatements.h"
#include "db/Database.h"
#include "platform/Clock.h"
#include "platform/DiagnosticLog.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "settings/Warnings.h"

#include <QDateTime>

CallHandler::CallHandler(RunState &state, QObject *parent) : QObject(parent), state_(state) {
    // The reference phonebook is indexed off this thread as soon as the settings name it, and
    // again whenever they name another file, table or column.
    const auto follow = [this] { referenceIndex_.setSource(ReferenceSourceOf(state_.settings())); };
    connect(&state_, &RunState::settingsChanged, this, follow);
    follow();
    // Compaction copies and replaces the file: it must be closed everywhere first. The next
    // call opens the new file.
    connect(&state_, &RunState::compactionStarting, this, [this] { connection_.close(); });
}

bool CallHandler::ReceiveGate() {
    // While the database is compacted nothing is read; the report waits in the buffer.
    if (state_.compactionBusy())
        return false;
    // A new read starts from an empty caller.
    ClearCaller();
    return true;
}

void CallHandler::ClearCaller() {
    IncomingCall &call = state_.call();
    call.CallerName.clear();
    call.CallerAddress.clear();
    call.CallerZip.clear();
    call.NumberRemark.clear();
    call.CallerId = 0;
    call.NuisanceReason.clear();
}

void CallHandler::HandleBlock(const QByteArray &block) {
    // Every report of the read is a call, handled in turn; the display ends on the last.
    QStringList fields;
    for (const QString &report : SplitCallReports(DecodeSerialBlock(block))) {
        const std::optional<QString> field = ParseCallReport(report);
        if (!field) {
            DiagnosticLog::reportIgnored(report);
            continue;
        }
        DiagnosticLog::reportRecognised(report, *field);
        fields.append(*field);
    }
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            ClearCaller();
        HandleIncomingCall(fields.at(i), Clock::now());
    }
    if (!fields.isEmpty())
        emit callsTogether(int(fields.size()));
}

void CallHandler::HandleIncomingCall(const QString &callerField, const QDateTime &when) {
    IncomingCall &call = state_.call();
    // When it came.
    call.CallTime = JapaneseTimeText(when);
    call.CallDate = JapaneseDateText(when);
    // Who calls.
    call.Number = CallerNumberOfField(callerField);
    call.NuisanceReason.clear();

    // The handler's own connection, kept from call to call; the call's work in one
    // transaction, the row stored before the window shows the caller.
    db::CallStatements *statements = connection_.use(Program::DatabasePath());
    const bool inTransaction = statements && statements->begin();
    // A reason letter is shown as its text and not looked up. The own phonebook and the marks
    // are in this file, asked before the window comes out so that a warning is there from
    // the first moment; the reference phonebook is another file, read once the call is stored.
    const bool lookUp = !ReasonText(call.Number);
    const Warnings warnings = Warnings::read();
    if (lookUp && statements) {
        LookUpOwnPhonebook(*statements, call);
        CheckNuisanceMarks(*statements, call, warnings.InternationalCalls);
    } else if (lookUp) {
        // Without the file the rule on international calls still holds.
        call.NuisanceReason =
            NuisanceReasonOf(call.Number, false, nullptr, warnings.InternationalCalls);
    }
    if (!call.NuisanceReason.isEmpty())
        DiagnosticLog::note(QStringLiteral("nuisance warning: ") + call.Number +
                            QStringLiteral(": ") + call.NuisanceReason);
    // The window comes out and shows the call arriving.
    emit callArriving(call);
    CallDisplay display = DescribeCall(call);
    bool stored = statements && AppendHistoryRow(*statements, call, display);
    if (inTransaction && stored)
        stored = statements->commit();
    else if (inTransaction)
        statements->rollback();
    if (lookUp)
        CompleteFromReference(connection_.database(), display, stored);
    if (lookUp && networkCall_ && call.CallerName.isEmpty() && !networkName_.isEmpty()) {
        // Neither phonebook knows the caller: the name the server sent.
        call.CallerName = networkName_;
        display = DescribeCall(call);
        if (stored && connection_.database())
            CompleteHistoryRow(*connection_.database(), call, display);
    }
    // The call lines.
    emit callerShown(display);
    emit callerAnnounced(call, display, networkCall_);

    // The ring
    const Settings &settings = state_.settings();
    if (!settings.RingFile.isEmpty() && settings.RingOn == 1 &&
        (call.NuisanceReason.isEmpty() || !warnings.SilenceMarked))
        emit ringRequested(settings.RingFile);

    // The history row; an open history window shows it.
    if (stored) {
        state_.announceHistoryWritable(QString());
        state_.announceHistoryChanged();
    } else {
        // An open file that refuses the row says why through its statement (held by another
        // program, a full disk …); a file that did not open says why itself.
        const QString reason =
            db::ProblemText(statements ? statements->lastProblem() : connection_.problem());
        DiagnosticLog::failure(QStringLiteral("call not stored"),
                               connection_.path() + QStringLiteral(": ") + reason);
        state_.announceHistoryWritable(reason);
    }

    // The display timers.
    emit callHandled(call);
}

void CallHandler::HandleNetworkCall(const QString &number, const QString &serverName,
                                    const QDateTime &when) {
    ClearCaller();
    networkCall_ = true;
    networkName_ = serverName;
    HandleIncomingCall(number, when);
    networkCall_ = false;
    networkName_.clear();
}

void CallHandler::CompleteFromReference(const db::Database *database, CallDisplay &display,
                                        bool stored) {
    IncomingCall &call = state_.call();
    if (!display.NameLine.isEmpty() && !display.AddressLine.isEmpty() && !call.CallerZip.isEmpty())
        return;
    // The reference phonebook fills what is still empty, in the row too.
    const IncomingCall before = call;
    LookUpReferencePhonebook(state_.settings(), call, &referenceIndex_);
    if (call.CallerName == before.CallerName && call.CallerAddress == before.CallerAddress &&
        call.CallerZip == before.CallerZip)
        return;
    display = DescribeCall(call);
    if (stored && database)
        CompleteHistoryRow(*database, call, display);
}
