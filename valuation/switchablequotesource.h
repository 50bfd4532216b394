#pragma once

#include "quotesource.h"

#include <QObject>

#include <memory>
#include <unordered_map>

// Prices through a source that can be replaced while lookups run. A caller
// is known by the parent it gives its lookups (a calculation run gives
// itself): it keeps the source that was current when it first asked until
// it is destroyed, so a run finishes with the site it started with and the
// next one uses the new site. The old source is released with its last
// caller.
class SwitchableQuoteSource : public QObject, public QuoteSource
{
    Q_OBJECT

public:
    explicit SwitchableQuoteSource(std::shared_ptr<QuoteSource> current, QObject *parent = nullptr);

    void replace(std::shared_ptr<QuoteSource> next);
    const std::shared_ptr<QuoteSource> &current() const { return m_current; }

    QuoteLookup *FetchQuotePrice(const QString &symbol, QObject *parent) override;

private:
    QuoteSource &sourceFor(QObject *caller);

    std::shared_ptr<QuoteSource> m_current;
    std::unordered_map<const QObject *, std::shared_ptr<QuoteSource>> m_callers;
};
