#include "app/notifications.h"

#include "app/agent.h"
#include "app/settings.h"
#include "store/store_request.h"
#include "ui/resources/main_window.h"
#include "ui/resources/notification_dialog.h"

namespace qk::app {

namespace res = ui::resources;

namespace {

constexpr std::string_view kMarkerSuffix = "notifyid";

std::string markerName(const AppState& state)
{
    return state.vendorId + std::string(kMarkerSuffix);
}

class NotificationDialog final : public ui::DialogHandler {
public:
    NotificationDialog(Agent& agent, ui::DialogView* owner) : agent_(agent), owner_(owner) {}

    void attach(ui::DialogView& view)
    {
        view_ = &view;
        initialise();
    }
    void onInit() override { initialise(); }

    void onCommand(int controlId, ui::Notify /*code*/, int /*index*/) override
    {
        if (view_ == nullptr)
            return;
        switch (controlId) {
        case res::kHideNotification:
            if (view_->isChecked(res::kHideNotification)) {
                agent_.message(view_,
                               "This notification will be hidden when you restart this application. "
                               "New notifications from " +
                                   agent_.appState.vendorName + " will still appear.",
                               "Notifications", ui::mb::kIconExclamation);
            }
            return;
        case res::kNotificationContinue:
        case ui::kCancelCommand:
            if (view_->isChecked(res::kHideNotification))
                writeSetting(agent_.settings, agent_.appState.notificationId, markerName(agent_.appState));
            view_->endDialog(0);
            return;
        default:
            return;
        }
    }

private:
    void initialise()
    {
        if (view_ == nullptr || initialised_)
            return;
        initialised_ = true;
        const AppState& state = agent_.appState;
        view_->setIcon(res::kAgentIcon);
        view_->centreOver(owner_);
        const bool notification = !state.notificationId.empty();
        if (notification) {
            view_->setTitle(state.vendorName + " Notifications");
            view_->setText(res::kNotificationText, state.notificationText);
        } else {
            view_->setTitle(agent_.currentProduct.productName + " Information");
            view_->setText(res::kNotificationText, agent_.currentProduct.longDescription);
        }
        view_->setVisible(res::kHideNotification, notification);
        view_->setFocus(res::kNotificationContinue);
    }

    Agent& agent_;
    ui::DialogView* owner_;
    ui::DialogView* view_ = nullptr;
    bool initialised_ = false;
};

void openNotificationDialog(Agent& agent, ui::DialogView& owner)
{
    NotificationDialog presenter(agent, &owner);
    auto view = agent.services.dialogs.create(res::notificationDialogResource(), presenter, &owner);
    if (!view)
        return;
    presenter.attach(*view);
    view->runModal();
}

}  // namespace

int fetchNotification(const Deployment& deployment, AppState& state)
{
    StoreRequest request(deployment);
    request.maxReplyBytes = StoreRequest::kTextReplyMaxBytes;
    request.secure = 0;
    request.body = "qk=2&action=qknotify&vendorid=" + state.vendorId;
    request.setUrl(deployment.storeUrl(script::kPurchase));
    if (request.send() != StoreRequest::kSent || request.reply.empty()) {
        state.notificationText.clear();
        return 0;
    }
    NotificationReply notification = readNotificationReply(request.reply);
    state.notificationText = std::move(notification.text);
    state.notificationId = std::move(notification.id);
    return 1;
}

void checkNotification(Agent& agent, ui::DialogView& view)
{
    AppState& state = agent.appState;
    // A quit asked while the store answered: the dialog would open after the close.
    if (fetchNotification(agent.deployment, state) != 1 || agent.deployment.quitAsked())
        return;
    std::string marker;
    if (readSetting(agent.settings, markerName(state), marker) == 0)
        return;  // no settings key: the comparison does not run
    // An identifier that is no number can neither be compared nor stored as a marker.
    if (!notificationNumber(state.notificationId)) {
        state.notificationId.clear();
        return;
    }
    if (notificationIsNew({state.notificationId, state.notificationText}, marker))
        openNotificationDialog(agent, view);
}

void showLongDescription(Agent& agent, ui::DialogView& view)
{
    openNotificationDialog(agent, view);
}

}  // namespace qk::app
