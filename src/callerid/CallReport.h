#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The last call's values on the main window. Overwritten by each call report; the memo and the
// display timers use the values of the last call.
struct IncomingCall {
    QString Number;       // the cut caller field: a number or a reason letter
    QString CallTime;     // time of day of the report, "H:mm:ss"
    QString CallDate;     // date of the report, "yyyy/MM/dd"
    QString NumberRemark; // 摘要 stored with the number in the phonebook
    qint32 CallerId = 0;  // 住所録.ID of the caller, 0 when not in the phonebook
    QString CallerName;
    QString CallerAddress;
    QString CallerZip;
    qint32 HistoryId = 0; // 履歴ID given to the stored history row
};

class QByteArray;
class QDateTime;

// The Number of a "RING ANALOG" report, or nothing when the block is not a call.
std::optional<QString> ParseCallReport(const QString &block);
// The text shown instead of a reason letter, or nothing for a number.
std::optional<QString> ReasonText(const QString &number);
// Bytes from the TA as text (code page 932).
QString DecodeSerialBlock(const QByteArray &bytes);
// A plain run of ASCII digits, optionally surrounded by spaces.
bool IsNumeric(const QString &text);
QString JapaneseTimeText(const QDateTime &when); // "H:mm:ss"
QString JapaneseDateText(const QDateTime &when); // "yyyy/MM/dd"
