#include "platform/system_clock.h"

#include <chrono>

namespace qk::platform {

std::uint32_t SteadyClock::milliseconds()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    // Wraps like a 32-bit tick count; callers take differences as unsigned 32-bit.
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace qk::platform
