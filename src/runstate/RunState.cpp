#include "runstate/RunState.h"

void RunState::setSettings(const Settings &settings) {
    if (settings == settings_)
        return;
    settings_ = settings;
    emit settingsChanged();
}

void RunState::changeSettings(const std::function<void(Settings &)> &edit) {
    Settings changed = settings_;
    edit(changed);
    setSettings(changed);
}
