#include "reportcurrencyservice.h"

#include "currency.h"
#include "exchangerates.h"
#include "ratelookup.h"

#include <QPointer>

#include <utility>

// The calculation's rates, looked up once, on the first demand; the
// requests waiting for them are told when they are in.
class RatesOnce final : public QObject
{
    Q_OBJECT

public:
    using Ready = std::function<void(const ExchangeRates &rates)>;

    RatesOnce(RateLookupMaker make, KeptRates kept)
        : m_make(std::move(make))
        , m_kept(std::move(kept))
    {
    }

    void whenReady(const QObject *context, Ready ready)
    {
        if (m_ready) {
            ready(m_rates);
            return;
        }
        m_waiting.append({QPointer<const QObject>(context), std::move(ready)});
        if (m_lookup)
            return;
        m_lookup = m_make();
        connect(m_lookup.get(), &RateLookup::finished, this, &RatesOnce::take);
        m_lookup->start();
    }

private:
    void take()
    {
        m_rates = m_lookup->rates();
        if (m_kept)
            m_kept(m_rates);
        m_ready = true;
        for (const auto &[context, ready] : std::exchange(m_waiting, {})) {
            if (context)
                ready(m_rates);
        }
    }

    const RateLookupMaker m_make;
    const KeptRates m_kept;
    std::unique_ptr<RateLookup> m_lookup;
    QList<std::pair<QPointer<const QObject>, Ready>> m_waiting;
    ExchangeRates m_rates;
    bool m_ready = false;
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
    }

protected:
    void dropWork() override { m_inner.reset(); }

private:
    void take(const QuoteResult &result)
    {
        if (!needsRate(result, m_report)) {
            finish(inReportCurrency(result, m_report, {}));
            return;
        }
        m_rates->whenReady(this, [this, result](const ExchangeRates &rates) {
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
    , m_rates(std::make_shared<RatesOnce>(std::move(rates), std::move(kept)))
{
}

ReportCurrencyService::~ReportCurrencyService() = default;

std::unique_ptr<QuoteRequest> ReportCurrencyService::FetchQuotePrice(const QString &symbol)
{
    return std::make_unique<ReportCurrencyRequest>(symbol, m_prices->FetchQuotePrice(symbol), m_report, m_rates);
}

#include "reportcurrencyservice.moc"
