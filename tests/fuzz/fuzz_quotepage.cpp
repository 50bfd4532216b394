// Quote page bytes through the same path the network lookup takes: the body
// split into lines as it arrives, the fifth line capped, then priced.

#include "fuzzcheck.h"
#include "pricelinereader.h"
#include "quoteparser.h"
#include "quotepagereader.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

// Small enough that short inputs reach the handling of over-long lines.
constexpr qsizetype kSmallLineCap = 16;

struct Reading {
    bool hasPriceLine = false;
    QByteArray priceLine;
};

Reading readPriceLine(QByteArrayView body, qsizetype pieceSize, qsizetype maxLineBytes)
{
    PriceLineReader reader(maxLineBytes);
    for (qsizetype at = 0; at < body.size() && !reader.hasPriceLine(); at += pieceSize)
        reader.append(body.sliced(at, std::min(pieceSize, body.size() - at)));
    if (!reader.finish())
        return {};
    return {true, reader.priceLine().toByteArray()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView body(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const Reading whole = readPriceLine(body, std::max<qsizetype>(body.size(), 1),
                                        PriceLineReader::kMaxLineBytes);
    const QuoteResult result = whole.hasPriceLine
        ? parseQuoteLine(whole.priceLine)
        : QuoteResult::failed(QuoteFailure::NoPriceOnPage);
    fuzzCheck(result.priced() == result.reason().isEmpty());
    fuzzCheck(!result.priced() || std::isfinite(result.price));
    fuzzCheck(!whole.priceLine.endsWith('\n'));

    // Where the network happens to cut the body must not change the price.
    const qsizetype pieceSize = 1 + static_cast<qsizetype>(size % 7);
    const Reading pieces = readPriceLine(body, pieceSize, PriceLineReader::kMaxLineBytes);
    fuzzCheck(pieces.hasPriceLine == whole.hasPriceLine && pieces.priceLine == whole.priceLine);

    // A capped line is a prefix of the whole line, and no longer than the cap.
    const Reading capped = readPriceLine(body, pieceSize, kSmallLineCap);
    fuzzCheck(capped.hasPriceLine == whole.hasPriceLine);
    fuzzCheck(capped.priceLine.size() <= kSmallLineCap && whole.priceLine.startsWith(capped.priceLine));
    // A line cut off at the cap is priced like any other.
    parseQuoteLine(capped.priceLine);

    // The page format's reader as the engine drives it: it stops asking for
    // more at the price line, and whatever status the site gave, a page
    // with a price is priced and one without says why.
    QuotePageReader page;
    for (qsizetype at = 0; at < body.size(); at += pieceSize) {
        if (page.append(body.sliced(at, std::min(pieceSize, body.size() - at))) != PageReader::Take::More)
            break;
    }
    PageFacts facts;
    facts.httpStatus = size == 0 ? 200 : 100 + data[0] * 2;
    const QuoteResult read = page.result(facts);
    fuzzCheck(read.priced() == result.priced());
    fuzzCheck(!read.priced() || read.price == result.price);
    fuzzCheck(read.priced() == read.reason().isEmpty());
    return 0;
}
