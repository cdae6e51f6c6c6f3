// The store agent's entry point: builds the platform services and the agent, shows the
// main window modeless and runs the event loop. The command line is ignored.
#include "app/agent.h"
#include "app/main_window.h"
#include "platform/qt_ports.h"
#include "ui/message_box/agent_message_box.h"
#include "ui/qt_dialog_factory.h"
#include "ui/qt_window_provider.h"

#include <QApplication>

namespace {

// The folder browser, modal to the main window once that exists.
class MainWindowFolderBrowser final : public qk::platform::FolderBrowser {
public:
    void attach(qk::app::MainWindow& window) { window_ = &window; }

    std::optional<std::string> browse(const std::string& title) override
    {
        QWidget* parent = nullptr;
        if (window_) {
            if (auto* provider = dynamic_cast<qk::ui::QtWindowProvider*>(&window_->view()))
                parent = provider->qtWidget();
        }
        return qk::platform::QtFolderBrowser(parent).browse(title);
    }

private:
    qk::app::MainWindow* window_ = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);

    qk::Deployment deployment = qk::Deployment::fromEnvironment();
    qk::SettingsStore answerSettings(deployment.settingsDir);
    qk::ui::AgentMessageBox messageBox(&answerSettings, "qk-agent");
    qk::ui::QtDialogFactory dialogs;
    qk::platform::QtShell shell;
    qk::platform::QtClipboard clipboard;
    MainWindowFolderBrowser folderBrowser;

    qk::app::Agent agent(std::move(deployment),
                         {dialogs, messageBox.function(), shell, clipboard, folderBrowser});
    qk::app::MainWindow window(agent);
    folderBrowser.attach(window);
    window.create();
    // A fatal start-up message has already asked to quit; the loop would not see it.
    if (window.quitRequested())
        return 0;
    window.view().show();
    application.exec();
    return 0;
}
