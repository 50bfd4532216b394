#pragma once

#include <QHash>
#include <QString>

// The API keys kept in a file of the user's own (0600), for desktops with
// no keyring: one line per source, "name=key", both percent-encoded. The
// file is outside data: one larger than kMaxBytes is not read, and a line
// that is not a key is skipped.
class KeyFile
{
public:
    static constexpr qint64 kMaxBytes = 64 * 1024;
    static constexpr char kFileName[] = "keys.conf";

    explicit KeyFile(QString path);

    // keys.conf in the folder of the settings file at `settingsPath`.
    static QString besideSettings(const QString &settingsPath);

    const QString &path() const { return m_path; }

    // The keys kept, or why they cannot be read; no file holds none.
    QHash<QString, QString> read(QString *error) const;
    // Keeps `key` for `source` (an empty key removes it), rewriting the file
    // whole, readable by the user alone. Returns why it could not; empty on
    // success.
    QString write(const QString &source, const QString &key) const;

private:
    QString m_path;
};
