#include "networkquotesource.h"

#include "networkquotelookup.h"
#include "quoteparser.h"
#include "quoteworker.h"
#include "settledquotelookup.h"

#include <utility>

namespace {

// A path segment of "." or ".." is a step through the path, and HTTP clients
// resolve it before sending, encoded or not.
bool isPathStep(const QString &symbol)
{
    return symbol == u"." || symbol == u"..";
}

} // namespace

NetworkQuoteSource::NetworkQuoteSource(QuoteSiteSettings settings, QObject *parent)
    : QObject(parent)
    , m_settings(std::move(settings))
{
    m_thread.setObjectName(QStringLiteral("quote lookups"));
}

NetworkQuoteSource::~NetworkQuoteSource()
{
    if (m_worker) {
        m_worker->shutDown();
        m_thread.quit();
        m_thread.wait();
    }
    const auto lookups = std::exchange(m_lookups, {});
    for (const QPointer<NetworkQuoteLookup> &lookup : lookups) {
        if (lookup)
            lookup->sourceGone();
    }
}

QuoteLookup *NetworkQuoteSource::FetchQuotePrice(const QString &symbol, QObject *parent)
{
    if (isCashSymbol(symbol))
        return new SettledQuoteLookup(symbol, QuoteResult::withPrice(1.0), parent);
    if (m_settings.host.isEmpty()) {
        return new SettledQuoteLookup(
            symbol, QuoteResult::unpriced(QStringLiteral("no quote site configured")), parent);
    }
    const QUrl url = quotePageUrl(m_settings.host, symbol);
    if (!url.isValid()) {
        return new SettledQuoteLookup(
            symbol, QuoteResult::unpriced(QStringLiteral("page address not valid")), parent);
    }

    if (!m_worker)
        startWorker();
    const quint64 id = m_nextId++;
    auto *lookup = new NetworkQuoteLookup(symbol, id, this, parent);
    m_lookups.insert(id, lookup);
    Q_EMIT fetchRequested(id, url);
    return lookup;
}

void NetworkQuoteSource::cancel(quint64 id)
{
    if (m_lookups.remove(id) && m_worker)
        m_worker->cancel(id);
}

void NetworkQuoteSource::startWorker()
{
    m_worker = std::make_unique<QuoteWorker>(m_settings);
    m_worker->moveToThread(&m_thread);
    connect(this, &NetworkQuoteSource::fetchRequested, m_worker.get(), &QuoteWorker::fetch);
    connect(m_worker.get(), &QuoteWorker::fetched, this, &NetworkQuoteSource::deliver);
    m_thread.start();
}

void NetworkQuoteSource::deliver(quint64 id, const QuoteResult &result)
{
    const QPointer<NetworkQuoteLookup> lookup = m_lookups.take(id);
    if (lookup)
        lookup->settle(result);
}

QUrl quotePageUrl(const QString &host, const QString &symbol)
{
    if (isPathStep(symbol))
        return {};
    const QByteArray encoded = QUrl::toPercentEncoding(symbol);
    return QUrl::fromEncoded("https://" + host.toUtf8() + "/quote/" + encoded + "/?p=" + encoded,
                             QUrl::StrictMode);
}
