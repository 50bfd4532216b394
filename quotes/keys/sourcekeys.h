#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class KeyStore;

// The API keys of the sources in use, read from the key store only when a
// lookup first needs one (a keyring answers through the event loop, and
// most starts price nothing), then kept for the process. Keys the user
// saves are put in as they are saved.
class SourceKeys
{
public:
    using Done = std::function<void(const QString &key)>;

    explicit SourceKeys(KeyStore &store);

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

    void take(const QString &source, const QString &key);

    KeyStore &m_store;
    QHash<QString, QString> m_known;
    QHash<QString, QList<Waiter>> m_waiting;
};
