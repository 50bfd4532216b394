#pragma once

#include <QString>

#include <memory>

class QSettings;

// The user's own settings file, ~/.config/Fundtally/Fundtally.conf on Linux
// ($XDG_CONFIG_HOME when set). Only what the user saved there counts, not
// the system-wide files Qt would otherwise read beside it.
QString userSettingsPath();

// Opens that file. The program opens it once per run and reads and writes
// everything through the one QSettings.
std::unique_ptr<QSettings> openUserSettings();
