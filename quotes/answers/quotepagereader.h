#pragma once

#include "pagereader.h"
#include "pricelinereader.h"

#include <QString>

// The quote page (https://host/quote/SYMBOL/?p=SYMBOL), priced from its
// fifth line. The reader keeps no more than that line, so the rest of the page is
// never needed; the transport drains or drops it.
class QuotePageReader final : public PageReader
{
public:
    // Body bytes allowed before the price line starts, and the longest
    // price line kept (a longer one is cut, and a cut line is priced only
    // when its price ends before the cut).
    static constexpr qint64 kMaxBytesBeforePriceLine = 8 * 1024 * 1024;
    static constexpr qsizetype kMaxPriceLineBytes = PriceLineReader::kMaxLineBytes;

    explicit QuotePageReader(qint64 maxBytesBeforePriceLine = kMaxBytesBeforePriceLine,
                             qsizetype maxPriceLineBytes = kMaxPriceLineBytes);

    Take append(QByteArrayView piece) override;
    // Without a price, the site's answer says why (see withPageStatus).
    QuoteResult result(const PageFacts &facts) override;

private:
    PriceLineReader m_reader;
    qint64 m_maxBytesBeforePriceLine;
};

// What HTTP 404 means: an address with the symbol in it names a page that
// does not exist for that symbol; one without it is the source's own address.
enum class NotFoundMeaning { NoQuotePage, AddressNotFound };

// An answer without a price, explained by its error status where that says
// more: 401 and 403 are a key refused, 404 see NotFoundMeaning, 429 (and
// 503 with Retry-After) the site asking to wait, any other 5xx the source
// failing; another error status is named beside the reading's own reason.
QuoteResult withPageStatus(const QuoteResult &result, const PageFacts &facts,
                           NotFoundMeaning notFound = NotFoundMeaning::NoQuotePage);
