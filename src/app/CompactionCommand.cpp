#include "app/CompactionCommand.h"

#include "callerid/TaLink.h"
#include "db/Compaction.h"
#include "platform/desktop/Dialogs.h"
#include "runstate/RunState.h"
#include "settings/Program.h"

#include <QTimer>
#include <QWidget>

CompactionCommand::CompactionCommand(RunState &state, TaLink &link, QObject *parent)
    : QObject(parent), state_(state), link_(link) {}

void CompactionCommand::CompactCallDatabase(QWidget *window) {
    if (state_.compactionBusy())
        return;
    window_ = window;
    if (!Dialogs::Confirm(window, QStringLiteral("Kolvaneの電話帳データベースを最適化します。"),
                          QStringLiteral("最適化の確認"), Dialogs::Icon::Question) ||
        state_.compactionBusy())
        return;
    // The call path waits; the status line says so, and the history and phonebook windows
    // close themselves (saving what they hold), releasing the file.
    state_.setCompactionBusy(true);
    state_.announceCompactionStarting();
    // Compacted off this thread, once the closed windows are gone.
    job_ = new db::CompactionJob(Program::AppFolder, this);
    connect(job_, &db::CompactionJob::finished, this, &CompactionCommand::OnCompactionDone);
    QTimer::singleShot(0, job_, &db::CompactionJob::start);
}

void CompactionCommand::OnCompactionDone(bool ok, const QString &failure) {
    if (job_)
        job_->deleteLater();
    state_.setCompactionBusy(false);
    state_.announceCompactionFinished();
    // A report that came meanwhile is handled now, not at the next call (whose read would
    // hold both reports and keep only the first).
    link_.ReceiveWaiting();
    if (!ok) {
        Dialogs::Tell(window_,
                      QStringLiteral("電話帳データベースを最適化できませんでした。\n") + failure +
                          QStringLiteral("\n電話帳データベースは最適化する前のまま使えます。"),
                      QStringLiteral("Kolvane"), Dialogs::Icon::Exclamation);
    }
}
