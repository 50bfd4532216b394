#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

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

// A value that is not text, not a valid host, or names a certificate file
// that cannot be used is ignored with a problem; so is every value when the
// settings cannot be read or the file is too large (SettingsFile::open).
StoredQuoteSiteRead read(const QSettings &settings);

// Keeps `site`, removing the values that are empty, and writes the settings
// out. Returns why they could not be written; empty on success. A file too
// large to read is left as it is.
QString write(QSettings &settings, const StoredQuoteSite &site);

} // namespace QuoteSiteStore
