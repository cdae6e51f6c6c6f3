#include "app/agent_program.h"

#include "app/agent.h"
#include "app/main_window.h"
#include "platform/qt_exchange_wait.h"
#include "platform/qt_ports.h"
#include "platform/quit_request.h"
#include "platform/settings_store.h"
#include "ui/message_box/agent_message_box.h"
#include "ui/qt_dialog_factory.h"
#include "ui/qt_window_provider.h"

namespace qk::app {

namespace {

// The folder browser, modal to the main window once that exists.
class MainWindowFolderBrowser final : public platform::FolderBrowser {
public:
    void attach(MainWindow& window) { window_ = &window; }

    std::optional<std::string> browse(const std::string& title) override
    {
        QWidget* parent = nullptr;
        if (window_) {
            if (auto* provider = dynamic_cast<ui::QtWindowProvider*>(&window_->view()))
                parent = provider->qtWidget();
        }
        return platform::QtFolderBrowser(parent).browse(title);
    }

private:
    MainWindow* window_ = nullptr;
};

}  // namespace

// Members in the order they must be built: each refers only to those above it.
struct AgentProgram::Parts {
    Parts(Deployment deployment, const ServiceOverrides& overrides)
        : answerSettings(deployment.settingsDir, &quit),
          messageBox(&answerSettings, "qk-agent", {.quitting = [this] { return quit.asked(); }}),
          dialogs(&exchangeWait),
          agent(withProgramServices(std::move(deployment), exchangeWait, quit),
                {dialogs, messageBox.function(), overrides.shell ? *overrides.shell : shell,
                 overrides.clipboard ? *overrides.clipboard : clipboard,
                 overrides.folderBrowser ? *overrides.folderBrowser : folderBrowser}),
          window(agent)
    {
        folderBrowser.attach(window);
    }

    static Deployment withProgramServices(Deployment deployment, platform::ExchangeWait& wait,
                                          platform::QuitRequest& quit)
    {
        deployment.exchangeWait = &wait;
        deployment.quit = &quit;
        return deployment;
    }

    // Every store exchange runs off the UI thread; the windows paint meanwhile.
    platform::QtExchangeWait exchangeWait;
    platform::QuitRequest quit;
    SettingsStore answerSettings;  // the message box's remembered answers
    ui::AgentMessageBox messageBox;
    ui::QtDialogFactory dialogs;
    platform::QtShell shell;
    platform::QtClipboard clipboard;
    MainWindowFolderBrowser folderBrowser;
    Agent agent;
    MainWindow window;
};

AgentProgram::AgentProgram(Deployment deployment, ServiceOverrides overrides)
    : parts_(std::make_unique<Parts>(std::move(deployment), overrides))
{
}

AgentProgram::~AgentProgram() = default;

bool AgentProgram::start()
{
    MainWindow& window = parts_->window;
    window.createShown();
    return !window.quitRequested();
}

void AgentProgram::requestQuit() { parts_->window.onCommand(ui::kCancelCommand, ui::Notify::Clicked, 0); }

Agent& AgentProgram::agent() { return parts_->agent; }

MainWindow& AgentProgram::window() { return parts_->window; }

}  // namespace qk::app
