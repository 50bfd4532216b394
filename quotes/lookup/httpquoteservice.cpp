#include "httpquoteservice.h"

#include "retryafter.h"
#include "transferworker.h"

#include <QDateTime>
#include <QTimer>

#include <optional>
#include <utility>

using namespace std::chrono;

// A request whose page the worker fetches. Cancelling or destroying it ends
// that transfer, or the wait before asking a busy site again.
class HttpQuoteRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    HttpQuoteRequest(const QString &symbol, PageRequestPlan plan, HttpQuoteService *service)
        : QuoteRequest(symbol)
        , m_plan(std::move(plan))
        , m_service(service)
    {
        // Both waits are promises to the site (its Retry-After, its pace),
        // which a coarse timer may break by firing up to 5 % early.
        m_retryTimer.setSingleShot(true);
        m_retryTimer.setTimerType(Qt::PreciseTimer);
        m_startTimer.setSingleShot(true);
        m_startTimer.setTimerType(Qt::PreciseTimer);
    }
    ~HttpQuoteRequest() override { dropWork(); }

    const PageRequestPlan &plan() const { return m_plan; }
    quint64 id() const { return m_id; }
    void setId(quint64 id) { m_id = id; }

    // Asks once more after `wait`, within what is left of `budget`.
    bool mayRetry() const { return !m_retried; }
    void retryAfter(milliseconds wait, milliseconds budget)
    {
        m_retried = true;
        m_id = 0;
        m_retryTimer.callOnTimeout(this, [this, budget] {
            if (m_service)
                m_service->send(*this, budget);
        });
        m_retryTimer.start(wait);
    }

    // Sent once its source's pace allows; till then it says so, from the
    // event loop, so that the caller can connect first.
    void sendAfter(milliseconds wait, const QString &why)
    {
        QMetaObject::invokeMethod(this, [this, why] { Q_EMIT waiting(why); }, Qt::QueuedConnection);
        m_startTimer.callOnTimeout(this, [this] {
            if (m_service)
                m_service->sendPaced(*this);
        });
        m_startTimer.start(wait);
    }

    void settle(const QuoteResult &result)
    {
        m_id = 0;
        finish(result);
    }
    // Told from the event loop, so that the service's destruction makes no
    // calls back into whoever waits for this request.
    void serviceGone()
    {
        m_service = nullptr;
        m_retryTimer.stop();
        m_startTimer.stop();
        finishLater(QuoteResult::stopped());
    }

protected:
    void dropWork() override
    {
        m_retryTimer.stop();
        m_startTimer.stop();
        if (m_service && m_id != 0)
            m_service->drop(m_id);
        m_id = 0;
    }

private:
    const PageRequestPlan m_plan;
    QPointer<HttpQuoteService> m_service;
    QTimer m_retryTimer;
    QTimer m_startTimer;
    quint64 m_id = 0;
    bool m_retried = false;
};

HttpQuoteService::HttpQuoteService(TransferSettings settings, PageRequestPlanner planner,
                                   std::shared_ptr<TransferWorker> worker, int shareLimit, RequestPace pace,
                                   QObject *parent)
    : QObject(parent)
    , m_settings(std::make_shared<const TransferSettings>(std::move(settings)))
    , m_planner(std::move(planner))
    , m_worker(std::move(worker))
    , m_share(m_worker->newShare())
    , m_shareLimit(shareLimit)
    , m_pacer(pace.perMinute)
    , m_paceNote(std::move(pace.note))
{
    connect(m_worker.get(), &TransferWorker::pageDone, this, &HttpQuoteService::take, Qt::QueuedConnection);
}

HttpQuoteService::~HttpQuoteService()
{
    const auto inFlight = std::exchange(m_inFlight, {});
    for (auto it = inFlight.begin(); it != inFlight.end(); ++it) {
        m_worker->cancel(it.key());
        if (it.value())
            it.value()->serviceGone();
    }
    for (const QPointer<HttpQuoteRequest> &request : std::exchange(m_paced, {})) {
        if (request)
            request->serviceGone();
    }
}

std::unique_ptr<QuoteRequest> HttpQuoteService::FetchQuotePrice(const QString &symbol)
{
    PageRequestPlan plan = m_planner(symbol);
    if (plan.problem != QuoteFailure::None)
        return std::make_unique<SettledQuoteRequest>(symbol, QuoteResult::failed(plan.problem));

    auto request = std::make_unique<HttpQuoteRequest>(symbol, std::move(plan), this);
    const StartPacer::Clock::time_point now = StartPacer::Clock::now();
    const milliseconds wait = duration_cast<milliseconds>(m_pacer.book(now) - now);
    if (wait > milliseconds(0)) {
        m_paced.append(request.get());
        request->sendAfter(wait, m_paceNote);
    } else {
        send(*request, m_settings->limits.overallTimeout);
    }
    return request;
}

void HttpQuoteService::sendPaced(HttpQuoteRequest &request)
{
    m_paced.removeAll(&request);
    Q_EMIT request.waiting(QString());
    send(request, m_settings->limits.overallTimeout);
}

void HttpQuoteService::send(HttpQuoteRequest &request, milliseconds budget)
{
    const PageRequestPlan &plan = request.plan();
    TransferRequest transfer{plan.url.toEncoded(), plan.headers, plan.headersHoldKey, plan.newReader(), budget,
                             m_settings, m_share, m_shareLimit};
    const quint64 id = m_worker->submit(std::move(transfer));
    request.setId(id);
    m_inFlight.insert(id, &request);
}

void HttpQuoteService::drop(quint64 id)
{
    if (m_inFlight.remove(id))
        m_worker->cancel(id);
}

void HttpQuoteService::take(quint64 id, const PageOutcome &outcome)
{
    const QPointer<HttpQuoteRequest> request = m_inFlight.take(id);
    if (!request)
        return;
    m_silentInARow = isNoAnswer(outcome.result.failure) ? m_silentInARow + 1 : 0;
    if (request->mayRetry()) {
        const milliseconds overall = m_settings->limits.overallTimeout;
        const milliseconds spent = duration_cast<milliseconds>(steady_clock::now() - outcome.started);
        const std::optional<seconds> wait =
            retryWait(outcome.result, outcome.retryAfter, QDateTime::currentDateTimeUtc(), spent, overall);
        if (wait) {
            request->retryAfter(*wait, overall - spent - *wait);
            return;
        }
    }
    std::optional<QuoteResult> endTheRest;
    if (m_silentInARow >= kMaxSilentInARow) {
        endTheRest = QuoteResult::failed(outcome.result.failure);
        endTheRest->limit = kMaxSilentInARow;
    } else if (outcome.result.failure == QuoteFailure::RateLimited) {
        endTheRest = outcome.result;
    }
    // Whoever is told may let this service go.
    const QPointer<HttpQuoteService> alive(this);
    request->settle(outcome.result);
    if (!alive)
        return;
    if (endTheRest)
        endWaiting(*endTheRest);
    else if (m_inFlight.isEmpty() && m_paced.isEmpty())
        m_silentInARow = 0;
}

void HttpQuoteService::endWaiting(const QuoteResult &result)
{
    QList<QPointer<HttpQuoteRequest>> waiting = std::exchange(m_paced, {});
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it) {
        m_worker->cancel(it.key());
        waiting << it.value();
    }
    m_inFlight.clear();
    m_silentInARow = 0;
    // Whoever is told may drop other requests, or let this service go: each
    // request is looked at afresh, and once the service is gone the rest
    // end as its going ends them.
    const QPointer<HttpQuoteService> alive(this);
    for (const QPointer<HttpQuoteRequest> &request : std::as_const(waiting)) {
        if (!request)
            continue;
        if (alive)
            request->settle(result);
        else
            request->serviceGone();
    }
}

#include "httpquoteservice.moc"
