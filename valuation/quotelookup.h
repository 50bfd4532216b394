#pragma once

#include "quoteresult.h"

#include <QObject>
#include <QString>

// One price lookup in flight. finished() is emitted exactly once: from the
// event loop after the lookup was started, or from abort().
class QuoteLookup : public QObject
{
    Q_OBJECT

public:
    QString symbol() const;
    bool isFinished() const;
    QuoteResult result() const; // valid once finished

    // Ends the lookup now with the reason "stopped" and emits finished()
    // before returning. Does nothing once the lookup has finished.
    virtual void abort();

Q_SIGNALS:
    void finished();

protected:
    QuoteLookup(const QString &symbol, QObject *parent);

    // Records the result and emits finished(); ignored once finished.
    void finish(const QuoteResult &result);
    // Finishes from the event loop, so that the caller can connect first.
    void finishLater(const QuoteResult &result);

private:
    QString m_symbol;
    QuoteResult m_result;
    bool m_finished = false;
};
