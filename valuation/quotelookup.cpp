#include "quotelookup.h"

QuoteLookup::QuoteLookup(const QString &symbol, QObject *parent)
    : QObject(parent)
    , m_symbol(symbol)
{
}

QString QuoteLookup::symbol() const
{
    return m_symbol;
}

bool QuoteLookup::isFinished() const
{
    return m_finished;
}

QuoteResult QuoteLookup::result() const
{
    return m_result;
}

void QuoteLookup::abort()
{
    finish(QuoteResult::stopped());
}

void QuoteLookup::finish(const QuoteResult &result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result = result;
    Q_EMIT finished();
}

void QuoteLookup::finishLater(const QuoteResult &result)
{
    QMetaObject::invokeMethod(this, [this, result] { finish(result); }, Qt::QueuedConnection);
}
