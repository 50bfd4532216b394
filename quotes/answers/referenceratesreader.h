#pragma once

#include "pagereader.h"
#include "referencerates.h"

#include <QByteArray>

// Reads a reference rates document as the transport hands it on: kept whole
// up to ReferenceRatesLimits::kMaxDocumentBytes and read once it has ended.
// The rates are the reader's to give once its result is known.
class ReferenceRatesReader final : public PageReader
{
public:
    Take append(QByteArrayView piece) override;
    // Priced (at 1) when the document gave rates; else why not.
    QuoteResult result(const PageFacts &facts) override;

    const ReferenceRates &rates() const { return m_rates; }

private:
    QByteArray m_body;
    bool m_tooLarge = false;
    ReferenceRates m_rates;
};
