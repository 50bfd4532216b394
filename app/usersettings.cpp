#include "usersettings.h"

#include "settingsfile.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

QString userSettingsPath()
{
    // Where Qt keeps a user's settings for this program, worked out rather
    // than asked of QSettings: Qt reads a settings file once per path and run,
    // so even a look at the name would leave its later reading empty.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(folder).filePath(QStringLiteral("Fundtally/Fundtally.conf"));
}

std::unique_ptr<QSettings> openUserSettings()
{
    // Opened by its path, the file is read alone, without the system-wide files.
    return SettingsFile::open(userSettingsPath());
}
