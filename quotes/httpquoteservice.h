#pragma once

#include "quoteservice.h"
#include "quotesitesettings.h"
#include "retryafter.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <memory>

class HttpQuoteRequest;
class TransferWorker;
struct PageOutcome;

// Prices symbols from the quote site's pages over HTTPS. Every request is a
// transfer on one worker thread, at most kMaxConnectionsPerHost to a host at
// a time, the rest waiting their turn; answers come back through the event
// loop, so no site can hold up the thread the service lives on. The worker
// starts with the first request. Nothing is cached.
class HttpQuoteService final : public QObject, public QuoteService
{
    Q_OBJECT

public:
    static constexpr int kMaxConnectionsPerHost = QuoteTransferLimits::kMaxConnectionsPerHost;
    // A busy site (429, or 503 with Retry-After) that asks for no longer than
    // this, and whose wait still fits in the lookup's overall time, is asked
    // once more after the wait.
    static constexpr std::chrono::seconds kMaxRetryAfter = ::kMaxRetryAfter;

    explicit HttpQuoteService(QuoteSiteSettings settings, QObject *parent = nullptr);
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
    std::unique_ptr<TransferWorker> m_worker;
    QHash<quint64, QPointer<HttpQuoteRequest>> m_inFlight;
    quint64 m_nextId = 1;
};
