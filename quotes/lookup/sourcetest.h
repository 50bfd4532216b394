#pragma once

#include "transfersettings.h"
#include "quotesource.h"
#include "sourcetestreport.h"

#include <QObject>
#include <QString>

#include <memory>

class HttpQuoteService;
class QuoteRequest;
class TransferWorker;
struct KeptAnswer;

// What a source's Test fetches with: the process's transfer worker, and the
// proxy, limits and trust besides the source's own.
struct SourceTestTransfers {
    std::shared_ptr<TransferWorker> worker;
    TransferSettings base;
};

// Tries a source on one symbol through the engine that prices with it, and
// reports what its answer held. Runs from the event loop: finished() comes
// once for each start(), when the answer has been read or from stop().
class SourceTest final : public QObject
{
    Q_OBJECT

public:
    explicit SourceTest(SourceTestTransfers transfers, QObject *parent = nullptr);
    ~SourceTest() override;

    // Ends a test still running first, without a report.
    void start(const QuoteSource &source, const QString &key, const QString &symbol);
    // Ends the test now; its report says it was stopped.
    void stop();
    bool isRunning() const;

Q_SIGNALS:
    void finished(const SourceTestReport &report);

private:
    void end();
    void report(const QuoteResult &result);

    const SourceTestTransfers m_transfers;
    QuoteSource m_source;
    QString m_symbol;
    std::shared_ptr<KeptAnswer> m_kept;
    std::unique_ptr<HttpQuoteService> m_service;
    std::unique_ptr<QuoteRequest> m_request;
};
