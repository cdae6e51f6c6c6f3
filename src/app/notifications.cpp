#include "app/notifications.h"

#include <charconv>

#include "app/agent.h"
#include "app/settings.h"
#include "store/store_request.h"
#include "ui/resources/main_window.h"
#include "ui/resources/notification_dialog.h"

namespace qk::app {

namespace res = ui::resources;

namespace {

constexpr std::size_t kIdField = 10;
constexpr std::string_view kMarkerSuffix = "notifyid";

std::string markerName(const AppState& state)
{
    return state.vendorId + std::string(kMarkerSuffix);
}

// The marker's leading decimal number; 0 when it has none.
std::uint64_t leadingNumber(std::string_view text)
{
    std::uint64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0;
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
    request.secure = 0;
    request.body = "qk=2&action=qknotify&vendorid=" + state.vendorId;
    request.setUrl(deployment.storeUrl(script::kPurchase));
    if (request.send() != StoreRequest::kSent || request.reply.empty()) {
        state.notificationText.clear();
        return 0;
    }
    const std::string& reply = request.reply;
    state.notificationText = reply.size() > kIdField ? reply.substr(kIdField) : std::string();
    state.notificationId.clear();
    for (const char c : std::string_view(reply).substr(0, kIdField))
        if (c != ' ')
            state.notificationId.push_back(c);
    return 1;
}

std::optional<std::uint64_t> notificationNumber(std::string_view id)
{
    std::uint64_t value = 0;
    if (id.empty())
        return std::nullopt;
    const auto result = std::from_chars(id.data(), id.data() + id.size(), value);
    if (result.ec != std::errc() || result.ptr != id.data() + id.size())
        return std::nullopt;
    return value;
}

void checkNotification(Agent& agent, ui::DialogView& view)
{
    AppState& state = agent.appState;
    if (fetchNotification(agent.deployment, state) != 1)
        return;
    std::string marker;
    if (readSetting(agent.settings, markerName(state), marker) == 0)
        return;  // no settings key: the comparison does not run
    // An identifier that is no number can neither be compared nor stored as a marker.
    const auto server = notificationNumber(state.notificationId);
    if (!server) {
        state.notificationId.clear();
        return;
    }
    if (leadingNumber(marker) < *server && !state.notificationText.empty())
        openNotificationDialog(agent, view);
}

void showLongDescription(Agent& agent, ui::DialogView& view)
{
    openNotificationDialog(agent, view);
}

}  // namespace qk::app
