#include "network/NetworkOptions.h"

#include "settings/Options.h"

namespace {
const QString Group = QStringLiteral("Network");
}

NetworkOptions NetworkOptions::load() {
    NetworkOptions o;
    o.ServerOn = Options::boolValue(Group, QStringLiteral("ServerOn"), o.ServerOn);
    o.ListenAddress =
        Options::value(Group, QStringLiteral("ListenAddress"), o.ListenAddress).toString();
    o.Line = Options::value(Group, QStringLiteral("Line"), o.Line).toString();
    o.AllowList = Options::value(Group, QStringLiteral("AllowList")).toStringList();
    o.AllowList.removeAll(QString());
    o.ClientOn = Options::boolValue(Group, QStringLiteral("ClientOn"), o.ClientOn);
    o.ServerAddress = Options::value(Group, QStringLiteral("ServerAddress")).toString();
    o.Notify = Options::boolValue(Group, QStringLiteral("Notify"), o.Notify);
    return o;
}

bool NetworkOptions::save() const {
    bool ok = Options::setValue(Group, QStringLiteral("ServerOn"), ServerOn);
    ok = ok && Options::setValue(Group, QStringLiteral("ListenAddress"), ListenAddress);
    ok = ok && Options::setValue(Group, QStringLiteral("Line"), Line);
    ok = ok && Options::setValue(Group, QStringLiteral("AllowList"), AllowList);
    ok = ok && Options::setValue(Group, QStringLiteral("ClientOn"), ClientOn);
    ok = ok && Options::setValue(Group, QStringLiteral("ServerAddress"), ServerAddress);
    ok = ok && Options::setValue(Group, QStringLiteral("Notify"), Notify);
    return ok;
}
