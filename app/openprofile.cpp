#include "openprofile.h"

#include <QFileInfo>

void OpenProfile::remember(const QString &path, const std::optional<Holdings> &shown,
                           const AssetTargets &targets)
{
    if (shown)
        m_saved = HoldingsSnapshot{*shown, targets};
    m_path = QFileInfo(path).absoluteFilePath();
}

bool OpenProfile::hasChanges(const std::optional<Holdings> &shown, const AssetTargets &targets) const
{
    return !shown || HoldingsSnapshot{*shown, targets} != m_saved;
}

QString OpenProfile::folder() const
{
    return m_path.isEmpty() ? QString() : QFileInfo(m_path).absolutePath();
}
