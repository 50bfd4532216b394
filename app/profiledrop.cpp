#include "profiledrop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

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

ProfileDropAnswer profileDropAnswer(const QMimeData &data, Qt::DropActions possible, bool busy)
{
    if (draggedProfilePath(data).isEmpty())
        return ProfileDropAnswer::NotAProfile;
    if (busy || !possible.testFlag(Qt::CopyAction))
        return ProfileDropAnswer::Refused;
    return ProfileDropAnswer::Taken;
}

ProfileDropTarget::ProfileDropTarget(QWidget *window, std::function<bool()> busy)
    : QObject(window)
    , m_busy(std::move(busy))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (child->acceptDrops())
            child->installEventFilter(this);
    }
}

bool ProfileDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *drag = static_cast<QDropEvent *>(event);
    switch (profileDropAnswer(*drag->mimeData(), drag->possibleActions(), m_busy())) {
    case ProfileDropAnswer::NotAProfile:
        return QObject::eventFilter(watched, event);
    case ProfileDropAnswer::Refused:
        drag->ignore();
        return true;
    case ProfileDropAnswer::Taken:
        break;
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (type == QEvent::Drop) {
        const QString path = draggedProfilePath(*drag->mimeData());
        QMetaObject::invokeMethod(
            this, [this, path] { Q_EMIT profileDropped(path); }, Qt::QueuedConnection);
    }
    return true;
}
