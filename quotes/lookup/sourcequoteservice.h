#pragma once

#include "httpquoteservice.h"
#include "quoteservice.h"
#include "quotesource.h"
#include "sourcekeys.h"
#include "transfersettings.h"

#include <QString>

#include <memory>
#include <optional>

class BatchAnswerReader;
class TransferWorker;

// Prices symbols from one quote source over HTTPS: its address and headers
// for each symbol, with its API key put in; its answers read in its format;
// its certificate trusted besides the system's store; at most its number of
// connections to its host at a time, within the host's own limit, over the
// process's one transfer worker. A source that uses a key asks `keys` for it
// on its first lookup.
class SourceQuoteService final : public QuoteService
{
public:
    // `base` gives the proxy, the limits and any certificates trusted for
    // every source; the source adds its own.
    SourceQuoteService(const QuoteSource &source, SourceKeys &keys, const TransferSettings &base,
                       std::shared_ptr<TransferWorker> worker);

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

    // How `source` paces its requests, and the words for a request waiting.
    static RequestPace pace(const QuoteSource &source);
    // The transport's settings for `source` over `base`.
    static TransferSettings transportSettings(const QuoteSource &source, const TransferSettings &base);
    // What is sent for `symbol`, and how its answer is read.
    static PageRequestPlan requestPlan(const QuoteSource &source, const QString &key, const QString &symbol);
    // The result of the source named `source`, which needs a key, when
    // `found` holds none: it is not asked, and the reason says where the key
    // was looked for.
    static QuoteResult keyMissing(const QString &source, const FoundKey &found);
    // What is sent for several symbols of a source whose answers serve
    // several; each transfer's reader is put in `reader` as it is made.
    static PageRequestPlan batchPlan(const QuoteSource &source, const QString &key, const QStringList &symbols,
                                     std::shared_ptr<std::shared_ptr<BatchAnswerReader>> reader);

private:
    const QuoteSource m_source;
    SourceKeys &m_keys;
    // Empty until the key is looked up; shared with the planner.
    const std::shared_ptr<std::optional<FoundKey>> m_key = std::make_shared<std::optional<FoundKey>>();
    const std::shared_ptr<HttpQuoteService> m_http;
};
