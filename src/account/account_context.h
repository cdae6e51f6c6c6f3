#pragma once
// What the account and verification dialogs work with, gathered once by the caller.

#include "ui/message_box.h"

namespace qk {

struct Deployment;
struct Session;
struct Purchases;
class SettingsStore;

namespace ui {
class DialogFactory;
class DialogView;
}  // namespace ui

struct AccountContext {
    const Deployment& deployment;
    Session& session;
    Purchases& purchases;
    SettingsStore& settings;
    ui::DialogFactory& dialogs;
    ui::MessageBoxFunction messageBox;
    ui::DialogView* owner = nullptr;  // nullptr: centred on the desktop
};

}  // namespace qk
