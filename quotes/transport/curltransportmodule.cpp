#include "pagetransport.h"
#include "curltransport.h"

#include <memory>
#include <type_traits>

// Null when curl cannot be set up.
extern "C" Q_DECL_EXPORT PageTransport *fundtallyCreatePageTransport()
{
    auto transport = std::make_unique<CurlTransport>();
    return transport->isUsable() ? transport.release() : nullptr;
}

static_assert(std::is_same_v<decltype(&fundtallyCreatePageTransport), CreatePageTransport>);
