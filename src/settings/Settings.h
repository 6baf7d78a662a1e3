#pragma once

#include <QString>
#include <QtGlobal>

// The lasting options of the program, as Kolvane.ini holds them (lines 1-18 by position,
// then the serial line's lines 19-21). Read once at load; written when settings are applied and at
// close.
struct Settings {
    qint16 ShowDate = 1;
    qint16 AlwaysOnTop = 0;
    qint16 TrayMode = 0;
    qint16 TrayDelaySeconds = 20;
    QString RingFile;
    qint16 RingOn = 0;
    qint16 PortNumber = 0;
    qint32 MainLeft = 0;
    qint32 MainTop = 0;
    qint32 PhonebookLeft = 0;
    qint32 PhonebookTop = 0;
    bool RefEnabled = false;
    QString RefDatabasePath;
    QString RefTable;
    QString RefPhoneField;
    QString RefAddressField;
    QString RefNameField;
    QString RefZipField;
    // Lines 19-21: optional on reading, always written.
    QString PortName;
    QString PortSettings = QStringLiteral("9600,n,8,1");
    qint16 PortHandshaking = 0;

    bool operator==(const Settings &o) const;
    bool operator!=(const Settings &o) const { return !(*this == o); }
};
