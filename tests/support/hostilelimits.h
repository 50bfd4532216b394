#pragma once

#include <QtGlobal>

#include <chrono>

// Bounds shared by the tests that price against quote sites that misbehave.

// The lookups' stall time-out, shortened so that every case ends within seconds.
inline constexpr std::chrono::milliseconds kStallTimeout{1000};

// Memory a lookup may add to the process, whatever the site sends: far below
// the 100 MB and 1 GiB pages on offer. AddressSanitizer keeps freed blocks in
// quarantine (32 MiB in scripts/sanitize.sh), which counts too.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr qint64 kMaxGrowthKiB = 64 * 1024;
#else
inline constexpr qint64 kMaxGrowthKiB = 32 * 1024;
#endif

// How much longer than LoopProbe's tick the event loop may be held up.
// AddressSanitizer slows every allocation by a few times, and its suite runs
// two tests at once on two cores: the bound that proves a freeze-free window
// is the plain build's.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::chrono::milliseconds kMaxLoopGap{150};
#else
inline constexpr std::chrono::milliseconds kMaxLoopGap{50};
#endif
