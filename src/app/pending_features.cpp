#include "app/pending_features.h"

namespace qk::app {

void openAccountManagement(Agent& /*agent*/, ui::DialogView& /*view*/) {}


}  // namespace qk::app
