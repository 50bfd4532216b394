#pragma once

#include "exchangerates.h"
#include "quoteresult.h"
#include "ratesource.h"
#include "transfersettings.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QuoteRequest;
class ReferenceRatesReader;
class SourceKeys;
class SourceQuoteService;
class TransferWorker;
struct PageOutcome;

// One calculation's exchange rates over the process's transfer worker:
// each reference rates document fetched once, on the first pair asked; a
// source asked per pair is asked for a pair only once every source before
// it has answered without it (free APIs allow few requests). progressed()
// comes whenever a fetch ends; a pair is settled once a source has given
// it, or every source has answered without it.
class RateLookup final : public QObject
{
    Q_OBJECT

public:
    // `base` gives the proxy, limits and trust besides each source's own;
    // `keys` the API keys of the sources that take one.
    RateLookup(QList<RateSource> sources, SourceKeys &keys, std::shared_ptr<TransferWorker> worker,
               TransferSettings base = {}, QObject *parent = nullptr);
    // Ends what is still being fetched, unreported.
    ~RateLookup() override;

    // Starts what the rate from `from` to `to` needs and is not yet asked.
    void ask(const QString &from, const QString &to);
    bool settled(const QString &from, const QString &to) const;
    // Ends every fetch now; progressed() is emitted before this returns.
    void stop();

    // The rates found so far, a table for each source that gave some, in
    // the sources' order.
    ExchangeRates rates() const;
    // Each fetch that gave none, and why.
    QList<QuoteAttempt> failures() const;

Q_SIGNALS:
    void progressed();

private:
    struct Document {
        std::shared_ptr<ReferenceRatesReader> reader;
        std::optional<QuoteResult> result;
    };
    struct PairFetch {
        QString from;
        QString to;
        std::unique_ptr<QuoteRequest> request;
        std::optional<QuoteResult> result;
    };
    struct Source {
        RateSource source;
        std::optional<Document> document;   // a reference rates source, once asked
        std::vector<PairFetch> pairs;       // a source asked per pair
    };

    void askDocument(Source &source);
    void askPair(Source &source, const QString &from, const QString &to);
    // Asks the next source for each pair still open.
    void advance();
    // Whether `source` gives the pair; nullopt until it has answered.
    static std::optional<bool> gives(const Source &source, const QString &from, const QString &to);
    void takeDocument(quint64 id, const PageOutcome &outcome);
    void takePair(const QuoteRequest *request, const QuoteResult &result);

    SourceKeys &m_keys;
    const std::shared_ptr<TransferWorker> m_worker;
    const TransferSettings m_base;
    std::vector<Source> m_sources;
    // Per source asked per pair, over the transport; made on its first pair.
    QHash<QString, std::shared_ptr<SourceQuoteService>> m_services;
    QHash<quint64, qsizetype> m_documentsInFlight; // transfer id -> source
    QList<std::pair<QString, QString>> m_pairs;    // asked, in order
    bool m_stopped = false;
};
