#pragma once

#include "assettargets.h"
#include "holding.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// Real profiles are a few kilobytes; anything larger is not one.
inline constexpr qint64 MaxProfileFileSize = 1024 * 1024;

struct ProfileLoad {
    std::optional<Holdings> holdings;        // set on success
    QString message;                         // on failure: names the file, the record (1-20) when relevant, and what was wrong
    AssetTargets targets = std::nullopt;     // the file's targets; none when it holds none
};

// Refuses folders, unreadable files and files over MaxProfileFileSize
// without reading them whole.
ProfileLoad loadProfileFile(const QString &path);

struct ProfileSave {
    bool ok = false;
    QString message;                         // on failure: names the file and the reason
};

// Replaces the file atomically: on failure the previous file stays as it was.
ProfileSave saveProfileFile(const QString &path, const Holdings &holdings,
                            const AssetTargets &targets = std::nullopt);
