#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

// A drag can open one profile: the window holds one.
inline constexpr int MaxDroppedProfiles = 1;

// The profile a drag carries: exactly one local file, not a folder, whose
// name ends in ".ftly" (in any case, as the desktop's file type matches it).
// Empty for anything else: other files, several files, remote addresses,
// plain text.
QString draggedProfilePath(const QMimeData &data);

enum class ProfileDropAnswer {
    NotAProfile, // left to whoever receives the drag (a box takes text)
    Refused,     // a profile, but not now or not as a copy
    Taken,
};

// A profile is taken as a copy (a move would let the file manager take the
// file away) and only while the window is not busy.
ProfileDropAnswer profileDropAnswer(const QMimeData &data, Qt::DropActions possible, bool busy);

// Takes profile drops anywhere on a window: on the window itself and on the
// boxes that take text drops of their own, which would otherwise catch the
// drag and type its path. Other drags go on to the boxes as before.
class ProfileDropTarget : public QObject
{
    Q_OBJECT

public:
    // `busy` says when no profile may open.
    ProfileDropTarget(QWidget *window, std::function<bool()> busy);

Q_SIGNALS:
    // A profile was dropped; sent once the drop has ended, so that the file
    // manager is not kept waiting on what opening it says.
    void profileDropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<bool()> m_busy;
};
