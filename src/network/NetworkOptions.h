#pragma once

#include <QString>
#include <QStringList>

// The [Network] group of Options.ini: the NCID server and client and the desktop
// notifications. Everything is off until the user turns it on.
struct NetworkOptions {
    bool ServerOn = false;
    QString ListenAddress = QStringLiteral("0.0.0.0:3333");
    QString Line = QStringLiteral("-");
    QStringList AllowList; // empty: the local network's own subnets and loopback
    bool ClientOn = false;
    QString ServerAddress; // HOST:PORT
    bool Notify = false;

    static NetworkOptions load();
    // False, with the file as it was, when Options.ini could not be written.
    bool save() const;
};
