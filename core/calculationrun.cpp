#include "calculationrun.h"

#include "cashsymbol.h"
#include "quoteservice.h"

#include <utility>

CalculationRun::CalculationRun(const Holdings &holdings, std::shared_ptr<QuoteService> service,
                               QObject *parent)
    : QObject(parent)
    , m_holdings(holdings)
    , m_service(std::move(service))
{
    for (const Holding &holding : m_holdings) {
        if (isHeld(holding))
            ++m_heldCount;
    }
}

// The requests go first (declared last), each dropping its work silently.
CalculationRun::~CalculationRun() = default;

void CalculationRun::start()
{
    if (m_running || m_settledCount > 0)
        return;
    m_running = true;
    // Every request is sent before any answer is taken, in row order, so the
    // sites see them in the order of the rows.
    for (int row = 0; row < HoldingRowCount; ++row) {
        const Holding &holding = m_holdings[row];
        if (!isHeld(holding) || isCashSymbol(holding.symbol))
            continue;
        m_requests[row] = m_service->FetchQuotePrice(holding.symbol);
        connect(m_requests[row].get(), &QuoteRequest::finished, this,
                [this, row](const QuoteResult &result) { settle(row, result); });
        connect(m_requests[row].get(), &QuoteRequest::waiting, this, [this, row](const QString &why) {
            m_waiting[row] = why;
            Q_EMIT waitingChanged();
        });
    }
    for (int row = 0; row < HoldingRowCount && m_running; ++row) {
        if (isHeld(m_holdings[row]) && isCashSymbol(m_holdings[row].symbol))
            settle(row, QuoteResult::withPrice(kCashPrice));
    }
    if (m_running && m_settledCount == m_heldCount)
        finish();
}

void CalculationRun::stop()
{
    if (!m_running)
        return;
    m_stopped = true;
    for (std::unique_ptr<QuoteRequest> &request : m_requests) {
        if (request && !request->isFinished()) {
            disconnect(request.get(), nullptr, this, nullptr);
            request->cancel();
        }
    }
    finish();
}

void CalculationRun::settle(int row, const QuoteResult &result)
{
    if (!m_running || m_quotes[row])
        return;
    m_quotes[row] = result;
    m_waiting[row].clear();
    ++m_settledCount;
    Q_EMIT rowSettled(row, m_settledCount, m_heldCount);
    if (m_running && m_settledCount == m_heldCount)
        finish();
}

QString CalculationRun::waitingNote() const
{
    QString why;
    int count = 0;
    for (const QString &each : m_waiting) {
        if (each.isEmpty())
            continue;
        ++count;
        if (why.isEmpty())
            why = each;
    }
    return count == 0 ? QString() : tr("%1 %2").arg(count).arg(why);
}

void CalculationRun::finish()
{
    m_waiting.fill(QString());
    m_running = false;
    m_result = computeHoldings(m_holdings, m_quotes);
    Q_EMIT finished();
}
