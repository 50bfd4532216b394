#pragma once

#include "memorykeystore.h"
#include "quoteservice.h"
#include "sourcekeys.h"
#include "sourcequoteservice.h"
#include "transfersettings.h"
#include "transferworker.h"

#include <memory>

// The quote page at `host` as the program prices it: the page source a quote
// site saved before there were sources becomes, through the source service
// the pricing chain uses, over a transfer worker of the test's.
class PageSourceService final : public QuoteService
{
public:
    PageSourceService(const QString &host, const TransferSettings &settings,
                      std::shared_ptr<TransferWorker> worker = std::make_shared<TransferWorker>());

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override
    {
        return m_service.FetchQuotePrice(symbol);
    }
    const std::shared_ptr<TransferWorker> &worker() const { return m_worker; }

private:
    MemoryKeyStore m_store;
    SourceKeys m_keys{m_store};
    std::shared_ptr<TransferWorker> m_worker;
    SourceQuoteService m_service;
};
