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
#include <thread>

#include "platform/settings_store.h"
#include "store/credentials.h"
#include "store/session.h"
#include "support/demo_store.h"

namespace qk::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kRaisedLine = "qk-agent: the agent already running for these settings was brought to the front";

struct Agent {
    pid_t pid = -1;
    int output = -1;  // the read end of its stdout
};

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
        }
    }

    Agent& launch()
    {
        const Deployment d = store_.deployment(settings_);
        int pipeFds[2];
        EXPECT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        Agent agent;
        agent.pid = ::fork();
        if (agent.pid == 0) {
            for (const auto& [name, value] : std::map<std::string, std::string>{
                     {"QT_QPA_PLATFORM", "offscreen"},
                     {"QKAGENT_STORE_HOST", d.storeHost},
                     {"QKAGENT_STORE_HTTPS_PORT", std::to_string(d.storeHttpsPort)},
                     {"QKAGENT_STORE_HTTP_PORT", std::to_string(d.storeHttpPort)},
                     {"QKAGENT_FILE_HOST_PRIMARY", d.filePrimary},
                     {"QKAGENT_FILE_HOST_SECONDARY", d.fileSecondary},
                     {"QKAGENT_CA_FILE", d.caFile},
                     {"QKAGENT_SETTINGS_DIR", settings_.string()},
                     {"XDG_DATA_HOME", (home_ / "data").string()},
                     {"XDG_RUNTIME_DIR", (home_ / "runtime").string()}})
                ::setenv(name.c_str(), value.c_str(), 1);
            ::dup2(pipeFds[1], STDOUT_FILENO);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
            ::execl(QK_AGENT_EXE, QK_AGENT_EXE, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        agent.output = pipeFds[0];
        agents_.push_back(agent);
        return agents_.back();
    }

    int requestsFor(std::string_view bodyPrefix)
    {
        int count = 0;
        for (const auto& request : store_.requests())
            count += request.body.starts_with(bodyPrefix) ? 1 : 0;
        return count;
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
            bool logoAfter = false;
            for (const auto& request : log) {
                if (request.body.starts_with("action=catalog")) {
                    ++catalogs;
                    logoAfter = false;
                } else if (request.target.ends_with("logo_s.png")) {
                    logoAfter = true;
                }
            }
            if (catalogs == count && logoAfter)
                return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(20ms);
        }
        return ::testing::AssertionFailure() << "no start-up within 30 s";
    }

    struct Ending {
        int status = -1;
        std::chrono::milliseconds took{};
        std::string output;
    };

    // Waits for a later start to end on its own.
    Ending endOf(const Agent& agent)
    {
        Ending ending;
        const auto started = Clock::now();
        int status = 0;
        while (::waitpid(agent.pid, &status, WNOHANG) == 0) {
            if (Clock::now() - started > 20s) {
                ::kill(agent.pid, SIGKILL);
                ::waitpid(agent.pid, &status, 0);
                ending.took = 20s;
                return ending;
            }
            std::this_thread::sleep_for(10ms);
        }
        ending.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        char buffer[1024];
        ssize_t n;
        while ((n = ::read(agent.output, buffer, sizeof buffer)) > 0)
            ending.output.append(buffer, static_cast<std::size_t>(n));
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
    EXPECT_EQ(second.status, 0);
    EXPECT_LT(second.took, 5s) << "a second start ends promptly";
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

}  // namespace
}  // namespace qk::test
