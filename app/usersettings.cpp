#include "usersettings.h"

#include <QSettings>

std::unique_ptr<QSettings> openUserSettings()
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QStringLiteral("Fundtally"),
                                                QStringLiteral("Fundtally"));
    settings->setFallbacksEnabled(false);
    return settings;
}
