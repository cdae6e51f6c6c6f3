// qk-fetch [--part VERSION] URL FILE [EXPECTED_SIZE]
// Runs one download exactly as the agent does, without a window: prints every new
// progress text it sees, then the result message. Exit status 0 only when the
// download completed. An https:// URL is verified as the agent verifies its servers:
// the system's CA store plus the PEM file that QKAGENT_CA_FILE names.
// --part: as the agent's own downloads, through "FILE.part", continued when an earlier
// run of the same VERSION left one; prints "received=<body bytes from the server>" before
// the result message.

#include "download/download_job.h"
#include "download/progress_text.h"
#include "platform/deployment.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace {

bool completed(const std::string& progressText)
{
    const auto bar = progressText.rfind('|');
    return bar != std::string::npos &&
           std::string_view(progressText).substr(bar + 1) == qk::download::kStatusCompleted;
}

bool parseSize(const char* text, std::uint64_t& size)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-')
        return false;
    size = value;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // Past the file-size limit a write fails and is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    std::optional<qk::download::PartialPlan> plan;
    if (argc >= 3 && std::string_view(argv[1]) == "--part") {
        plan = qk::download::PartialPlan{argv[2], 0};
        argv[2] = argv[0];
        argv += 2;
        argc -= 2;
    }
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: qk-fetch [--part VERSION] URL FILE [EXPECTED_SIZE]\n");
        return 1;
    }
    std::uint64_t expected = 0;
    if (argc == 4 && !parseSize(argv[3], expected)) {
        std::fprintf(stderr, "qk-fetch: EXPECTED_SIZE must be a whole number of bytes\n");
        return 1;
    }
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(argv[2], error);
    if (error || file.filename().empty()) {
        std::fprintf(stderr, "qk-fetch: FILE must name a file\n");
        return 1;
    }

    qk::download::DownloadJob job;
    job.caFile = qk::Deployment::fromEnvironment().caFile;
    const int started =
        plan ? qk::download::startDownload(job, true, file.parent_path().string(), argv[1], file.filename().string(),
                                           expected, *plan)
             : qk::download::startDownload(job, true, file.parent_path().string(), argv[1], file.filename().string(),
                                           expected);
    if (started != 1) {
        std::printf("startDownload returned %d\n", started);
        return 1;
    }

    std::string text;
    std::string shown;
    bool running = true;
    while (running) {
        running = qk::download::readProgress(job, text);
        if (text != shown) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
            shown = text;
        }
        if (running)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    job.worker.join();
    qk::download::readProgress(job, text);
    if (text != shown)
        std::printf("%s\n", text.c_str());
    if (plan)
        std::printf("received=%llu\n", static_cast<unsigned long long>(job.bytesReceived.load()));
    std::printf("%s\n", qk::download::readResultMessage(job).c_str());
    return completed(text) ? 0 : 1;
}
