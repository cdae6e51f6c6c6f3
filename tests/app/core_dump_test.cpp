// The agent as the customer starts it: its memory (the password, card data while a purchase
// is sent) goes into no core file, and another process of the same user cannot read it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Root may read any process's memory; the agent and the reader then run as "nobody", so
// that only the agent's own choice keeps its memory closed.
constexpr uid_t kNobody = 65534;

void becomeOrdinaryUser()
{
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
        _exit(126);
}

// "Max core file size" of /proc/<pid>/limits, soft column; empty while unreadable.
std::string coreLimitOf(pid_t pid)
{
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    std::string line;
    while (std::getline(limits, line)) {
        if (line.starts_with("Max core file size")) {
            std::istringstream fields(line.substr(std::string_view("Max core file size").size()));
            std::string soft;
            fields >> soft;
            return soft;
        }
    }
    return {};
}

class RunningAgent {
public:
    explicit RunningAgent(const fs::path& home)
    {
        // Made before the fork: the child of a threaded process only calls what is safe there.
        // No store answers on port 1: the agent says so and waits in its message box.
        const std::vector<std::string> environment = {
            "HOME=" + home.string(),
            "XDG_CONFIG_HOME=" + home.string(),
            "XDG_DATA_HOME=" + home.string(),
            "XDG_CACHE_HOME=" + home.string(),
            "QKAGENT_SETTINGS_DIR=" + (home / "settings").string(),
            "QKAGENT_STORE_HOST=127.0.0.1",
            "QKAGENT_STORE_HTTPS_PORT=1",
            "QKAGENT_STORE_HTTP_PORT=1",
            "QT_QPA_PLATFORM=offscreen",
        };
        std::vector<char*> envp;
        for (const std::string& entry : environment)
            envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);
        char* const argv[] = {const_cast<char*>("qk-agent"), nullptr};
        pid_ = fork();
        if (pid_ != 0)
            return;
        // Core files allowed as far as this system lets, so the agent must turn them off.
        rlimit core{};
        getrlimit(RLIMIT_CORE, &core);
        core.rlim_cur = core.rlim_max;
        setrlimit(RLIMIT_CORE, &core);
        becomeOrdinaryUser();
        execve(QK_AGENT_EXE, argv, envp.data());
        _exit(127);
    }
    ~RunningAgent()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    RunningAgent(const RunningAgent&) = delete;
    RunningAgent& operator=(const RunningAgent&) = delete;

    [[nodiscard]] pid_t pid() const { return pid_; }
    [[nodiscard]] bool alive() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
};

// Whether another process of the agent's user can read the agent's environment (which
// needs the same access as reading its memory).
bool readableByItsUser(pid_t agent)
{
    const std::string path = "/proc/" + std::to_string(agent) + "/environ";
    const pid_t reader = fork();
    if (reader == 0) {
        becomeOrdinaryUser();
        const int fd = open(path.c_str(), O_RDONLY);
        char byte = 0;
        _exit(fd >= 0 && read(fd, &byte, 1) >= 0 ? 0 : (errno == EACCES || errno == EPERM ? 1 : 2));
    }
    int status = 0;
    waitpid(reader, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(AgentProcess, CoreDumpsAreOffInTheRunningAgent)
{
    char pattern[] = "/tmp/qk-agent-process-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path home = pattern;
    fs::permissions(home, fs::perms::all);  // for the agent running as "nobody"

    {
        RunningAgent agent(home);
        ASSERT_GT(agent.pid(), 0);
        // Wait for the agent's own main(): once it runs, the limit it set shows.
        std::string limit;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline && agent.alive()) {
            const std::string exe = fs::read_symlink("/proc/" + std::to_string(agent.pid()) + "/exe").string();
            limit = coreLimitOf(agent.pid());
            if (exe == fs::canonical(QK_AGENT_EXE).string() && limit == "0")
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_TRUE(agent.alive()) << "the agent ended on its own";
        EXPECT_EQ(limit, "0") << "core files of the running agent";
        EXPECT_FALSE(readableByItsUser(agent.pid())) << "the agent's memory is open to its user's processes";
    }
    std::error_code ignored;
    fs::remove_all(home, ignored);
}

}  // namespace
