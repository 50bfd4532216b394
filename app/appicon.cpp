#include "appicon.h"

QIcon fundtallyIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/fundtally-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/fundtally-32.png"), QSize(32, 32));
    return icon;
}
