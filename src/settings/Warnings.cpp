#include "settings/Warnings.h"

#include "settings/Options.h"

namespace {
const QString Group = QStringLiteral("Warnings");
const QString International = QStringLiteral("InternationalCalls");
const QString Silence = QStringLiteral("SilenceMarked");
} // namespace

Warnings Warnings::read() {
    Warnings w;
    w.InternationalCalls = Options::boolValue(Group, International, w.InternationalCalls);
    w.SilenceMarked = Options::boolValue(Group, Silence, w.SilenceMarked);
    return w;
}

bool Warnings::write() const {
    return Options::setValue(Group, International, InternationalCalls) &&
           Options::setValue(Group, Silence, SilenceMarked);
}
