#include "profiledrop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

QString draggedProfilePath(const QMimeData &data)
{
    if (!data.hasUrls())
        return QString();
    const QList<QUrl> urls = data.urls();
    if (urls.size() != MaxDroppedProfiles || !urls.constFirst().isLocalFile())
        return QString();
    const QString path = urls.constFirst().toLocalFile();
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("ftly"), Qt::CaseInsensitive) != 0 || info.isDir())
        return QString();
    return path;
}
