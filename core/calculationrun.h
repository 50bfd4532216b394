#pragma once

#include "calculation.h"

#include <QObject>

#include <array>
#include <memory>

class QuoteRequest;
class QuoteService;

// A calculation that asks for every held row's price at once and adds up
// once every row has settled, in row order, so its figures are those of the
// one-after-another calculation whatever order the answers come in. Cash
// rows settle when the run starts, without a request.
class CalculationRun : public QObject
{
    Q_OBJECT

public:
    // The run keeps the service it was given: a site changed meanwhile
    // applies from the next run.
    CalculationRun(const Holdings &holdings, std::shared_ptr<QuoteService> service,
                   QObject *parent = nullptr);
    ~CalculationRun() override;

    // Sends every request; finished() follows once every held row settled.
    void start();
    // Ends the run now: every request in flight is cancelled, the rows not
    // yet settled stay unpriced, and finished() is emitted before this returns.
    void stop();

    bool isRunning() const { return m_running; }
    bool wasStopped() const { return m_stopped; }
    int heldCount() const { return m_heldCount; }
    int settledCount() const { return m_settledCount; }
    const Holdings &holdings() const { return m_holdings; }
    // The row's lookup, once it settled.
    const std::optional<QuoteResult> &quote(int row) const { return m_quotes[row]; }
    const CalculationResult &result() const { return m_result; }
    // Why rows still wait their turn, "3 waiting for Prices A's limit of 5
    // a minute"; empty when none does.
    QString waitingNote() const;

Q_SIGNALS:
    // A held row has its answer; `settled` of `count` held rows have one.
    void rowSettled(int row, int settled, int count);
    // waitingNote() has changed.
    void waitingChanged();
    void finished();

private:
    void settle(int row, const QuoteResult &result);
    void finish();

    const Holdings m_holdings;
    const std::shared_ptr<QuoteService> m_service; // outlives the requests below
    std::array<std::unique_ptr<QuoteRequest>, HoldingRowCount> m_requests;
    RowQuotes m_quotes;
    std::array<QString, HoldingRowCount> m_waiting;
    CalculationResult m_result;
    int m_heldCount = 0;
    int m_settledCount = 0;
    bool m_running = false;
    bool m_stopped = false;
};
