#include "sourcekeys.h"

#include "keystore.h"

SourceKeys::SourceKeys(KeyStore &store, QProcessEnvironment environment)
    : m_store(store)
    , m_environment(std::move(environment))
{
}

QString SourceKeys::variableName(const QString &source)
{
    QString name = QStringLiteral("FUNDTALLY_KEY_");
    for (const QChar c : source) {
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        name += letter ? c.toUpper() : QChar(u'_');
    }
    return name;
}

void SourceKeys::withKey(const QString &source, const QObject *context, Done done)
{
    if (const auto known = m_known.constFind(source); known != m_known.constEnd()) {
        done(*known);
        return;
    }
    const QString given = m_environment.value(variableName(source));
    if (!given.isEmpty() && given.size() <= kMaxEnvironmentKeyChars) {
        m_known.insert(source, given);
        done(given);
        return;
    }
    QList<Waiter> &waiting = m_waiting[source];
    waiting.append(Waiter{context, std::move(done)});
    if (waiting.size() == 1)
        m_store.readKey(source, [this, source](const KeyAnswer &answer) { take(source, answer.key); });
}

void SourceKeys::setKey(const QString &source, const QString &key)
{
    m_known.insert(source, key);
}

void SourceKeys::take(const QString &source, const QString &key)
{
    // A key saved while the store was asked is the newer one.
    const QString kept = m_known.value(source, key);
    m_known.insert(source, kept);
    for (const Waiter &waiter : m_waiting.take(source)) {
        if (waiter.context)
            waiter.done(kept);
    }
}
