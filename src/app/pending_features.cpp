#include "app/pending_features.h"

namespace qk::app {

void openAccountManagement(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void checkNotification(Agent& /*agent*/, ui::DialogView& /*view*/) {}

void showLongDescription(Agent& /*agent*/, ui::DialogView& /*view*/) {}

}  // namespace qk::app
