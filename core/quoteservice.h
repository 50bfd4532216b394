#pragma once

#include "quoteresult.h"

#include <QObject>
#include <QString>

#include <memory>

// One price asked for. finished() is emitted exactly once: from the event
// loop when the answer comes, even one known at once, or from cancel().
// Destroying a request that has not finished drops it without a signal.
class QuoteRequest : public QObject
{
    Q_OBJECT

public:
    ~QuoteRequest() override;

    const QString &symbol() const { return m_symbol; }
    bool isFinished() const { return m_finished; }
    const QuoteResult &result() const { return m_result; } // valid once finished

    // Ends the request now with the reason "stopped", emitting finished()
    // before it returns. Does nothing once finished.
    void cancel();

Q_SIGNALS:
    void finished(const QuoteResult &result);
    // The request waits its turn before it is sent: why, for the user
    // ("waiting for Prices A's limit of 5 a minute"); empty once it is sent.
    void waiting(const QString &why);

protected:
    explicit QuoteRequest(QString symbol);

    // Records the result and emits finished(); ignored once finished.
    void finish(const QuoteResult &result);
    // Finishes from the event loop, so that the caller can connect first.
    void finishLater(const QuoteResult &result);
    // The work behind the request is no longer wanted.
    virtual void dropWork() {}

private:
    QString m_symbol;
    QuoteResult m_result;
    bool m_finished = false;
};

// A request whose answer is known when it is made: a cash symbol, a site
// that is not set up, a test's table.
class SettledQuoteRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    SettledQuoteRequest(QString symbol, const QuoteResult &result);
};

// Where prices come from. The calculation, the window and the tests depend
// on this alone.
class QuoteService
{
public:
    virtual ~QuoteService() = default;

    // Starts pricing `symbol`; the caller owns the request.
    virtual std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) = 0;
};
