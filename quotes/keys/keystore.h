#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

// Where a source's API key is kept: the desktop's keyring, or the key file
// beside the settings where no keyring answers.
enum class KeyPlace { None, Keyring, File };

struct KeyAnswer {
    QString key;                      // empty when none is kept
    KeyPlace place = KeyPlace::None;  // where it is kept now
    QString error;                    // why the key could not be read or kept
    // Whether the desktop keyring answered; one that cannot be reached (no
    // session bus under cron or ssh) is why a key kept there is not found.
    bool keyringReached = true;
};

// The API keys of quote sources, one per source name. Keyrings answer
// later, so every call answers through `done`, once, from the event loop.
class KeyStore
{
public:
    using Done = std::function<void(const KeyAnswer &answer)>;

    virtual ~KeyStore() = default;

    virtual void readKey(const QString &source, Done done) = 0;
    // An empty key removes the source's key wherever it is kept.
    virtual void writeKey(const QString &source, const QString &key, Done done) = 0;
};

// The keys of `sources` that are kept, read before a window shows or by a
// command: runs a local event loop until every one has answered.
QHash<QString, QString> readKeysNow(KeyStore &store, const QStringList &sources);
// Keeps one key the same way; the answer says where.
KeyAnswer writeKeyNow(KeyStore &store, const QString &source, const QString &key);
