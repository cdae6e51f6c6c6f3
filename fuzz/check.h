#pragma once
// A property every input must keep: when one does not, the target aborts, and libFuzzer
// records the input that broke it as a crash.
#include <cstdlib>

namespace qk::fuzz {

inline void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace qk::fuzz
