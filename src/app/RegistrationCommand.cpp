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

void RegistrationCommand::RegisterToPhonebook(const db::CallerToRegister &caller) {
    phonebook_.close();
    QCoreApplication::processEvents();
    {
        db::Database database(Program::DatabasePath());
        db::RegisterToPhonebook(database, caller);
    }
    // Opening shows the last entry: the one just made.
    phonebook_.open();
}

void RegistrationCommand::RegisterCallerFromMainWindow(MainWindow *window) {
    const IncomingCall &call = state_.call();
    const db::RegistrationCheck check = db::CheckRegistrationFromMainWindow(call.Number);
    if (check != db::RegistrationCheck::Allowed) {
        RefuseRegistration(window, check);
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
    RegisterToPhonebook(caller);
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
    RegisterToPhonebook(*caller);
}
