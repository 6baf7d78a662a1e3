#pragma once

// The round trip of Kolvane.ini: whatever a file reads as (whole, or in part before a damaged
// value) is written at close, and the next start must read back exactly that, except the
// characters a text cannot hold (double quote, CR, LF), which the writer leaves out. Written
// a second time, the file is byte for byte the same. Shared by the fuzz target and the tests.

#include "settings/SettingsFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace settings_round_trip {

inline QString storable(QString text) {
    text.remove(u'"');
    text.remove(u'\r');
    text.remove(u'\n');
    return text;
}

// Every field away from its default, so a field the second reading leaves alone shows.
inline Settings unlikeAnyFile() {
    Settings s;
    s.ShowDate = s.AlwaysOnTop = s.TrayMode = s.TrayDelaySeconds = s.RingOn = s.PortNumber =
        s.PortHandshaking = 12345;
    s.MainLeft = s.MainTop = s.PhonebookLeft = s.PhonebookTop = 1234567;
    s.RefEnabled = true;
    for (QString *t :
         {&s.RingFile, &s.RefDatabasePath, &s.RefTable, &s.RefPhoneField, &s.RefAddressField,
          &s.RefNameField, &s.RefZipField, &s.PortName, &s.PortSettings})
        *t = QStringLiteral("not read");
    return s;
}

// The 21 values in file order, as text.
inline QStringList fields(const Settings &s) {
    const auto n = [](qint64 v) { return QString::number(v); };
    return {n(s.ShowDate),       n(s.AlwaysOnTop),   n(s.TrayMode),     n(s.TrayDelaySeconds),
            s.RingFile,          n(s.RingOn),        n(s.PortNumber),   n(s.MainLeft),
            n(s.MainTop),        n(s.PhonebookLeft), n(s.PhonebookTop), n(s.RefEnabled),
            s.RefDatabasePath,   s.RefTable,         s.RefPhoneField,   s.RefAddressField,
            s.RefNameField,      s.RefZipField,      s.PortName,        s.PortSettings,
            n(s.PortHandshaking)};
}

// Empty when the round trip holds for the file `bytes`; otherwise what went wrong.
inline QString fault(const QByteArray &bytes) {
    Settings first;
    ReadSettingsBytes(bytes, first);
    const QByteArray written = FormatSettingsFile(first);
    Settings second = unlikeAnyFile();
    if (!ReadSettingsBytes(written, second))
        return QStringLiteral("the written file does not read");
    Settings expected = first;
    for (QString *t : {&expected.RingFile, &expected.RefDatabasePath, &expected.RefTable,
                       &expected.RefPhoneField, &expected.RefAddressField, &expected.RefNameField,
                       &expected.RefZipField, &expected.PortName, &expected.PortSettings})
        *t = storable(*t);
    if (second != expected) {
        const QStringList want = fields(expected), got = fields(second);
        for (int i = 0; i < want.size(); ++i)
            if (want[i] != got[i])
                return QStringLiteral("value %1 was \"%2\", read back as \"%3\"")
                    .arg(i + 1)
                    .arg(want[i], got[i]);
    }
    if (FormatSettingsFile(second) != written)
        return QStringLiteral("a second write gives other bytes");
    return QString();
}

} // namespace settings_round_trip
