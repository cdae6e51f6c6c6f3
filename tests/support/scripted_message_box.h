#pragma once
// A message box for tests of other parts: records every call and returns scripted
// answers in order (1 = OK when the script is used up).

#include <deque>
#include <string>
#include <vector>

#include "ui/message_box.h"
#include "ui/message_box/message_box_params.h"

namespace qk::test {

struct RecordedMessage {
    std::string text;
    std::string caption;  // "" when the caller passed none
    bool hadCaption = false;
    unsigned flags = 0;
    bool hadParams = false;
    bool hadOwner = false;
    // The Yes and No captions the parameter block puts in place ("" for the usual ones).
    std::string yesCaption;
    std::string noCaption;
};

class ScriptedMessageBox {
public:
    void answer(int id) { answers_.push_back(id); }

    ui::MessageBoxFunction function()
    {
        return [this](const ui::MessageBoxParams* params, ui::DialogView* owner,
                      const std::string& text, const char* caption, unsigned flags) {
            RecordedMessage call{text, caption ? caption : "", caption != nullptr, flags,
                                 params != nullptr, owner != nullptr, {}, {}};
            if (params != nullptr && params->useCustomCaptions) {
                call.yesCaption = params->customCaptions[static_cast<std::size_t>(ui::CaptionSlot::Yes)];
                call.noCaption = params->customCaptions[static_cast<std::size_t>(ui::CaptionSlot::No)];
            }
            calls.push_back(std::move(call));
            if (answers_.empty())
                return ui::kIdOk;
            const int id = answers_.front();
            answers_.pop_front();
            return id;
        };
    }

    std::vector<RecordedMessage> calls;

private:
    std::deque<int> answers_;
};

}  // namespace qk::test
