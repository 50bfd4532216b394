#pragma once

#include "quoteresult.h"

#include <QByteArray>
#include <QByteArrayView>

#include <chrono>

// What the transport learnt of one transfer, besides the body it handed on.
struct PageFacts {
    // Why the transfer did not deliver a page; None when the body ended as
    // the site declared it, or the reader had enough before it ended.
    QuoteFailure failure = QuoteFailure::None;
    int httpStatus = 0;        // of the final answer, interim ones skipped
    QByteArray retryAfter;     // the final answer's Retry-After value, as sent
    std::chrono::steady_clock::time_point started{}; // when the transfer left the queue
};

// Takes a page's body as it arrives, in pieces of any size, and says when it
// has read enough; then prices what it read. A page format provides one per
// transfer. The transport calls append() on its own thread, and result()
// is called there once the facts are known, never at the same time.
class PageReader
{
public:
    enum class Take {
        More,     // go on
        Enough,   // the price can be read now; the rest of the body is not needed
        TooLarge, // the body broke the format's size limits
    };

    virtual ~PageReader() = default;
    virtual Take append(QByteArrayView piece) = 0;
    // The price from what was read, or why there is none.
    virtual QuoteResult result(const PageFacts &facts) = 0;
};
