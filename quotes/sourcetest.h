#pragma once

#include "quotesitesettings.h"
#include "quotesource.h"
#include "sourcetestreport.h"

#include <QObject>
#include <QString>

#include <memory>

class HttpQuoteService;
class QuoteRequest;
struct KeptAnswer;

// Tries a source on one symbol through the engine that prices with it, and
// reports what its answer held. Runs from the event loop: finished() comes
// once for each start(), when the answer has been read or from stop().
class SourceTest final : public QObject
{
    Q_OBJECT

public:
    // `base` gives the proxy, the limits and the trust, as for a lookup.
    explicit SourceTest(QuoteSiteSettings base = {}, QObject *parent = nullptr);
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

    const QuoteSiteSettings m_base;
    QuoteSource m_source;
    QString m_symbol;
    std::shared_ptr<KeptAnswer> m_kept;
    std::unique_ptr<HttpQuoteService> m_service;
    std::unique_ptr<QuoteRequest> m_request;
};
