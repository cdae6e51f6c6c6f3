// One agent per settings folder, with real processes: the agent itself (offscreen) on
// the demo store, started again on the same settings folder.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/settings_store.h"
#include "store/credentials.h"
#include "store/session.h"
#include "support/demo_store.h"
#include "support/request_log.h"

extern char** environ;

namespace qk::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kRaisedLine = "qk-agent: the agent already running for these settings was brought to the front";

struct Agent {
    pid_t pid = -1;
    int output = -1;  // the read end of its stdout
    int errors = -1;  // the read end of its stderr
};

// This process's environment with `overrides` set: built before fork, since between fork
// and exec a child of a threaded process may only make async-signal-safe calls.
class ChildEnvironment {
public:
    explicit ChildEnvironment(const std::map<std::string, std::string>& overrides)
    {
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view text(*entry);
            if (!overrides.contains(std::string(text.substr(0, text.find('=')))))
                entries_.emplace_back(text);
        }
        for (const auto& [name, value] : overrides)
            entries_.push_back(name + "=" + value);
        for (auto& entry : entries_)
            pointers_.push_back(entry.data());
        pointers_.push_back(nullptr);
    }
    [[nodiscard]] char** envp() { return pointers_.data(); }

private:
    std::vector<std::string> entries_;
    std::vector<char*> pointers_;
};

std::string readToEnd(int fd)
{
    std::string text;
    char buffer[1024];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store_.ok()) << store_.error();
        home_ = store_.stateDir() / "home";
        settings_ = home_ / "settings";
        fs::create_directories(home_ / "data");
        fs::create_directories(home_ / "runtime");
        fs::permissions(home_ / "runtime", fs::perms::owner_all);
        // A saved login: the agent starts without a login dialog.
        SettingsStore settings(settings_);
        Session session;
        session.email = "pilot@tovrin.example";
        session.password = "skylane182";
        ASSERT_EQ(saveCredentials(settings, session), 1);
        store_.clearRequests();
    }

    void TearDown() override
    {
        for (Agent& agent : agents_) {
            if (agent.pid > 0 && ::waitpid(agent.pid, nullptr, WNOHANG) == 0) {
                ::kill(agent.pid, SIGKILL);
                ::waitpid(agent.pid, nullptr, 0);
            }
            if (agent.output >= 0)
                ::close(agent.output);
            if (agent.errors >= 0)
                ::close(agent.errors);
        }
    }

    Agent& launch()
    {
        const Deployment d = store_.deployment(settings_);
        ChildEnvironment environment({{"QT_QPA_PLATFORM", "offscreen"},
                                      {"QKAGENT_STORE_HOST", d.storeHost},
                                      {"QKAGENT_STORE_HTTPS_PORT", std::to_string(d.storeHttpsPort)},
                                      {"QKAGENT_STORE_HTTP_PORT", std::to_string(d.storeHttpPort)},
                                      {"QKAGENT_FILE_HOST_PRIMARY", d.filePrimary},
                                      {"QKAGENT_FILE_HOST_SECONDARY", d.fileSecondary},
                                      {"QKAGENT_CA_FILE", d.caFile},
                                      {"QKAGENT_SETTINGS_DIR", settings_.string()},
                                      {"XDG_DATA_HOME", (home_ / "data").string()},
                                      {"XDG_RUNTIME_DIR", (home_ / "runtime").string()}});
        char program[] = QK_AGENT_EXE;
        char* argv[] = {program, nullptr};
        int outputFds[2];
        int errorFds[2];
        EXPECT_EQ(::pipe2(outputFds, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(errorFds, O_CLOEXEC), 0);
        Agent agent;
        agent.pid = ::fork();
        if (agent.pid == 0) {
            ::dup2(outputFds[1], STDOUT_FILENO);
            ::dup2(errorFds[1], STDERR_FILENO);
            ::execve(QK_AGENT_EXE, argv, environment.envp());
            ::_exit(127);
        }
        ::close(outputFds[1]);
        ::close(errorFds[1]);
        agent.output = outputFds[0];
        agent.errors = errorFds[0];
        agents_.push_back(agent);
        return agents_.back();
    }

    int requestsFor(std::string_view bodyPrefix)
    {
        return static_cast<int>(requestsMatching(store_, {.bodyPrefix = bodyPrefix}).size());
    }

    // Waits until the store has seen `count` catalog requests and the logo after the
    // last, i.e. that many agents got through their start-up.
    ::testing::AssertionResult startedUp(int count, const Agent& agent)
    {
        const auto until = Clock::now() + 30s;
        while (Clock::now() < until) {
            if (::waitpid(agent.pid, nullptr, WNOHANG) != 0)
                return ::testing::AssertionFailure() << "the agent ended during its start-up";
            const auto log = store_.requests();
            int catalogs = 0;
            // The notification is asked for once the start-up has kept the logo in the
            // library copy: after it the agent writes nothing more on its own.
            bool notifiedAfter = false;
            for (const auto& request : log) {
                if (request.body.starts_with("action=catalog")) {
                    ++catalogs;
                    notifiedAfter = false;
                } else if (request.body.starts_with("qk=2&action=qknotify")) {
                    notifiedAfter = true;
                }
            }
            if (catalogs == count && notifiedAfter)
                return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(20ms);
        }
        return ::testing::AssertionFailure() << "no start-up within 30 s";
    }

    struct Ending {
        int status = -1;
        std::string output;
        std::string errors;
    };

    // Waits for a later start to end on its own (it gives up on a silent agent after 10 s).
    Ending endOf(const Agent& agent)
    {
        Ending ending;
        const auto started = Clock::now();
        int status = 0;
        while (::waitpid(agent.pid, &status, WNOHANG) == 0) {
            if (Clock::now() - started > 60s) {
                ::kill(agent.pid, SIGKILL);
                ::waitpid(agent.pid, &status, 0);
                return ending;
            }
            std::this_thread::sleep_for(10ms);
        }
        ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ending.output = readToEnd(agent.output);
        ending.errors = readToEnd(agent.errors);
        return ending;
    }

    // Names and modification times of everything in the settings folder.
    std::map<std::string, fs::file_time_type> settingsSnapshot()
    {
        std::map<std::string, fs::file_time_type> files;
        for (const auto& entry : fs::recursive_directory_iterator(settings_))
            files[entry.path().string()] = entry.last_write_time();
        return files;
    }

    DemoStore store_;
    fs::path home_;
    fs::path settings_;
    std::deque<Agent> agents_;  // references to its agents stay valid as it grows
};

TEST_F(SingleInstanceTest, ASecondStartRaisesTheFirstAndEndsWithoutTouchingAnything)
{
    const Agent& first = launch();
    ASSERT_TRUE(startedUp(1, first));
    const auto before = settingsSnapshot();

    const Ending second = endOf(launch());
    // Status 0 with the line: the running agent answered (a silent one gives status 1).
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.output.find(kRaisedLine), std::string::npos)
        << "the running agent confirmed it showed its window: " << second.output;
    EXPECT_EQ(::waitpid(first.pid, nullptr, WNOHANG), 0) << "the first agent runs on";

    EXPECT_EQ(requestsFor("action=catalog"), 1) << "the second start asked the store nothing";
    EXPECT_EQ(requestsFor("action=getpurchases"), 1);
    EXPECT_EQ(settingsSnapshot(), before) << "the second start wrote nothing into the settings";
}

TEST_F(SingleInstanceTest, AKilledAgentsLockDoesNotBlockTheNextStart)
{
    const Agent& killed = launch();
    ASSERT_TRUE(startedUp(1, killed));
    ASSERT_EQ(::kill(killed.pid, SIGKILL), 0);
    ASSERT_EQ(::waitpid(killed.pid, nullptr, 0), killed.pid);
    ASSERT_TRUE(fs::exists(settings_ / "qk-agent.lock")) << "the killed agent left its lock behind";

    const Agent& next = launch();
    ASSERT_TRUE(startedUp(2, next)) << "the next start took over the folder";

    const Ending third = endOf(launch());
    EXPECT_EQ(third.status, 0);
    EXPECT_NE(third.output.find(kRaisedLine), std::string::npos) << third.output;
    EXPECT_EQ(requestsFor("action=catalog"), 2);
}

TEST_F(SingleInstanceTest, AnAgentThatHoldsTheFolderButDoesNotAnswerEndsTheSecondStartWithStatus1)
{
    // Alive (its lock holds) but stopped: its socket takes the connection and never answers.
    const Agent& silent = launch();
    ASSERT_TRUE(startedUp(1, silent));
    ASSERT_EQ(::kill(silent.pid, SIGSTOP), 0);

    const Ending second = endOf(launch());
    ::kill(silent.pid, SIGCONT);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.errors.find("qk-agent: another agent uses these settings and did not answer\n"), 0U)
        << second.errors;
    EXPECT_EQ(second.output.find(kRaisedLine), std::string::npos) << second.output;
    EXPECT_EQ(requestsFor("action=catalog"), 1) << "the second start asked the store nothing";
}

}  // namespace
}  // namespace qk::test
