#include "keystore.h"

#include <QEventLoop>

QHash<QString, QString> readKeysNow(KeyStore &store, const QStringList &sources)
{
    QHash<QString, QString> keys;
    QEventLoop loop;
    qsizetype waiting = sources.size();
    for (const QString &source : sources) {
        store.readKey(source, [&keys, &loop, &waiting, source](const KeyAnswer &answer) {
            if (!answer.key.isEmpty())
                keys.insert(source, answer.key);
            if (--waiting == 0)
                loop.quit();
        });
    }
    if (waiting > 0)
        loop.exec();
    return keys;
}

KeyAnswer writeKeyNow(KeyStore &store, const QString &source, const QString &key)
{
    KeyAnswer written;
    QEventLoop loop;
    bool answered = false;
    store.writeKey(source, key, [&](const KeyAnswer &answer) {
        written = answer;
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec();
    return written;
}
