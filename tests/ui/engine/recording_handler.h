#pragma once
// A dialog handler for engine tests: records what the dialog reports and can run a
// reaction on each command or tick.

#include "ui/dialog_view.h"

#include <functional>
#include <vector>

namespace qk::test {

struct RecordedCommand {
    int id;
    ui::Notify code;
    int index;
    bool operator==(const RecordedCommand&) const = default;
};

class RecordingHandler : public ui::DialogHandler {
public:
    void onInit() override
    {
        ++inits;
        if (onInitDo)
            onInitDo();
    }
    void onCommand(int id, ui::Notify code, int index) override
    {
        commands.push_back({id, code, index});
        if (onCommandDo)
            onCommandDo(id, code, index);
    }
    void onTimer(int timerId) override
    {
        ticks.push_back(timerId);
        if (onTimerDo)
            onTimerDo(timerId);
    }
    void onFirstPaint() override { ++firstPaints; }

    int inits = 0;
    int firstPaints = 0;
    std::vector<RecordedCommand> commands;
    std::vector<int> ticks;
    std::function<void()> onInitDo;
    std::function<void(int, ui::Notify, int)> onCommandDo;
    std::function<void(int)> onTimerDo;
};

}  // namespace qk::test
