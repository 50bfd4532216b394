#include "appicon.h"

#include <QImageReader>
#include <QPixmap>

QIcon fundtallyIcon()
{
    // Read as the PNGs they are: a file name alone would have Qt probe its
    // image-format and icon-engine plugins, loading each, before the first
    // paint.
    QIcon icon;
    for (const int size : FundtallyIconSizes) {
        QImageReader reader(QStringLiteral(":/icons/fundtally-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}
