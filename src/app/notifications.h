#pragma once
// The store's notification for the vendor: fetched on the main window's first paint and
// shown unless the customer hid it; the same dialog shows a product's long description.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/notification_reply.h"
#include "ui/dialog_view.h"

namespace qk {
struct Deployment;
}

namespace qk::app {

class Agent;
struct AppState;

// Asks the store; 1 with notificationId and notificationText set from a reply of at
// least one byte, else 0 with the text emptied.
int fetchNotification(const Deployment& deployment, AppState& state);

// The identifier as a number: plain decimal digits only, within 64 bits.
using qk::notificationNumber;

// First paint: shows the notification when it is newer than the hidden one.
void checkNotification(Agent& agent, ui::DialogView& view);

// Read More...: the shown product's long description in the same dialog.
void showLongDescription(Agent& agent, ui::DialogView& view);

}  // namespace qk::app
