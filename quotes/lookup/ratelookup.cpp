#include "ratelookup.h"

#include "quoteservice.h"
#include "referenceratesreader.h"
#include "sourcequoteservice.h"
#include "transferworker.h"

#include <QDate>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

// The reference rates quote every currency against the euro.
constexpr char16_t kReferenceBase[] = u"EUR";

bool isDocument(const RateSource &source)
{
    return source.format == SourceFormat::Reference;
}

} // namespace

RateLookup::RateLookup(QList<RateSource> sources, SourceKeys &keys, std::shared_ptr<TransferWorker> worker,
                       TransferSettings base, QObject *parent)
    : QObject(parent)
    , m_keys(keys)
    , m_worker(std::move(worker))
    , m_base(std::move(base))
{
    for (RateSource &source : sources)
        m_sources.push_back(Source{std::move(source), std::nullopt, {}});
    connect(m_worker.get(), &TransferWorker::pageDone, this, &RateLookup::takeDocument, Qt::QueuedConnection);
}

RateLookup::~RateLookup()
{
    for (auto it = m_documentsInFlight.cbegin(); it != m_documentsInFlight.cend(); ++it)
        m_worker->cancel(it.key());
}

void RateLookup::ask(const QString &from, const QString &to)
{
    if (!m_pairs.contains(std::pair{from, to}))
        m_pairs.append({from, to});
    for (Source &source : m_sources) {
        if (isDocument(source.source))
            askDocument(source);
    }
    advance();
}

void RateLookup::advance()
{
    if (m_stopped)
        return;
    for (const auto &[from, to] : std::as_const(m_pairs)) {
        for (Source &source : m_sources) {
            const std::optional<bool> given = gives(source, from, to);
            if (!given) {
                if (!isDocument(source.source))
                    askPair(source, from, to);
                break;
            }
            if (*given)
                break;
        }
    }
}

std::optional<bool> RateLookup::gives(const Source &source, const QString &from, const QString &to)
{
    if (isDocument(source.source)) {
        if (!source.document || !source.document->result)
            return std::nullopt;
        if (!source.document->result->priced())
            return false;
        const QHash<QString, double> &perEuro = source.document->reader->rates().perEuro;
        const auto quoted = [&perEuro](const QString &code) {
            return code == QString::fromUtf16(kReferenceBase) || perEuro.contains(code);
        };
        return quoted(from) && quoted(to);
    }
    const auto fetch = std::find_if(source.pairs.begin(), source.pairs.end(), [&](const PairFetch &pair) {
        return pair.from == from && pair.to == to;
    });
    if (fetch == source.pairs.end() || !fetch->result)
        return std::nullopt;
    return fetch->result->priced();
}

void RateLookup::askDocument(Source &source)
{
    if (source.document)
        return;
    source.document = Document{std::make_shared<ReferenceRatesReader>(), std::nullopt};
    const TransferSettings settings = SourceQuoteService::transportSettings(source.source, m_base);
    const QUrl url(source.source.url, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"https") {
        source.document->result = QuoteResult::failed(QuoteFailure::AddressNotValid);
        return;
    }
    const quint64 id = m_worker->submit(TransferRequest{url.toEncoded(), {}, false, source.document->reader,
                                                        settings.limits.overallTimeout,
                                                        std::make_shared<const TransferSettings>(settings)});
    m_documentsInFlight.insert(id, &source - m_sources.data());
}

void RateLookup::askPair(Source &source, const QString &from, const QString &to)
{
    const bool asked = std::any_of(source.pairs.begin(), source.pairs.end(), [&](const PairFetch &pair) {
        return pair.from == from && pair.to == to;
    });
    if (asked)
        return;
    std::shared_ptr<SourceQuoteService> &service = m_services[source.source.name];
    if (!service) {
        // One service for the source, whatever the pair: its connections and
        // key are the source's. The pair is in the address it is asked for.
        service = std::make_shared<SourceQuoteService>(source.source, m_keys, m_base, m_worker);
    }
    PairFetch &pair = source.pairs.emplace_back(PairFetch{from, to, nullptr, std::nullopt});
    pair.request = service->FetchQuotePrice(pairSymbol(from, to));
    connect(pair.request.get(), &QuoteRequest::finished, this,
            [this, request = pair.request.get()](const QuoteResult &result) { takePair(request, result); });
}

bool RateLookup::settled(const QString &from, const QString &to) const
{
    if (m_stopped)
        return true;
    for (const Source &source : m_sources) {
        const std::optional<bool> given = gives(source, from, to);
        if (!given)
            return false;
        if (*given)
            return true;
    }
    return true;
}

void RateLookup::stop()
{
    m_stopped = true;
    for (auto it = m_documentsInFlight.cbegin(); it != m_documentsInFlight.cend(); ++it) {
        m_worker->cancel(it.key());
        m_sources[it.value()].document->result = QuoteResult::stopped();
    }
    m_documentsInFlight.clear();
    for (Source &source : m_sources) {
        for (PairFetch &pair : source.pairs) {
            if (!pair.result) {
                pair.request.reset();
                pair.result = QuoteResult::stopped();
            }
        }
    }
    Q_EMIT progressed();
}

void RateLookup::takeDocument(quint64 id, const PageOutcome &outcome)
{
    const auto found = m_documentsInFlight.constFind(id);
    if (found == m_documentsInFlight.constEnd())
        return;
    m_sources[*found].document->result = outcome.result;
    m_documentsInFlight.erase(found);
    advance();
    Q_EMIT progressed();
}

void RateLookup::takePair(const QuoteRequest *request, const QuoteResult &result)
{
    for (Source &source : m_sources) {
        for (PairFetch &pair : source.pairs) {
            if (pair.request.get() == request)
                pair.result = result;
        }
    }
    advance();
    Q_EMIT progressed();
}

ExchangeRates RateLookup::rates() const
{
    ExchangeRates rates;
    const QString base = QString::fromUtf16(kReferenceBase);
    for (const Source &source : m_sources) {
        if (isDocument(source.source)) {
            if (!source.document || !source.document->result || !source.document->result->priced())
                continue;
            const ReferenceRates &document = source.document->reader->rates();
            rates.addTable(source.source.name, document.day, base);
            for (auto it = document.perEuro.cbegin(); it != document.perEuro.cend(); ++it)
                rates.addPair(base, it.key(), it.value());
            continue;
        }
        const bool anyPriced = std::any_of(source.pairs.begin(), source.pairs.end(), [](const PairFetch &pair) {
            return pair.result && pair.result->priced();
        });
        if (!anyPriced)
            continue;
        // An API's rate is today's: it gives no date of its own.
        rates.addTable(source.source.name, QDate::currentDate());
        for (const PairFetch &pair : source.pairs) {
            if (pair.result && pair.result->priced())
                rates.addPair(pair.from, pair.to, pair.result->price);
        }
    }
    return rates;
}

QList<QuoteAttempt> RateLookup::failures() const
{
    QList<QuoteAttempt> failures;
    const auto note = [&failures](const QString &name, const std::optional<QuoteResult> &result) {
        if (result && !result->priced())
            failures.append(QuoteAttempt{name, result->failure, result->httpStatus});
    };
    for (const Source &source : m_sources) {
        if (source.document)
            note(source.source.name, source.document->result);
        for (const PairFetch &pair : source.pairs)
            note(source.source.name, pair.result);
    }
    return failures;
}
