#pragma once
// What the login routine and the login dialog work with, gathered once by the caller.

#include <functional>

#include "ui/message_box.h"

namespace qk {

struct Deployment;
struct Session;
struct Purchases;
class SettingsStore;

namespace platform {
class Shell;
}
namespace ui {
class DialogFactory;
class DialogView;
}  // namespace ui

struct LoginContext {
    const Deployment& deployment;
    Session& session;
    Purchases& purchases;
    SettingsStore& settings;
    ui::DialogFactory& dialogs;
    ui::MessageBoxFunction messageBox;
    platform::Shell& shell;
    ui::DialogView* owner = nullptr;  // the main window; nullptr: centred on the desktop
    // "Create a New Varnel Account": runs the account dialog and returns 1 when an account
    // was created; unset, the link does nothing.
    std::function<int()> openAccountDialog;
};

}  // namespace qk
