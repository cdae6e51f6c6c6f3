#include "ui/qt_dialog_factory.h"

#include "ui/qt_dialog.h"

namespace qk::ui {

std::unique_ptr<DialogView> QtDialogFactory::create(const DialogResource& resource,
                                                    DialogHandler& handler, DialogView* owner)
{
    return std::make_unique<QtDialog>(resource, handler, owner, exchangeWait_);
}

}  // namespace qk::ui
