#include "pagesource.h"

#include "quotesitestore.h"
#include "quotesourcestore.h"

PageSourceService::PageSourceService(const QString &host, const TransferSettings &settings,
                                     std::shared_ptr<TransferWorker> worker)
    : m_worker(std::move(worker))
    , m_service(QuoteSourceStore::carriedOver(StoredQuoteSite{host, {}}).value(0), m_keys, settings, m_worker)
{
}
