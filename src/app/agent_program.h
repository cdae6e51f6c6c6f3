#pragma once
// The running program's composition root: the platform services, the agent and its main
// window, wired the one way the entry point runs them. The entry point builds it with
// the real services; an end-to-end test builds the very same, replacing only what it
// cannot own (the browser behind the shell, another program's clipboard, the folder
// browser).

#include <memory>

#include "platform/deployment.h"

namespace qk::platform {
class Clipboard;
class FolderBrowser;
class Shell;
}  // namespace qk::platform

namespace qk::app {

class Agent;
class MainWindow;

// Services to use instead of the real ones; null: the real one.
struct ServiceOverrides {
    platform::Shell* shell = nullptr;
    platform::Clipboard* clipboard = nullptr;
    platform::FolderBrowser* folderBrowser = nullptr;
};

class AgentProgram {
public:
    explicit AgentProgram(Deployment deployment, ServiceOverrides overrides = {});
    ~AgentProgram();
    AgentProgram(const AgentProgram&) = delete;
    AgentProgram& operator=(const AgentProgram&) = delete;

    // Builds and shows the main window, then runs its start-up, which fills it in as
    // the store answers. false when a fatal start-up message has already asked to quit:
    // the event loop would not see that request, so the caller ends instead of running
    // the loop.
    bool start();

    // Ends the program as Exit does: now, or once a store exchange under way is over.
    void requestQuit();

    [[nodiscard]] Agent& agent();
    [[nodiscard]] MainWindow& window();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace qk::app
