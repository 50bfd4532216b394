#pragma once

#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The user's settings file, in Qt's INI form. Qt reads a settings file whole
// when it is opened, so a larger one than the program writes is not opened
// at all: no file can make the start slow or the program large.
namespace SettingsFile {

// Holds the largest list of quote sources the user can keep, with room to
// spare for the rest (QuoteSourceStore asserts that it does).
inline constexpr qint64 kMaxBytes = 2 * 1024 * 1024;

// A format that reads and writes nothing, for learning a settings file's
// name without reading the file, and for a file that must not be read.
QSettings::Format unreadFormat();

// The settings in the file at `path` alone (no fallbacks), in Qt's INI form.
// A file past kMaxBytes is left unread, in unreadFormat().
std::unique_ptr<QSettings> open(const QString &path);

// Why `settings` were not read, naming the file: too large, unreadable or
// damaged. Empty when they were.
QString problem(const QSettings &settings);

// The size in bytes the file would have with `change` made to `settings`,
// learnt from a copy in a scratch folder, so that nothing is written that
// could not be read back. None when the copy cannot be written.
std::optional<qint64> sizeAfter(const QSettings &settings, const std::function<void(QSettings &)> &change);

} // namespace SettingsFile
