#pragma once

#include "pricestore.h"
#include "ratestore.h"

#include <QString>

#include <memory>
#include <vector>

class LastKnownQuoteService;
class QSettings;
class QuoteService;

// The prices and exchange rates kept from one run of the program to the
// next, as the window and the commands use them: the stores and their files
// (the rates' beside the prices'), and the user's choice of valuing a failed
// lookup at its last known price (saved, on unless turned off).
class PriceMemory
{
public:
    static constexpr char kUseLastKnownKey[] = "Prices/UseLastKnown";

    PriceMemory(QSettings &settings, QString path = priceStorePath());

    // Reads both files; what to tell the user about each that had to be set
    // aside, else empty. Nothing stops a calculation: its store is then empty.
    QString load();
    // Writes what the stores hold now, whole; the errors when they could not.
    QString save() const;
    // Empties both stores and their files.
    QString forget();

    // `service`, keeping every price it finds and, while the choice is on,
    // standing in the last known price for a failed lookup. The choice
    // applies from the next lookup on, to every service made here.
    std::shared_ptr<QuoteService> remembering(std::shared_ptr<QuoteService> service) const;

    bool usesLastKnown() const;
    void setUsesLastKnown(bool use);

    const PriceStore &store() const { return *m_store; }
    RateStore &rates() { return m_rates; }
    const RateStore &rates() const { return m_rates; }

private:
    QSettings &m_settings;
    const QString m_path;
    const QString m_ratesPath;
    const std::shared_ptr<PriceStore> m_store = std::make_shared<PriceStore>();
    RateStore m_rates;
    mutable std::vector<std::weak_ptr<LastKnownQuoteService>> m_services;
};
