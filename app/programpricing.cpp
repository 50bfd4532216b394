#include "programpricing.h"

#include "keyfile.h"
#include "transferworker.h"

#include <QProcessEnvironment>
#include <QSettings>

ProgramPricing::ProgramPricing(QSettings &settings)
    : m_settings(settings)
    , m_keyStore(KeyFile(KeyFile::besideSettings(settings.fileName())))
    , m_keys(m_keyStore, QProcessEnvironment::systemEnvironment())
    , m_prices(settings)
    , m_worker(std::make_shared<TransferWorker>())
{
}

ProgramPricing::~ProgramPricing() = default;

PricingChain ProgramPricing::chain()
{
    return buildPricingChain(m_settings, QProcessEnvironment::systemEnvironment(), m_keys, m_prices, m_worker);
}
