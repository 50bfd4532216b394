#pragma once

#include <QString>

class QMimeData;

// A drag can open one profile: the window holds one.
inline constexpr int MaxDroppedProfiles = 1;

// The profile a drag carries: exactly one local file, not a folder, whose
// name ends in ".ftly" (in any case, as the desktop's file type matches it).
// Empty for anything else: other files, several files, remote addresses,
// plain text.
QString draggedProfilePath(const QMimeData &data);
