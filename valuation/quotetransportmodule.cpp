#include "quotefetcher.h"
#include "quotetransport.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT QuoteFetcher *fundtallyCreateQuoteFetcher(const QuoteSiteSettings &settings)
{
    return new QuoteTransport(settings);
}

static_assert(std::is_same_v<decltype(&fundtallyCreateQuoteFetcher), CreateQuoteFetcher>);
