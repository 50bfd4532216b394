#pragma once

#include "desktopkeystore.h"
#include "pricememory.h"
#include "pricingchain.h"
#include "sourcekeys.h"

#include <memory>

class QSettings;
class TransferWorker;

// What the program prices with, the window and the commands alike: the
// user's API keys, the kept prices and the process's one transfer worker,
// and the chain built over them from the settings and the environment.
class ProgramPricing
{
public:
    explicit ProgramPricing(QSettings &settings);
    ~ProgramPricing();

    // The sources the settings and the environment give now.
    PricingChain chain();

    KeyStore &keyStore() { return m_keyStore; }
    // Where keys go that the desktop keyring does not take.
    QString keyFile() const { return m_keyStore.filePath(); }
    SourceKeys &keys() { return m_keys; }
    PriceMemory &prices() { return m_prices; }
    const std::shared_ptr<TransferWorker> &worker() const { return m_worker; }

private:
    QSettings &m_settings;
    DesktopKeyStore m_keyStore;
    SourceKeys m_keys;
    PriceMemory m_prices;
    const std::shared_ptr<TransferWorker> m_worker;
};
