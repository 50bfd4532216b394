#pragma once

// A broken property stops the run the way a sanitizer report does, so
// libFuzzer keeps the input that broke it.
inline void fuzzCheck(bool holds)
{
    if (!holds)
        __builtin_trap();
}
