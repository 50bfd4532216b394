#include "usersettings.h"

#include "quotesitestore.h"

#include <QSettings>

std::unique_ptr<QSettings> openUserSettings()
{
    // Where Qt keeps the user's settings, learnt without reading them. Opened
    // by its path, the file is read alone, without the system-wide files.
    const QSettings where(QuoteSiteStore::unreadFormat(), QSettings::UserScope,
                          QStringLiteral("Fundtally"), QStringLiteral("Fundtally"));
    return QuoteSiteStore::open(where.fileName());
}
