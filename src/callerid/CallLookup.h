#pragma once

#include "runstate/IncomingCall.h"

struct Settings;
struct ReferenceSource;
class ReferenceIndex;
namespace db {
class Database;
class CallStatements;
} // namespace db

// The database half of a call report: who the caller is, and the history row that records
// the call. The main window keeps the display; these only read and write the files, so every
// failure (no database, a locked file, a missing reference table) simply leaves the values
// as they are.

// The caller field up to the end of its line. A TA ends its report with CR LF; when nothing
// follows the number on the line, the field would otherwise carry the line end into the
// lookup, the clock display and the history.
QString CallerNumberOfField(const QString &field);

// TELNOsach for call.Number, then VALsach for the entry found: CallerId, NumberRemark,
// CallerName, CallerAddress, CallerZip. A number not in the phonebook leaves them as they are.
void LookUpOwnPhonebook(const db::Database &database, IncomingCall &call);
// The same on statements kept from call to call (the call handler's connection).
void LookUpOwnPhonebook(db::CallStatements &statements, IncomingCall &call);

// Why the call is taken for a nuisance, empty when it is not. A mark on the whole number wins
// over the phonebook (the user marked it on purpose); a phonebook entry wins over a prefix mark
// and over the international rule (a known person is never called a nuisance by a rule).
// `mark` is the mark the file holds for the number, if any.
struct MarkFoundForCall {
    QString reason;
    bool wholeNumber = false;
};
QString NuisanceReasonOf(const QString &number, bool inPhonebook, const MarkFoundForCall *mark,
                         bool warnInternational);
// The marks of the file for call.Number, after the phonebook lookup: sets call.NuisanceReason.
void CheckNuisanceMarks(db::CallStatements &statements, IncomingCall &call, bool warnInternational);

// The reference phonebook of the settings, when enabled: fills the name, address and postal
// code that are still empty. By the index when it is built for the settings' file as it is
// now (an exact phone first, else the same digits written otherwise); else, for an SQLite
// file, by reading the table for the exact phone, as before the index. With an index, an Access
// file is never read for the call: its name comes once the index is built.
void LookUpReferencePhonebook(const Settings &settings, IncomingCall &call,
                              ReferenceIndex *index = nullptr);

// The reference phonebook the settings name (empty when it is off or not chosen), its file
// taken against the current folder.
ReferenceSource ReferenceSourceOf(const Settings &settings);

// What a call shows on the main window, worked out from the call record.
struct CallDisplay {
    QString NumberLine;       // Label6: the number, the number with its remark, or the reason
    QString NameLine;         // Label7
    QString AddressLine;      // Label8
    QString ClockText;        // CtlDigital1: the number, or "-----------" when it is withheld
    bool Withheld = false;    // a reason letter instead of a number: nothing was looked up
    bool InPhonebook = false; // the caller needs no registering
};

// The display of a call whose lookups are done (or, for a reason letter, not needed).
CallDisplay DescribeCall(const IncomingCall &call);

// Appends the history row of the call: 履歴ID = the largest so far + 1 (kept from the last
// call while the table is empty), 電番 = the number when numeric, else the number line as
// shown; name, address and postal code as shown, only when not empty. Sets call.HistoryId.
// False when the row could not be stored.
bool AppendHistoryRow(const db::Database &database, IncomingCall &call, const CallDisplay &display);
bool AppendHistoryRow(db::CallStatements &statements, IncomingCall &call,
                      const CallDisplay &display);

// The row of the call (call.HistoryId) given the name, address and postal code found after it
// was appended (the reference phonebook is read only once the call is stored), where not
// empty. False when the row could not be changed.
bool CompleteHistoryRow(const db::Database &database, const IncomingCall &call,
                        const CallDisplay &display);
