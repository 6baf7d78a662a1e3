#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// The lines of NCID (Network Caller ID, TCP 3333) that Kolvane writes as a server and reads
// as a client. Text lines in UTF-8; a call is a run of field pairs *LABEL*value* after its
// label. Pure: no sockets, no files.
namespace ncid {

// One call as a server announces it.
struct AnnouncedCall {
    QDateTime when;
    QString line = QStringLiteral("-");
    QString number; // the call's Number: digits as reported, or one of the TA's reason letters
    QString name;   // what Kolvane shows for the caller, empty when nothing
    // MESG: "NONE" unless the call carries a remark for the clients (a warning about the
    // caller belongs here).
    QString message = QStringLiteral("NONE");
};

// "CID: *DATE*mmddyyyy*TIME*hhmm*LINE*…*NMBR*…*MESG*…*NAME*…*" with CR LF, or the same
// after "CIDLOG: " for the call log. The reason letters become NCID's words where it has one
// (P: PRIVATE, O: OUT-OF-AREA in both fields); the others NO-NUMBER with the Japanese reason
// as the name. A "*" in a value is replaced, line ends and other control characters become
// spaces, an empty value becomes NCID's word for nothing.
QByteArray FormatCallLine(const QByteArray &label, const AnnouncedCall &call);

// One call read from a server's CID: (or +CID:) line.
struct ReceivedCall {
    // The number for the call path: the digits as sent, or the reason letter that NCID's word
    // stands for (PRIVATE and ANONYMOUS: "P", OUT-OF-AREA: "O"); empty when none was sent.
    QString number;
    // The server's name for the caller, empty when it sent none or one of NCID's words.
    QString name;
    QString line;
    // DATE (mmddyyyy, or ddmmyyyy where the first pair cannot be a month) and TIME; invalid
    // when they are missing or unreadable.
    QDateTime when;
};

enum class LineKind {
    Call,    // CID: or +CID: with its fields
    LogCall, // CIDLOG: or +CIDLOG: (a past call: never a new one)
    Other,   // anything else: greeting, log ends, messages, other feature sets
};

// What kind of line a server sent (without its line end).
LineKind KindOfLine(const QByteArray &line);

// The call of a CID: line; nullopt for every other line. Field pairs are read by label in
// any order, unknown labels ignored; a line without NMBR is not a call.
std::optional<ReceivedCall> ParseCallLine(const QByteArray &line);

// The value with "*" replaced and line ends and control characters made spaces: safe inside
// a field pair.
QString CleanValue(const QString &value);

// What a client asked at connection: "HELLO: CMD: no_log" and its kin.
enum class ClientRequest { None, NoLog, SendLog, Goodbye, Message };
ClientRequest RequestOfLine(const QByteArray &line);

} // namespace ncid
