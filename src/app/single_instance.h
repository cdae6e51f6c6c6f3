#pragma once
// One agent per settings folder. The first agent started for a folder holds a lock file
// in it and listens on a local socket named after the folder; a later start finds the
// lock taken, asks the running agent over the socket to bring its window to the front,
// and ends. The lock is the operating system's: an agent that crashed or was killed
// leaves a lock file whose owner is gone, and the next start takes it over.

#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

namespace qk::app {

class SingleInstance {
public:
    enum class Role {
        First,      // this agent holds the folder; it answers later starts
        Second,     // another agent holds the folder
        Unguarded,  // the lock cannot be made (a read-only folder): run without it
    };

    explicit SingleInstance(const std::filesystem::path& settingsDir);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Creates the settings folder if needed and tries the lock; as First it listens.
    Role claim();

    // As First: what a later start's request runs (bringing the window to the front).
    // Until set, requests are answered all the same: the window shows itself once
    // the agent's start-up is through.
    void onShowRequest(std::function<void()> show) { show_ = std::move(show); }

    // As Second: asks the running agent to show its window. True once it confirmed,
    // false when it did not answer within `timeoutMs`.
    bool askRunningAgentToShow(int timeoutMs = 10000);

    // The local socket's name for a settings folder: in the user's runtime folder when
    // there is one, else a per-user name in the temporary folder.
    static QString socketName(const std::filesystem::path& settingsDir);

private:
    void answer();

    std::filesystem::path settingsDir_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    std::function<void()> show_;
};

// Brings the agent's windows to the front: restored if minimised, raised, and the one
// that takes input (an open modal dialog, else the main window) activated.
void bringAgentToFront();

}  // namespace qk::app
