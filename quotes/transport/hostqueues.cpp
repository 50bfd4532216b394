#include "hostqueues.h"

#include <QUrl>

#include <algorithm>

size_t qHash(const Origin &origin, size_t seed)
{
    return qHashMulti(seed, origin.scheme, origin.host, origin.port);
}

Origin originOf(const QByteArray &url)
{
    const QUrl parsed = QUrl::fromEncoded(url);
    const int defaultPort = parsed.scheme() == u"http" ? 80 : 443;
    return Origin{parsed.scheme(), parsed.host(QUrl::FullyEncoded).toLower(), parsed.port(defaultPort)};
}

bool HostQueues::mayStart(const Origin &origin, quint64 share, int shareLimit) const
{
    const int limit = std::clamp(shareLimit, 1, kMaxConnectionsPerHost);
    return m_perOrigin.value(origin) < kMaxConnectionsPerHost && m_perShare.value(share) < limit;
}

void HostQueues::started(const Origin &origin, quint64 share)
{
    ++m_perOrigin[origin];
    ++m_perShare[share];
}

void HostQueues::ended(const Origin &origin, quint64 share)
{
    if (--m_perOrigin[origin] <= 0)
        m_perOrigin.remove(origin);
    if (--m_perShare[share] <= 0)
        m_perShare.remove(share);
}
