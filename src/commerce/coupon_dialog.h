#pragma once
// The coupon entry dialog: a code field whose text is echoed large while it is typed.

#include <string>

#include "ui/dialog_view.h"
#include "ui/message_box.h"

namespace qk {

class CouponEntryDialog : public ui::DialogHandler {
public:
    // `messageBox` tells the customer why a code is refused; without one the refusal is silent.
    CouponEntryDialog(std::string caption, std::string prompt, ui::DialogView* owner,
                      ui::MessageBoxFunction messageBox = {});

    void attach(ui::DialogView& view);
    void onInit() override;
    void onCommand(int controlId, ui::Notify code, int index) override;

    // What the customer submitted; "-1" when he cancelled or closed the dialog.
    [[nodiscard]] const std::string& result() const { return result_; }

private:
    void initialise();

    std::string caption_;
    std::string prompt_;
    ui::DialogView* owner_;
    ui::MessageBoxFunction messageBox_;
    ui::DialogView* view_ = nullptr;
    bool initialised_ = false;
    std::string result_ = "-1";
};

// Runs the dialog modally over `owner`; what the customer submitted, or "-1".
std::string promptText(ui::DialogFactory& factory, ui::DialogView* owner, const std::string& caption,
                       const std::string& prompt, ui::MessageBoxFunction messageBox = {});

}  // namespace qk
