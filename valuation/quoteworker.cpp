#include "quoteworker.h"

#include "quotefetcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

#include <utility>

QString transportModulePath(const QString &programDir)
{
    const QString installed = QDir(programDir).filePath(QStringLiteral(FUNDTALLY_TRANSPORT_INSTALLED_PATH));
    const QString buildTree = QDir::cleanPath(QStringLiteral(FUNDTALLY_BUILD_TREE));
    const QString dir = QDir::cleanPath(programDir);
    // An installed program never loads code from wherever it was built.
    const bool inBuildTree = dir == buildTree || dir.startsWith(buildTree + u'/');
    return QFileInfo::exists(installed) || !inBuildTree ? installed
                                                         : QStringLiteral(FUNDTALLY_TRANSPORT_BUILD_PATH);
}

QuoteWorker::QuoteWorker(QuoteSiteSettings settings)
    : m_settings(std::move(settings))
{
}

QuoteWorker::~QuoteWorker() = default;

void QuoteWorker::fetch(quint64 id, const QUrl &url)
{
    if (!mayStart(id))
        return;
    if (!m_transport && !loadTransport()) {
        Q_EMIT fetched(id, QuoteResult::unpriced(QStringLiteral("network module missing")));
        return;
    }
    {
        const QMutexLocker lock(&m_mutex);
        if (m_shutDown || m_cancelled.remove(id))
            return;
        m_current = id;
        m_transport->clearAbort();
    }
    const QuoteResult result = m_transport->fetch(url);
    Q_EMIT fetched(id, result);
    // The window has its result; the rest of the page only matters for the
    // connection's next lookup.
    m_transport->finishTransfer();
    const QMutexLocker lock(&m_mutex);
    m_current = 0;
}

void QuoteWorker::cancel(quint64 id)
{
    const QMutexLocker lock(&m_mutex);
    if (id == m_current)
        m_transport->abort();
    else
        m_cancelled.insert(id);
}

void QuoteWorker::shutDown()
{
    const QMutexLocker lock(&m_mutex);
    m_shutDown = true;
    if (m_current != 0)
        m_transport->abort();
}

bool QuoteWorker::loadTransport()
{
    m_module.setFileName(transportModulePath(QCoreApplication::applicationDirPath()));
    const auto create = reinterpret_cast<CreateQuoteFetcher>(m_module.resolve(kCreateQuoteFetcherSymbol));
    if (!create) {
        qWarning("Fundtally: quote pages cannot be fetched: %s", qPrintable(m_module.errorString()));
        return false;
    }
    // The module hands over a fetcher it made with new.
    m_transport.reset(create(m_settings));
    return true;
}

bool QuoteWorker::mayStart(quint64 id)
{
    const QMutexLocker lock(&m_mutex);
    // Lookups start in the order of their ids: cancellations of earlier ones
    // came after those had been reported, and are done with.
    m_cancelled.removeIf([id](quint64 cancelled) { return cancelled < id; });
    return !m_shutDown && !m_cancelled.remove(id);
}
