// A reference rates document, as the bank's site (or anyone on the way)
// sends it: whatever it holds, the rates read are a valid day's, each a
// currency code and a positive, finite number, and no more than allowed.

#include "currency.h"
#include "fuzzcheck.h"
#include "referencerates.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const ReferenceRates rates = readReferenceRates(input);
    fuzzCheck((rates.problem == ReferenceRatesProblem::None) == !rates.perEuro.isEmpty());
    fuzzCheck(rates.perEuro.isEmpty() || rates.day.isValid());
    fuzzCheck(rates.perEuro.size() <= ReferenceRatesLimits::kMaxRatesPerDay);
    for (auto it = rates.perEuro.cbegin(); it != rates.perEuro.cend(); ++it)
        fuzzCheck(isCurrencyCode(it.key()) && std::isfinite(it.value()) && it.value() > 0.0);
    return 0;
}
