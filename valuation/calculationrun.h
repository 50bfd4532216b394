#pragma once

#include "calculation.h"

#include <QObject>
#include <QPointer>

class QuoteLookup;
class QuoteSource;

// A calculation that prices its rows one after another without blocking:
// each lookup starts when the previous one has finished, so the results are
// those of the sequential calculation while the event loop keeps running.
class CalculationRun : public QObject
{
    Q_OBJECT

public:
    // The source must outlive the run.
    CalculationRun(const HoldingInputs &holdings, QuoteSource &source, QObject *parent = nullptr);
    ~CalculationRun() override;

    // Starts pricing; finished() follows once every held row has its lookup.
    void start();
    // Ends the run now: the lookup in flight is abandoned, the rows not yet
    // priced stay unpriced, and finished() is emitted before this returns.
    void stop();

    bool isRunning() const { return m_running; }
    bool wasStopped() const { return m_stopped; }
    int heldCount() const { return m_heldCount; }
    const HoldingInputs &holdings() const { return m_holdings; }
    const CalculationResult &result() const { return m_result; }

Q_SIGNALS:
    // `position` counts from 1 up to `count`, the number of held rows.
    void pricing(const QString &symbol, int position, int count);
    void finished();

private:
    void startNextLookup();
    void takeLookupResult();
    void finish();

    const HoldingInputs m_holdings;
    QuoteSource &m_source;
    RowQuotes m_quotes;
    CalculationResult m_result;
    QPointer<QuoteLookup> m_lookup;
    int m_lookupRow = -1;
    int m_heldCount = 0;
    int m_position = 0;
    bool m_running = false;
    bool m_stopped = false;
};
