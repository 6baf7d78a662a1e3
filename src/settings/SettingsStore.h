#pragma once

#include "settings/SettingsFile.h"

#include <QString>

// Kolvane.ini in the program's folder, as the program keeps it: read once at start, written
// when the settings panel applies and when the main window closes. A file that does not read
// is taken as a missing one (defaults, keeping where the TA is) and kept beside as
// Kolvane.ini.damaged before the first write over it.
class SettingsStore {
public:
    // The screen and the main panel, in twips: the defaults centre the window on the screen.
    struct Screen {
        int widthTwips = 0;
        int heightTwips = 0;
        int mainPanelHeightTwips = 0;
    };

    static QString FileName();

    // AppFolder's Kolvane.ini.
    SettingsStore();
    explicit SettingsStore(const QString &path) : path_(path) {}

    const QString &path() const { return path_; }
    // Reads the file over `settings` (the defaults where it is missing or damaged).
    SettingsFileState Load(Settings &settings, const Screen &screen) const;
    // False, with the file as it was, when it could not be written.
    bool Save(const Settings &settings) const;

private:
    QString path_;
};
