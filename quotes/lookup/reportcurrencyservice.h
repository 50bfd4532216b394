#pragma once

#include "quoteservice.h"

#include <QString>

#include <functional>
#include <memory>

class ExchangeRates;
class RateLookup;
class RatesOnce;

// Makes the lookup of one calculation's exchange rates.
using RateLookupMaker = std::function<std::unique_ptr<RateLookup>()>;
// Adds the rates kept from earlier days after today's; and keeps today's.
using KeptRates = std::function<void(ExchangeRates &rates)>;

// One calculation's prices in the report currency: each price the inner
// service finds in another currency (or a minor unit of the report's) waits
// for the calculation's exchange rates, asked once, when the first such
// price comes, and is converted at them; without a rate it is no price
// ("no exchange rate from JPY to EUR"), never one for one. A price with no
// currency is taken in the report currency.
class ReportCurrencyService final : public QuoteService
{
public:
    ReportCurrencyService(std::shared_ptr<QuoteService> prices, QString report, RateLookupMaker rates,
                          KeptRates kept = {});
    ~ReportCurrencyService() override;

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

    const QString &reportCurrency() const { return m_report; }

private:
    const std::shared_ptr<QuoteService> m_prices;
    const QString m_report;
    const std::shared_ptr<RatesOnce> m_rates;
};

// `result` in `report` at `rates`: converted, marked with the report
// currency, or failed with NoExchangeRate. A result without a price, or
// with none to convert, is only marked.
QuoteResult inReportCurrency(const QuoteResult &result, const QString &report, const ExchangeRates &rates);
