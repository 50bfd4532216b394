#pragma once

#include "quoteservice.h"
#include "transfersettings.h"
#include "transferworker.h"
#include "retryafter.h"
#include "startpacer.h"

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

// What is sent for one symbol, and how each answer to it is read; or why
// nothing can be sent.
struct PageRequestPlan {
    QUrl url;
    QByteArrayList headers;                                // "Name: value"
    bool headersHoldKey = false;
    std::function<std::shared_ptr<PageReader>()> newReader; // one per transfer, retries included
    QuoteFailure problem = QuoteFailure::None;
};
using PageRequestPlanner = std::function<PageRequestPlan(const QString &symbol)>;

// How a source paces its requests: at most `perMinute` start in any minute
// (0: no limit); `note` tells why a request waits.
struct RequestPace {
    int perMinute = 0;
    QString note;
};

// Prices symbols over HTTPS through the process's one transfer worker:
// every request is a transfer on its thread, waiting its turn at its host
// (at most HostQueues::kMaxConnectionsPerHost to a host whoever asks, and at
// most `shareLimit` of this service's at a time); answers come back through
// the event loop, so no site can hold up the thread the service lives on.
// What a symbol's request is comes from a planner. Nothing is cached.
class HttpQuoteService final : public QObject, public QuoteService
{
    Q_OBJECT

public:
    // A busy site (429, or 503 with Retry-After) that asks for no longer than
    // this, and whose wait still fits in the lookup's overall time, is asked
    // once more after the wait.
    static constexpr std::chrono::seconds kMaxRetryAfter = ::kMaxRetryAfter;
    // Once this many requests in a row got no answer at all (timed out,
    // refused, host unknown, no secure connection), the source is taken for
    // down: the requests still waiting end at once with that reason, so
    // they fail over; a busy answer not waited out ends them likewise. The
    // count starts afresh once nothing is waiting.
    static constexpr int kMaxSilentInARow = 4;

    // The requests `planner` makes, fetched by `worker` with `settings`'
    // trust, proxy and limits, at `pace`.
    HttpQuoteService(TransferSettings settings, PageRequestPlanner planner, std::shared_ptr<TransferWorker> worker,
                     int shareLimit = HostQueues::kMaxConnectionsPerHost, RequestPace pace = {}, QObject *parent = nullptr);
    // Ends its transfers; requests still alive finish "stopped" from the
    // event loop.
    ~HttpQuoteService() override;

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

    const TransferSettings &settings() const { return *m_settings; }

private:
    friend class HttpQuoteRequest;

    void send(HttpQuoteRequest &request, std::chrono::milliseconds budget);
    void sendPaced(HttpQuoteRequest &request);
    void drop(quint64 id);
    void take(quint64 id, const PageOutcome &outcome);
    // Ends every request still waiting with `result`.
    void endWaiting(const QuoteResult &result);

    const std::shared_ptr<const TransferSettings> m_settings;
    const PageRequestPlanner m_planner;
    const std::shared_ptr<TransferWorker> m_worker;
    const quint64 m_share;
    const int m_shareLimit;
    StartPacer m_pacer;
    const QString m_paceNote;
    QHash<quint64, QPointer<HttpQuoteRequest>> m_inFlight;
    QList<QPointer<HttpQuoteRequest>> m_paced;   // waiting for their start
    int m_silentInARow = 0;
};
