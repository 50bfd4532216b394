#include "sourcekeys.h"

#include "keystore.h"
#include "quoteresult.h"

SourceKeys::SourceKeys(KeyStore &store, QProcessEnvironment environment)
    : m_store(store)
    , m_environment(std::move(environment))
{
}

void SourceKeys::withKey(const QString &source, const QObject *context, Done done)
{
    if (const auto known = m_known.constFind(source); known != m_known.constEnd()) {
        done(*known);
        return;
    }
    const QString given = m_environment.value(apiKeyVariable(source));
    if (!given.isEmpty() && given.size() <= kMaxEnvironmentKeyChars) {
        m_known.insert(source, FoundKey{given});
        done(m_known.value(source));
        return;
    }
    QList<Waiter> &waiting = m_waiting[source];
    waiting.append(Waiter{context, std::move(done)});
    if (waiting.size() == 1)
        m_store.readKey(source, [this, source](const KeyAnswer &answer) { take(source, answer); });
}

void SourceKeys::setKey(const QString &source, const QString &key)
{
    m_known.insert(source, FoundKey{key});
}

void SourceKeys::take(const QString &source, const KeyAnswer &answer)
{
    // A key saved while the store was asked is the newer one.
    const FoundKey kept = m_known.value(source, FoundKey{answer.key, answer.keyringReached});
    m_known.insert(source, kept);
    for (const Waiter &waiter : m_waiting.take(source)) {
        if (waiter.context)
            waiter.done(kept);
    }
}
