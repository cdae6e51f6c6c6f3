#pragma once
// AgentMessageBox: the message box through which the agent shows every message. A
// small context object (settings store for remembered answers, program file name, and
// the few hooks below); function() gives the MessageBoxFunction the app hands around.

#include <functional>
#include <string>

#include "ui/message_box.h"
#include "ui/message_box/message_box_params.h"

class QDialog;
class QWidget;

namespace qk {
class SettingsStore;
}

namespace qk::ui {

struct MessageBoxHooks {
    // The icon's sound, given the icon bits (0: the default sound); unset: the toolkit's beep.
    std::function<void(unsigned iconBits)> beep = nullptr;
    // Opens the help file at a context (0: keyword search); unset: the desktop opens the file.
    std::function<void(const std::string& helpFile, unsigned context)> openHelp = nullptr;
    // Called once the box (or the toolkit's box on the system-modal path) runs its loop.
    std::function<void(QDialog& box)> shown = nullptr;
    // true once the program is ending: no box opens any more, and the answer is none.
    std::function<bool()> quitting = nullptr;
};

class AgentMessageBox {
public:
    // `settings` may be null: no answer is remembered then.
    AgentMessageBox(SettingsStore* settings, std::string programFileName, MessageBoxHooks hooks = {});

    // (parameter block or null, owner or null, text, caption or null, flags) -> id, with
    // the check-box bit or the countdown mark as they apply.
    int operator()(const MessageBoxParams* params, DialogView* owner, const std::string& text,
                   const char* caption, unsigned flags);

    // Bound to this object, which must outlive it.
    MessageBoxFunction function();

private:
    int showSystemModal(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags);

    SettingsStore* settings_;
    std::string programFileName_;
    MessageBoxHooks hooks_;
};

// The owner's window, or for none the active modal window, else the active window.
QWidget* messageBoxOwnerWidget(DialogView* owner);

}  // namespace qk::ui
