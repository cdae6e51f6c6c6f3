#pragma once
// The shell's "open" as a test sees it: every target asked for, in order.

#include <functional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace qk::test {

class RecordingShell final : public platform::Shell {
public:
    bool open(const std::string& target) override
    {
        opened.push_back(target);
        if (onOpen)
            onOpen(target);
        return accept;
    }
    std::vector<std::string> opened;
    bool accept = true;
    // Runs at the moment of each open, to see what the opened thing looked like then.
    std::function<void(const std::string&)> onOpen;
};

}  // namespace qk::test
