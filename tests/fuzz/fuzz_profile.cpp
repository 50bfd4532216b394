// Profile bytes through the reader. Whatever reads successfully, targets
// included, must survive being written and read again unchanged; whatever
// fails must name a problem.

#include "fuzzcheck.h"
#include "profileformat.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const ProfileReadResult first = readProfile(bytes);
    if (!first.holdings) {
        fuzzCheck(!first.problem.isEmpty());
        fuzzCheck(first.record >= 0 && first.record <= HoldingRowCount);
        return 0;
    }
    fuzzCheck(first.problem.isEmpty() && first.record == 0);
    fuzzCheck(!first.targets || areValidTargets(*first.targets));

    const QByteArray written = writeProfile(*first.holdings, first.targets);
    const ProfileReadResult second = readProfile(written);
    fuzzCheck(second.holdings.has_value());
    fuzzCheck(*second.holdings == *first.holdings);
    fuzzCheck(second.targets == first.targets);
    // Written again, the text is the same byte for byte (this also keeps
    // the sign of a zero).
    fuzzCheck(writeProfile(*second.holdings, second.targets) == written);
    return 0;
}
