#pragma once
// The common part of a modal dialog's presenter: builds the dialog from its resource,
// hands the view over, initialises once (whether the engine announces the dialog before
// or after the view is handed over) and runs it modally. Header-only, no toolkit.

#include <memory>

#include "ui/dialog_view.h"

namespace qk::ui {

class DialogPresenter : public DialogHandler {
public:
    // Runs the dialog modally over `owner`; 1 when it ended with 1, else 0.
    int runModal(DialogFactory& factory, const DialogResource& resource, DialogView* owner)
    {
        std::unique_ptr<DialogView> view = factory.create(resource, *this, owner);
        if (!view)
            return 0;
        attach(*view);
        const int result = view->runModal();
        view_ = nullptr;
        return result == 1 ? 1 : 0;
    }

    // Hands over the view when the engine is driven from outside runModal (tests).
    void attach(DialogView& view)
    {
        view_ = &view;
        initialiseOnce();
    }

    void onInit() override { initialiseOnce(); }

protected:
    // Sets the dialog up; called once, with the view in place.
    virtual void initialise() = 0;

    DialogView* view_ = nullptr;

private:
    void initialiseOnce()
    {
        if (view_ == nullptr || initialised_)
            return;
        initialised_ = true;
        initialise();
    }

    bool initialised_ = false;
};

}  // namespace qk::ui
