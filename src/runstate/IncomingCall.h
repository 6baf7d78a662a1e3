#pragma once

#include <QString>
#include <QtGlobal>

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
    qint32 HistoryId = 0;   // 履歴ID given to the stored history row
    QString NuisanceReason; // 迷惑理由: why the call is taken for a nuisance; empty when not
};
