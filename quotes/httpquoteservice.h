#pragma once

#include "quoteservice.h"
#include "quotesitesettings.h"
#include "retryafter.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <memory>

#include <QByteArrayList>
#include <QUrl>

#include <functional>

class HttpQuoteRequest;
class PageReader;
class TransferWorker;
struct PageOutcome;

// What is sent for one symbol, and how each answer to it is read; or why
// nothing can be sent.
struct PageRequestPlan {
    QUrl url;
    QByteArrayList headers;                                // "Name: value"
    std::function<std::shared_ptr<PageReader>()> newReader; // one per transfer, retries included
    QuoteFailure problem = QuoteFailure::None;
};
using PageRequestPlanner = std::function<PageRequestPlan(const QString &symbol)>;

// Prices symbols from the quote site's pages over HTTPS. Every request is a
// transfer on one worker thread, at most kMaxConnectionsPerHost to a host at
// a time, the rest waiting their turn; answers come back through the event
// loop, so no site can hold up the thread the service lives on. The worker
// starts with the first request. Nothing is cached. What a symbol's
// request is comes from a planner: the quote site's page by default.
class HttpQuoteService final : public QObject, public QuoteService
{
    Q_OBJECT

public:
    static constexpr int kMaxConnectionsPerHost = QuoteTransferLimits::kMaxConnectionsPerHost;
    // A busy site (429, or 503 with Retry-After) that asks for no longer than
    // this, and whose wait still fits in the lookup's overall time, is asked
    // once more after the wait.
    static constexpr std::chrono::seconds kMaxRetryAfter = ::kMaxRetryAfter;

    // The quote site's page at settings.host.
    explicit HttpQuoteService(QuoteSiteSettings settings, QObject *parent = nullptr);
    // The requests `planner` makes, fetched with `settings`' trust, proxy
    // and limits; settings.host is not used.
    HttpQuoteService(QuoteSiteSettings settings, PageRequestPlanner planner, QObject *parent = nullptr);
    // Ends every transfer; requests still alive finish "stopped" from the
    // event loop.
    ~HttpQuoteService() override;

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

    const QuoteSiteSettings &settings() const { return m_settings; }

private:
    friend class HttpQuoteRequest;

    void send(HttpQuoteRequest &request, std::chrono::milliseconds budget);
    void drop(quint64 id);
    void take(quint64 id, const PageOutcome &outcome);

    const QuoteSiteSettings m_settings;
    const PageRequestPlanner m_planner;
    std::unique_ptr<TransferWorker> m_worker;
    QHash<quint64, QPointer<HttpQuoteRequest>> m_inFlight;
    quint64 m_nextId = 1;
};
