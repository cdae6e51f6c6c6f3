#pragma once
// Builds QtDialog windows; the factory the app hands to its presenters.

#include "ui/dialog_view.h"

namespace qk::platform {
class QtExchangeWait;
}

namespace qk::ui {

class QtDialogFactory final : public DialogFactory {
public:
    // With a wait, the dialogs keep their handlers out of any store exchange under way.
    explicit QtDialogFactory(platform::QtExchangeWait* exchangeWait = nullptr) : exchangeWait_(exchangeWait) {}

    std::unique_ptr<DialogView> create(const DialogResource& resource, DialogHandler& handler,
                                       DialogView* owner) override;

private:
    platform::QtExchangeWait* exchangeWait_;
};

}  // namespace qk::ui
