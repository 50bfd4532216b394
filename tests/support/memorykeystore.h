#pragma once

#include "keystore.h"

#include <QHash>
#include <QString>
#include <QTimer>

// Keys in memory, answered from the event loop as a keyring answers; every
// key kept is in `place`.
class MemoryKeyStore final : public KeyStore
{
public:
    void readKey(const QString &source, Done done) override
    {
        ++reads;
        const QString key = keys.value(source);
        answer(std::move(done), KeyAnswer{key, key.isEmpty() ? KeyPlace::None : place, {}, keyringReached});
    }
    void writeKey(const QString &source, const QString &key, Done done) override
    {
        if (key.isEmpty())
            keys.remove(source);
        else
            keys.insert(source, key);
        answer(std::move(done), KeyAnswer{key, key.isEmpty() ? KeyPlace::None : place, {}});
    }
    QHash<QString, QString> keys;
    KeyPlace place = KeyPlace::Keyring;
    bool keyringReached = true;
    int reads = 0;

private:
    static void answer(Done done, const KeyAnswer &given)
    {
        QTimer::singleShot(0, [done = std::move(done), given] { done(given); });
    }
};
