// The headless driver, run as a separate process against the demo store.

#include "download_fixture.h"

#include <sys/wait.h>

#include <cstdio>
#include <memory>

namespace qk::download {
namespace {

using namespace qk::download::testing;

struct ToolRun {
    int exitCode = -1;
    std::vector<std::string> lines;
};

ToolRun runFetch(const std::string& arguments)
{
    ToolRun run;
    const std::string command = std::string(QK_FETCH_EXE) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        run.lines.push_back(text);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class FetchToolTest : public StoreSuite {};

TEST_F(FetchToolTest, PrintsProgressThenTheResultAndExitsByTheFinalStatus)
{
    // The stall keeps the pending text in place long enough to be seen.
    const fs::path target = folder_ / "tool.bin";
    ToolRun run = runFetch("'" + fileUrl(*store_, "gen-2000000-stall300") + "' '" + target.string() + "'");
    ASSERT_GE(run.lines.size(), 3u);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines.front(), "0|0|0|0|Pending");
    EXPECT_TRUE(run.lines[run.lines.size() - 2].starts_with("100.00000000|2000000|")) << run.lines[run.lines.size() - 2];
    EXPECT_TRUE(run.lines[run.lines.size() - 2].ends_with("|Completed"));
    EXPECT_EQ(run.lines.back(), "Data has been downloaded");
    EXPECT_TRUE(readFile(target) == generatedBytes(0, 2000000));

    run = runFetch("'" + fileUrl(*store_, "gen-2000000-cut1000") + "' '" + target.string() + "' 2000000");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(run.lines.back(), "Error: There was an unspecified error");
    EXPECT_EQ(fs::file_size(target), 1000u) << "the tool starts over: the old file was replaced";

    run = runFetch("'" + fileUrl(*store_, "gen-10") + "'");
    EXPECT_EQ(run.exitCode, 1) << "missing FILE";
}

}  // namespace
}  // namespace qk::download
