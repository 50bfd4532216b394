#include "calculationrun.h"

#include "quotelookup.h"
#include "quotesource.h"


CalculationRun::CalculationRun(const HoldingInputs &holdings, QuoteSource &source, QObject *parent)
    : QObject(parent)
    , m_holdings(holdings)
    , m_source(source)
{
    for (const HoldingInput &holding : m_holdings) {
        if (isHeld(holding))
            ++m_heldCount;
    }
}

CalculationRun::~CalculationRun()
{
    // The lookup is our child; cut it loose first so that its teardown cannot
    // call back into a half-destroyed run.
    if (m_lookup) {
        disconnect(m_lookup, nullptr, this, nullptr);
        delete m_lookup;
    }
}

void CalculationRun::start()
{
    if (m_running)
        return;
    m_running = true;
    startNextLookup();
}

void CalculationRun::stop()
{
    if (!m_running)
        return;
    m_stopped = true;
    if (m_lookup) {
        disconnect(m_lookup, nullptr, this, nullptr);
        m_lookup->abort();
        m_lookup->deleteLater();
        m_lookup = nullptr;
    }
    finish();
}

void CalculationRun::startNextLookup()
{
    int row = m_lookupRow + 1;
    while (row < HoldingRowCount && !isHeld(m_holdings[row]))
        ++row;
    if (row == HoldingRowCount) {
        finish();
        return;
    }

    m_lookupRow = row;
    const QString &symbol = m_holdings[row].symbol;
    m_lookup = m_source.FetchQuotePrice(symbol, this);
    connect(m_lookup, &QuoteLookup::finished, this, &CalculationRun::takeLookupResult);
    // Said once the request is on its way, so the window's repainting of its
    // progress overlaps the network instead of delaying it.
    Q_EMIT pricing(symbol, ++m_position, m_heldCount);
}

void CalculationRun::takeLookupResult()
{
    m_quotes[m_lookupRow] = m_lookup->result();
    m_lookup->deleteLater();
    m_lookup = nullptr;
    startNextLookup();
}

void CalculationRun::finish()
{
    m_running = false;
    m_result = computeHoldings(m_holdings, m_quotes);
    Q_EMIT finished();
}
