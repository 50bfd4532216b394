#pragma once

#include "httpquoteservice.h"
#include "quoteservice.h"
#include "quotesource.h"
#include "sourcekeys.h"
#include "transfersettings.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

class BatchMemberRequest;
class BatchAnswerReader;
class TransferWorker;

// Whether a source is asked per symbol, for several symbols a request
// ({SYMBOLS} in its address), or once for every symbol (no symbol in it).
enum class SourceAsking { PerSymbol, Batch, OneForAll };
SourceAsking sourceAsking(const QuoteSource &source);

// The requests that ask `source` for `symbols` (each once, in order): for a
// batch source, at most its batchSize a request, fewer where the address
// would pass SourceLimits::kMaxBatchUrlChars; for one answer for all, one.
QList<QStringList> sourceBatches(const QuoteSource &source, const QStringList &symbols, const QString &key);

// Prices symbols from a source whose answers serve several symbols: the
// symbols asked for while the event loop is busy elsewhere (a calculation
// asks for all of its symbols at once) go out together, in the requests
// sourceBatches() makes, over the process's transfer worker within the
// source's connections; each symbol's price is read from its request's
// answer. A request that fails fails each of its symbols with its reason.
class BatchQuoteService final : public QObject, public QuoteService
{
    Q_OBJECT

public:
    BatchQuoteService(const QuoteSource &source, SourceKeys &keys, const TransferSettings &base,
                      std::shared_ptr<TransferWorker> worker);
    ~BatchQuoteService() override;

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

private:
    struct Batch {
        std::unique_ptr<QuoteRequest> request;
        std::shared_ptr<std::shared_ptr<BatchAnswerReader>> reader; // the latest transfer's
        QList<QPointer<BatchMemberRequest>> members;
    };

    void send();
    void sendWithKey(const FoundKey &found);
    void settle(const QuoteRequest *request, const QuoteResult &result);

    const QuoteSource m_source;
    SourceKeys &m_keys;
    std::optional<FoundKey> m_key;
    // Each batch's request is asked of the HTTP service under a number of
    // its own, its plan made when it is sent.
    const std::shared_ptr<QHash<QString, PageRequestPlan>> m_plans;
    const std::shared_ptr<HttpQuoteService> m_http;
    QList<QPointer<BatchMemberRequest>> m_waiting;
    bool m_sendQueued = false;
    quint64 m_sent = 0;
    std::vector<Batch> m_batches;
};
