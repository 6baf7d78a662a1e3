#include "settings/SettingsStore.h"

#include "settings/Program.h"

QString SettingsStore::FileName() {
    return QStringLiteral("Kolvane.ini");
}

SettingsStore::SettingsStore() : path_(Program::filePath(FileName())) {}

SettingsFileState SettingsStore::Load(Settings &settings, const Screen &screen) const {
    return LoadSettingsFile(path_, settings, screen.widthTwips, screen.heightTwips,
                            screen.mainPanelHeightTwips);
}

bool SettingsStore::Save(const Settings &settings) const {
    return WriteSettingsFile(path_, settings);
}
