#include "reportcurrencyservice.h"

#include "currency.h"
#include "exchangerates.h"
#include "ratelookup.h"

#include <QPointer>

#include <utility>

// The calculation's rates, looked up on demand: the lookup is made on the
// first price that needs a rate, and each currency is asked once; the
// requests waiting for a currency are told when its rate is settled.
class RatesOnce final : public QObject
{
    Q_OBJECT

public:
    using Ready = std::function<void(const ExchangeRates &rates)>;

    RatesOnce(QString report, RateLookupMaker make, KeptRates kept)
        : m_report(std::move(report))
        , m_make(std::move(make))
        , m_kept(std::move(kept))
    {
    }

    void whenReady(const QString &from, const QObject *context, Ready ready)
    {
        if (!m_lookup) {
            m_lookup = m_make();
            connect(m_lookup.get(), &RateLookup::progressed, this, &RatesOnce::take);
        }
        m_lookup->ask(from, m_report);
        if (m_lookup->settled(from, m_report)) {
            ready(known());
            return;
        }
        m_waiting.append({from, QPointer<const QObject>(context), std::move(ready)});
    }

private:
    struct Waiting {
        QString from;
        QPointer<const QObject> context;
        Ready ready;
    };

    // Today's rates found so far, kept, with the rates kept from earlier
    // days after them.
    ExchangeRates known() const
    {
        ExchangeRates rates = m_lookup->rates();
        if (m_kept)
            m_kept(rates);
        return rates;
    }

    void take()
    {
        QList<Waiting> ready;
        for (qsizetype i = 0; i < m_waiting.size();) {
            if (m_lookup->settled(m_waiting[i].from, m_report))
                ready.append(m_waiting.takeAt(i));
            else
                ++i;
        }
        if (ready.isEmpty())
            return;
        const ExchangeRates rates = known();
        for (const Waiting &waiting : std::as_const(ready)) {
            if (waiting.context)
                waiting.ready(rates);
        }
    }

    const QString m_report;
    const RateLookupMaker m_make;
    const KeptRates m_kept;
    std::unique_ptr<RateLookup> m_lookup;
    QList<Waiting> m_waiting;
};

namespace {

// A price given in the report currency itself needs no rate.
bool needsRate(const QuoteResult &result, const QString &report)
{
    if (!result.valued() || result.currency.isEmpty())
        return false;
    const std::optional<CurrencyUnit> unit = currencyUnit(result.currency);
    return !unit || unit->code != report || unit->inCode != 1.0;
}

class ReportCurrencyRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    ReportCurrencyRequest(const QString &symbol, std::unique_ptr<QuoteRequest> inner, QString report,
                          std::shared_ptr<RatesOnce> rates)
        : QuoteRequest(symbol)
        , m_inner(std::move(inner))
        , m_report(std::move(report))
        , m_rates(std::move(rates))
    {
        connect(m_inner.get(), &QuoteRequest::finished, this, &ReportCurrencyRequest::take);
        connect(m_inner.get(), &QuoteRequest::waiting, this, &QuoteRequest::waiting);
    }

protected:
    void dropWork() override { m_inner.reset(); }

private:
    void take(const QuoteResult &result)
    {
        // A currency no code names, or a minor unit of the report's, is
        // settled without asking for rates.
        const std::optional<CurrencyUnit> unit = currencyUnit(result.currency);
        if (!needsRate(result, m_report) || !unit || unit->code == m_report) {
            finish(inReportCurrency(result, m_report, {}));
            return;
        }
        m_rates->whenReady(unit->code, this, [this, result](const ExchangeRates &rates) {
            finish(inReportCurrency(result, m_report, rates));
        });
    }

    std::unique_ptr<QuoteRequest> m_inner;
    const QString m_report;
    const std::shared_ptr<RatesOnce> m_rates;
};

} // namespace

QuoteResult inReportCurrency(const QuoteResult &result, const QString &report, const ExchangeRates &rates)
{
    QuoteResult converted = result;
    converted.reportCurrency = report;
    if (!needsRate(result, report))
        return converted;
    const std::optional<PriceInReport> price = priceInReport(result.price, result.currency, report, rates);
    if (!price) {
        converted.price = 0.0;
        converted.lastKnown = false;
        converted.failure = QuoteFailure::NoExchangeRate;
        converted.httpStatus = 0;
        converted.attempts.clear();
        return converted;
    }
    converted.price = price->price;
    converted.conversion = PriceConversion{result.price, price->multiplier, price->rate};
    return converted;
}

ReportCurrencyService::ReportCurrencyService(std::shared_ptr<QuoteService> prices, QString report,
                                             RateLookupMaker rates, KeptRates kept)
    : m_prices(std::move(prices))
    , m_report(std::move(report))
    , m_rates(std::make_shared<RatesOnce>(m_report, std::move(rates), std::move(kept)))
{
}

ReportCurrencyService::~ReportCurrencyService() = default;

std::unique_ptr<QuoteRequest> ReportCurrencyService::FetchQuotePrice(const QString &symbol)
{
    return std::make_unique<ReportCurrencyRequest>(symbol, m_prices->FetchQuotePrice(symbol), m_report, m_rates);
}

#include "reportcurrencyservice.moc"
