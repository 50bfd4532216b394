#include "windowcaption.h"

#include <QCoreApplication>
#include <QFileInfo>

QString windowCaption(const QString &profilePath)
{
    if (profilePath.isEmpty())
        return QCoreApplication::translate("CFundtallyDlg", "Fundtally");
    // The window shows "[*]" in a name as it is only when it is doubled.
    QString name = QFileInfo(profilePath).fileName();
    name.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return QCoreApplication::translate("CFundtallyDlg", "%1[*] - Fundtally").arg(name);
}
