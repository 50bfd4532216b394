#include "pricememory.h"

#include "lastknownquoteservice.h"

#include <QSettings>

namespace {

// One line for the status line, whichever files had something to say.
QString joined(const QString &prices, const QString &rates)
{
    if (prices.isEmpty() || rates.isEmpty())
        return prices + rates;
    return prices + u' ' + rates;
}

} // namespace

PriceMemory::PriceMemory(QSettings &settings, QString path)
    : m_settings(settings)
    , m_path(std::move(path))
    , m_ratesPath(rateStorePath(m_path))
{
}

QString PriceMemory::load()
{
    const QString prices = m_store->load(m_path).message();
    return joined(prices, m_rates.load(m_ratesPath).message());
}

QString PriceMemory::save() const
{
    const QString prices = m_store->save(m_path).error;
    return joined(prices, m_rates.save(m_ratesPath).error);
}

QString PriceMemory::forget()
{
    m_store->forget();
    m_rates.forget();
    return save();
}

std::shared_ptr<QuoteService> PriceMemory::remembering(std::shared_ptr<QuoteService> service) const
{
    auto remembering = std::make_shared<LastKnownQuoteService>(std::move(service), m_store);
    remembering->setFallbackEnabled(usesLastKnown());
    std::erase_if(m_services, [](const std::weak_ptr<LastKnownQuoteService> &made) { return made.expired(); });
    m_services.push_back(remembering);
    return remembering;
}

bool PriceMemory::usesLastKnown() const
{
    // Anything but a plain "false" keeps the default: a hostile value turns
    // nothing off.
    return m_settings.value(QLatin1String(kUseLastKnownKey)).toString() != QLatin1String("false");
}

void PriceMemory::setUsesLastKnown(bool use)
{
    m_settings.setValue(QLatin1String(kUseLastKnownKey), use ? QStringLiteral("true") : QStringLiteral("false"));
    m_settings.sync();
    for (const std::weak_ptr<LastKnownQuoteService> &made : m_services) {
        if (const auto service = made.lock())
            service->setFallbackEnabled(use);
    }
}
