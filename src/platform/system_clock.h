#pragma once
// The millisecond clock of the running system.

#include "platform/ports.h"

namespace qk::platform {

// A monotonic clock: wall-clock changes never make a transfer look faster or slower.
class SteadyClock final : public Clock {
public:
    std::uint32_t milliseconds() override;
};

}  // namespace qk::platform
