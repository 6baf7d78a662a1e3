#include "app/RegistrationCommand.h"

#include "db/Database.h"
#include "db/Registration.h"
#include "platform/desktop/Dialogs.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "ui/main/MainWindow.h"

#include <QApplication>

RegistrationCommand::RegistrationCommand(RunState &state, PhonebookWindow phonebook)
    : state_(state), phonebook_(std::move(phonebook)) {}

void RegistrationCommand::RefuseRegistration(QWidget *parent, db::RegistrationCheck check) {
    Dialogs::Tell(parent, db::RegistrationRefusalText(check), db::RegistrationRefusalTitle(),
                  Dialogs::Icon::Question, Dialogs::Modality::System);
}

bool RegistrationCommand::RegisterToPhonebook(QWidget *parent, const db::CallerToRegister &caller) {
    phonebook_.close();
    QCoreApplication::processEvents();
    std::optional<qint32> id;
    QString reason;
    {
        db::Database database(Program::DatabasePath());
        id = db::RegisterToPhonebook(database, caller);
        // An open file that refuses the rows is held by another program.
        if (!id)
            reason = db::ProblemText(database.isOpen() ? db::Database::Problem::Busy
                                                       : database.problem());
    }
    if (!id) {
        // Said, and no window opened on an entry that is not the caller's.
        Dialogs::Tell(parent, QStringLiteral("電話帳に登録できませんでした（%1）。").arg(reason),
                      QStringLiteral("電話帳に登録"), Dialogs::Icon::Exclamation,
                      Dialogs::Modality::System);
        return false;
    }
    // Opening shows the last entry: the one just made.
    phonebook_.open();
    return true;
}

void RegistrationCommand::RegisterCallerFromMainWindow(MainWindow *window) {
    const IncomingCall &call = state_.call();
    db::RegistrationCheck check = db::CheckRegistrationFromMainWindow(call.Number);
    if (check == db::RegistrationCheck::Allowed) {
        // A number filed since the call (here or in another window) is not filed twice.
        db::Database database(Program::DatabasePath());
        check = db::CheckRegistrationFromHistory(database, call.Number);
    }
    if (check != db::RegistrationCheck::Allowed) {
        RefuseRegistration(window, check);
        if (check == db::RegistrationCheck::AlreadyInPhonebook)
            window->ShowCallerKnown();
        return;
    }
    db::CallerToRegister caller;
    caller.Number = call.Number;
    caller.Name = call.CallerName;
    caller.Address = call.CallerAddress;
    caller.Zip = call.CallerZip;
    // Typed but not saved yet counts too.
    caller.Remark = window->MemoTextOf(call.HistoryId);
    if (caller.Remark.isNull()) {
        db::Database database(Program::DatabasePath());
        const auto row = db::CallerOfHistoryRow(database, call.HistoryId);
        if (row && row->Number == call.Number)
            caller.Remark = row->Remark;
    }
    if (RegisterToPhonebook(window, caller))
        window->ShowCallerKnown();
}

void RegistrationCommand::RegisterCallerFromHistory(qint32 historyId) {
    std::optional<db::CallerToRegister> caller;
    db::RegistrationCheck check = db::RegistrationCheck::NotNumeric;
    {
        db::Database database(Program::DatabasePath());
        caller = db::CallerOfHistoryRow(database, historyId);
        if (caller)
            check = db::CheckRegistrationFromHistory(database, caller->Number);
    }
    if (check != db::RegistrationCheck::Allowed) {
        RefuseRegistration(QApplication::activeWindow(), check);
        return;
    }
    RegisterToPhonebook(QApplication::activeWindow(), *caller);
}
