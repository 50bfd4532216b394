#pragma once

#include "exchangerates.h"
#include "quoteresult.h"
#include "ratesource.h"
#include "transfersettings.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <memory>

class ReferenceRatesReader;
class TransferWorker;
struct PageOutcome;

// One calculation's exchange rates: every rate source asked at once over the
// process's transfer worker, each for its whole document. finished() comes
// once every source has answered, or from stop().
class RateLookup final : public QObject
{
    Q_OBJECT

public:
    // `base` gives the proxy, limits and trust besides each source's own.
    RateLookup(QList<RateSource> sources, std::shared_ptr<TransferWorker> worker, TransferSettings base = {},
               QObject *parent = nullptr);
    // Ends what is still being fetched, unreported.
    ~RateLookup() override;

    // Asks every source, once.
    void start();
    // Ends every fetch now; finished() is emitted before this returns.
    void stop();
    bool isRunning() const { return m_running; }

    // Today's rates, a table for each source that gave some, in the
    // sources' order.
    const ExchangeRates &rates() const { return m_rates; }
    // Each source that gave none, and why.
    const QList<QuoteAttempt> &failures() const { return m_failures; }

Q_SIGNALS:
    void finished();

private:
    struct Fetch {
        RateSource source;
        std::shared_ptr<ReferenceRatesReader> reader;
        std::optional<QuoteResult> result;
    };

    void take(quint64 id, const PageOutcome &outcome);
    void finish();

    const std::shared_ptr<TransferWorker> m_worker;
    const TransferSettings m_base;
    QList<Fetch> m_fetches;
    QHash<quint64, qsizetype> m_inFlight; // transfer id -> fetch
    ExchangeRates m_rates;
    QList<QuoteAttempt> m_failures;
    bool m_started = false;
    bool m_running = false;
};
