#pragma once

#include <QtGlobal>
#include <functional>

class MainWindow;
class QWidget;
class RunState;
namespace db {
struct CallerToRegister;
enum class RegistrationCheck;
} // namespace db

// Registering a caller in the phonebook, from the main window's register button (the last
// call) or from a history row: refused, with the reason in a box, for a withheld call or a
// number already there; else added and shown in a fresh phonebook window. A registration that
// fails is said with its reason and opens nothing; after one from the main window (or a refusal
// because the number is there) the caller is known and the register button turns off.
class RegistrationCommand {
public:
    // The phonebook window as the program opens and closes it: it is closed before the entry
    // is added (it writes its own edits) and opened after, on the new last entry.
    struct PhonebookWindow {
        std::function<void()> close;
        std::function<void()> open;
    };

    RegistrationCommand(RunState &state, PhonebookWindow phonebook);

    // The main window's register button on the last call; the remark is the memo panel's
    // text when it holds this call, else the memo stored with the call.
    void RegisterCallerFromMainWindow(MainWindow *window);
    // The history window's register command for its row 履歴ID historyId.
    void RegisterCallerFromHistory(qint32 historyId);

private:
    // False, said in a box with the reason, when the entry could not be stored.
    bool RegisterToPhonebook(QWidget *parent, const db::CallerToRegister &caller);
    static void RefuseRegistration(QWidget *parent, db::RegistrationCheck check);

    RunState &state_;
    PhonebookWindow phonebook_;
};
