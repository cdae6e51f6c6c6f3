// The agent as the customer starts it: its memory (the password, card data while a purchase
// is sent) goes into no core file, and another process of the same user cannot read it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/refusing_port.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Root may read any process's memory: the agent and the reader then run as "nobody", so
// only the agent's own choice keeps its memory closed. Safe between fork and exec.
void becomeOrdinaryUser()
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        _exit(126);
}

// The soft "Max core file size" of /proc/<pid>/limits.
std::string coreLimitOf(pid_t pid)
{
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    std::string word;
    while (limits >> word)
        if (word == "core" && limits >> word && word == "file" && limits >> word && word == "size" && limits >> word)
            return word;
    return {};
}

TEST(AgentProcess, CoreDumpsAreOffInTheRunningAgent)
{
    const qk::test::TempFolder folder;
    fs::permissions(folder.path(), fs::perms::all);
    // No store answers: the agent says so and waits in its message box.
    const qk::test::RefusingPort refusing;
    const std::string port = std::to_string(refusing.port());
    const std::string home = folder.path().string();
    std::string environment[] = {"HOME=" + home, "XDG_CONFIG_HOME=" + home, "XDG_DATA_HOME=" + home,
                                 "XDG_CACHE_HOME=" + home, "QKAGENT_SETTINGS_DIR=" + home + "/settings",
                                 "QKAGENT_STORE_HOST=127.0.0.1", "QKAGENT_STORE_HTTPS_PORT=" + port,
                                 "QKAGENT_STORE_HTTP_PORT=" + port, "QT_QPA_PLATFORM=offscreen"};
    char* envp[std::size(environment) + 1] = {};
    for (std::size_t i = 0; i < std::size(environment); ++i)
        envp[i] = environment[i].data();
    char name[] = "qk-agent";
    char* argv[] = {name, nullptr};
    // Core files allowed as far as this system lets (root may raise the hard limit too),
    // so the agent must turn them off itself; the child says through a pipe what limit
    // it started the agent with.
    int limitPipe[2];
    ASSERT_EQ(pipe2(limitPipe, O_CLOEXEC), 0);
    const pid_t agent = fork();
    if (agent == 0) {
        rlimit core{RLIM_INFINITY, RLIM_INFINITY};
        if (setrlimit(RLIMIT_CORE, &core) != 0) {
            getrlimit(RLIMIT_CORE, &core);
            core.rlim_cur = core.rlim_max;
            setrlimit(RLIMIT_CORE, &core);
        }
        getrlimit(RLIMIT_CORE, &core);
        (void)!write(limitPipe[1], &core.rlim_cur, sizeof core.rlim_cur);
        becomeOrdinaryUser();
        execve(QK_AGENT_EXE, argv, envp);
        _exit(127);
    }
    ASSERT_GT(agent, 0);
    close(limitPipe[1]);
    rlim_t startedWith = 0;
    const bool told = read(limitPipe[0], &startedWith, sizeof startedWith) == sizeof startedWith;
    close(limitPipe[0]);

    // Once the agent's own main() runs, the limit it set shows, and its /proc files are
    // owned by root, whoever runs it, as for any process that is not dumpable. Both are
    // waited for: a sanitizer's runtime sets the limit before main() runs.
    const std::string proc = "/proc/" + std::to_string(agent);
    const auto procOwner = [&proc] {
        struct stat procFile {};
        return stat((proc + "/environ").c_str(), &procFile) == 0 ? procFile.st_uid : ~0U;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::error_code error;
    while (std::chrono::steady_clock::now() < deadline && waitpid(agent, nullptr, WNOHANG) == 0 &&
           !(fs::read_symlink(proc + "/exe", error) == fs::canonical(QK_AGENT_EXE) && coreLimitOf(agent) == "0" &&
             procOwner() == 0U))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(waitpid(agent, nullptr, WNOHANG), 0) << "the agent ended on its own";
    EXPECT_EQ(coreLimitOf(agent), "0") << "core files of the running agent";
    EXPECT_EQ(procOwner(), 0U) << "the agent is still dumpable";

    // Reading its environment takes the same access as reading its memory.
    const std::string environ = proc + "/environ";
    const pid_t reader = fork();
    if (reader == 0) {
        becomeOrdinaryUser();
        char byte = 0;
        const int fd = open(environ.c_str(), O_RDONLY);
        _exit(fd >= 0 && read(fd, &byte, 1) >= 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(reader, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the agent's memory is open to its user";

    kill(agent, SIGKILL);
    waitpid(agent, nullptr, 0);
    // Where core files cannot be allowed at all, the limit of 0 above proves nothing.
    ASSERT_TRUE(told);
    if (startedWith == 0)
        GTEST_SKIP() << "this system allows no core files: the agent's own limit could not be seen";
}

}  // namespace
