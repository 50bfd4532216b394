#include "batchquoteservice.h"

#include "batchanswerreader.h"
#include "sourceaddress.h"
#include "sourcekeys.h"
#include "sourcelimits.h"
#include "sourcequoteservice.h"

#include <QTimer>

#include <utility>

// A symbol waiting in a batch: finished with the symbol's own result once
// its batch's answer is read.
class BatchMemberRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    explicit BatchMemberRequest(const QString &symbol)
        : QuoteRequest(symbol)
    {
    }
    void settle(const QuoteResult &result) { finish(result); }
    void serviceGone() { finishLater(QuoteResult::stopped()); }
};

SourceAsking sourceAsking(const QuoteSource &source)
{
    const UrlTemplateUse use = urlTemplateUse(source.url);
    if (use.symbols)
        return SourceAsking::Batch;
    // A rate source's pair and the quote page name what they are asked for.
    const bool named = use.symbol || use.from || use.to;
    if (named || source.format == SourceFormat::Page || source.format == SourceFormat::Reference)
        return SourceAsking::PerSymbol;
    return SourceAsking::OneForAll;
}

QList<QStringList> sourceBatches(const QuoteSource &source, const QStringList &symbols, const QString &key)
{
    QStringList once = symbols;
    once.removeDuplicates();
    if (once.isEmpty())
        return {};
    if (sourceAsking(source) != SourceAsking::Batch)
        return {once};
    QList<QStringList> batches;
    QStringList batch;
    for (const QString &symbol : once) {
        QStringList longer = batch;
        longer << symbol;
        const bool tooMany = longer.size() > source.batchSize;
        const bool tooLong = !batch.isEmpty()
            && batchAddress(source, longer, key).url.toEncoded().size() > SourceLimits::kMaxBatchUrlChars;
        if (tooMany || tooLong) {
            batches << batch;
            batch = {symbol};
        } else {
            batch = longer;
        }
    }
    batches << batch;
    return batches;
}

BatchQuoteService::BatchQuoteService(const QuoteSource &source, SourceKeys &keys, const TransferSettings &base,
                                     std::shared_ptr<TransferWorker> worker)
    : m_source(source)
    , m_keys(keys)
    , m_plans(std::make_shared<QHash<QString, PageRequestPlan>>())
    , m_http(std::make_shared<HttpQuoteService>(
          SourceQuoteService::transportSettings(source, base),
          // Each batch's plan is made when it is sent, the key known.
          [plans = m_plans](const QString &name) { return plans->take(name); }, std::move(worker),
          source.connections, SourceQuoteService::pace(source)))
{
}

BatchQuoteService::~BatchQuoteService()
{
    for (const QPointer<BatchMemberRequest> &member : std::as_const(m_waiting)) {
        if (member)
            member->serviceGone();
    }
    for (const Batch &batch : m_batches) {
        for (const QPointer<BatchMemberRequest> &member : batch.members) {
            if (member)
                member->serviceGone();
        }
    }
}

std::unique_ptr<QuoteRequest> BatchQuoteService::FetchQuotePrice(const QString &symbol)
{
    auto request = std::make_unique<BatchMemberRequest>(symbol);
    m_waiting.append(request.get());
    if (!m_sendQueued) {
        // The rest of the calculation's symbols are asked for before the
        // event loop comes back here.
        m_sendQueued = true;
        QTimer::singleShot(0, this, &BatchQuoteService::send);
    }
    return request;
}

void BatchQuoteService::send()
{
    m_sendQueued = false;
    if (!sourceUsesKey(m_source)) {
        sendWithKey(FoundKey{});
        return;
    }
    if (m_key) {
        sendWithKey(*m_key);
        return;
    }
    m_keys.withKey(m_source.name, this, [this](const FoundKey &found) {
        m_key = found;
        sendWithKey(found);
    });
}

void BatchQuoteService::sendWithKey(const FoundKey &found)
{
    QList<QPointer<BatchMemberRequest>> waiting = std::exchange(m_waiting, {});
    if (found.key.isEmpty() && sourceUsesKey(m_source)) {
        for (const QPointer<BatchMemberRequest> &member : std::as_const(waiting)) {
            if (member)
                member->settle(SourceQuoteService::keyMissing(m_source.name, found));
        }
        return;
    }
    const QString &key = found.key;
    QStringList symbols;
    for (const QPointer<BatchMemberRequest> &member : std::as_const(waiting)) {
        if (member)
            symbols << member->symbol();
    }
    for (const QStringList &symbolsAsked : sourceBatches(m_source, symbols, key)) {
        Batch &batch = m_batches.emplace_back();
        batch.reader = std::make_shared<std::shared_ptr<BatchAnswerReader>>();
        for (const QPointer<BatchMemberRequest> &member : std::as_const(waiting)) {
            if (member && symbolsAsked.contains(member->symbol()))
                batch.members << member;
        }
        const QString name = QString::number(++m_sent);
        m_plans->insert(name, SourceQuoteService::batchPlan(m_source, key, symbolsAsked, batch.reader));
        batch.request = m_http->FetchQuotePrice(name);
        connect(batch.request.get(), &QuoteRequest::finished, this,
                [this, request = batch.request.get()](const QuoteResult &result) { settle(request, result); });
        for (const QPointer<BatchMemberRequest> &member : std::as_const(batch.members))
            connect(batch.request.get(), &QuoteRequest::waiting, member.get(), &QuoteRequest::waiting);
    }
}

void BatchQuoteService::settle(const QuoteRequest *request, const QuoteResult &result)
{
    const auto batch = std::find_if(m_batches.begin(), m_batches.end(),
                                    [request](const Batch &each) { return each.request.get() == request; });
    if (batch == m_batches.end())
        return;
    // A batch whose answer was read gives each symbol its own result; one
    // that failed before, its failure.
    const std::shared_ptr<BatchAnswerReader> reader = *batch->reader;
    const bool read = reader && !reader->results().isEmpty();
    const QList<QPointer<BatchMemberRequest>> members = batch->members;
    // Not deleted from its own signal.
    batch->request.release()->deleteLater();
    m_batches.erase(batch);
    for (const QPointer<BatchMemberRequest> &member : members) {
        if (member)
            member->settle(read ? reader->results().value(member->symbol(), result) : result);
    }
}

#include "batchquoteservice.moc"
