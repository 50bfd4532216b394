#pragma once

#include "pricestore.h"

#include <QString>

#include <memory>
#include <vector>

class LastKnownQuoteService;
class QSettings;
class QuoteService;

// The prices kept from one run of the program to the next, as the window
// and the commands use them: the store and its file, and the user's choice
// of valuing a failed lookup at its last known price (saved, on unless
// turned off).
class PriceMemory
{
public:
    static constexpr char kUseLastKnownKey[] = "Prices/UseLastKnown";

    PriceMemory(QSettings &settings, QString path = priceStorePath());

    // Reads the file; what to tell the user when it had to be set aside,
    // else empty. Nothing stops a calculation: the store is then empty.
    QString load();
    // Writes what the store holds now, whole; the error when it could not.
    QString save() const;
    // Empties the store and its file.
    QString forget();

    // `service`, keeping every price it finds and, while the choice is on,
    // standing in the last known price for a failed lookup. The choice
    // applies from the next lookup on, to every service made here.
    std::shared_ptr<QuoteService> remembering(std::shared_ptr<QuoteService> service) const;

    bool usesLastKnown() const;
    void setUsesLastKnown(bool use);

    const PriceStore &store() const { return *m_store; }

private:
    QSettings &m_settings;
    const QString m_path;
    const std::shared_ptr<PriceStore> m_store = std::make_shared<PriceStore>();
    mutable std::vector<std::weak_ptr<LastKnownQuoteService>> m_services;
};
