#pragma once
// Builds QtDialog windows; the factory the app hands to its presenters.

#include "ui/dialog_view.h"

namespace qk::ui {

class QtDialogFactory final : public DialogFactory {
public:
    std::unique_ptr<DialogView> create(const DialogResource& resource, DialogHandler& handler,
                                       DialogView* owner) override;
};

}  // namespace qk::ui
