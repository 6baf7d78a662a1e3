#include "settings/Settings.h"

bool Settings::operator==(const Settings &o) const {
    return ShowDate == o.ShowDate && AlwaysOnTop == o.AlwaysOnTop && TrayMode == o.TrayMode &&
           TrayDelaySeconds == o.TrayDelaySeconds && RingFile == o.RingFile && RingOn == o.RingOn &&
           PortNumber == o.PortNumber && MainLeft == o.MainLeft && MainTop == o.MainTop &&
           PhonebookLeft == o.PhonebookLeft && PhonebookTop == o.PhonebookTop &&
           RefEnabled == o.RefEnabled && RefDatabasePath == o.RefDatabasePath &&
           RefTable == o.RefTable && RefPhoneField == o.RefPhoneField &&
           RefAddressField == o.RefAddressField && RefNameField == o.RefNameField &&
           RefZipField == o.RefZipField && PortName == o.PortName &&
           PortSettings == o.PortSettings && PortHandshaking == o.PortHandshaking;
}
