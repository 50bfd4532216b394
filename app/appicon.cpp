#include "appicon.h"

QIcon fundtallyIcon()
{
    QIcon icon;
    for (const int size : FundtallyIconSizes)
        icon.addFile(QStringLiteral(":/icons/fundtally-%1.png").arg(size), QSize(size, size));
    return icon;
}
