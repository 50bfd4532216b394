#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QString>

#include <functional>

class KeyStore;
struct KeyAnswer;

// A source's key as a lookup finds it: empty when none was found, and then
// whether the desktop keyring could be asked.
struct FoundKey {
    QString key;
    bool keyringReached = true;
};

// The API keys of the sources in use, read only when a lookup first needs
// one (a keyring answers through the event loop, and most starts price
// nothing), then kept for the process: from the environment's
// FUNDTALLY_KEY_<NAME> first, which cron and ssh runs can reach, else from
// the key store. Keys the user saves are put in as they are saved.
class SourceKeys
{
public:
    using Done = std::function<void(const FoundKey &found)>;

    // A key in the environment longer than this is not one.
    static constexpr qsizetype kMaxEnvironmentKeyChars = 1024;

    // The key of a source named N may be given in apiKeyVariable(N).
    explicit SourceKeys(KeyStore &store, QProcessEnvironment environment = {});

    // Calls `done` with the key kept for `source` (empty when none): at once
    // when known, else once the store has answered, unless `context` is gone
    // by then.
    void withKey(const QString &source, const QObject *context, Done done);
    // An empty key: none.
    void setKey(const QString &source, const QString &key);

private:
    struct Waiter {
        QPointer<const QObject> context;
        Done done;
    };

    void take(const QString &source, const KeyAnswer &answer);

    KeyStore &m_store;
    const QProcessEnvironment m_environment;
    QHash<QString, FoundKey> m_known;
    QHash<QString, QList<Waiter>> m_waiting;
};
