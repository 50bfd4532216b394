#pragma once

#include <memory>

class QSettings;

// The user's own settings file, ~/.config/Fundtally/Fundtally.conf on Linux
// ($XDG_CONFIG_HOME when set). Only what the user saved there counts, not
// the system-wide files Qt would otherwise read beside it.
std::unique_ptr<QSettings> openUserSettings();
