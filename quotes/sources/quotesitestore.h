#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

// The quote site the user chose, as kept in the user's settings.
struct StoredQuoteSite {
    QString host;            // empty: none kept
    QString certificateFile; // empty: none kept

    friend bool operator==(const StoredQuoteSite &, const StoredQuoteSite &) = default;
};

// What was found in the settings.
struct StoredQuoteSiteRead {
    StoredQuoteSite site;   // the values fit for use; an ignored value is empty here
    StoredQuoteSite texts;  // the texts as found, ignored ones included, for correcting
    QStringList problems;   // one message for each value ignored, naming it and why
};

// Reads and writes the two values through the settings given, and nothing
// else: the settings file holds only what the user chose.
namespace QuoteSiteStore {

inline constexpr char kHostKey[] = "QuoteSite/Host";
inline constexpr char kCertificateFileKey[] = "QuoteSite/CertificateFile";

// The file holds two short values. Qt reads a settings file whole when it
// is opened, so a larger one is not opened at all: no file can make the
// start slow or the program large.
inline constexpr qint64 kMaxSettingsFileBytes = 64 * 1024;

// A format that reads and writes nothing, for learning a settings file's
// name without reading the file, and for a file that must not be read.
QSettings::Format unreadFormat();

// The settings in the file at `path` alone (no fallbacks), in Qt's INI form.
// kMaxSettingsFileBytes is left unread; read() and write() then say so.
std::unique_ptr<QSettings> open(const QString &path);

// A value that is not text, not a valid host, or names a certificate file
// that cannot be used is ignored with a problem; so is every value when the
// settings cannot be read or the file is too large.
StoredQuoteSiteRead read(const QSettings &settings);

// Keeps `site`, removing the values that are empty, and writes the settings
// out. Returns why they could not be written; empty on success. A file too
// large to read is left as it is.
QString write(QSettings &settings, const StoredQuoteSite &site);

} // namespace QuoteSiteStore
