// tessaly-fetch as the benchmark drives it: one line per worker message, exit status by outcome.
#include "tests/download/ServerFixture.h"

#include <cstdio>
#include <regex>
#include <sys/wait.h>

namespace tessaly::test {
namespace {

struct ToolRun {
    std::string output;
    int exitCode = -1;
};

ToolRun RunTool(const std::string& arguments) {
    ToolRun run;
    FILE* pipe = popen((std::string(TESSALY_FETCH_TOOL) + " " + arguments).c_str(), "r");
    if (!pipe)
        return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

using FetchToolTest = ServerTest;

TEST_F(FetchToolTest, PrintsEachMessageAndExitsByOutcome) {
    // 5000 bytes in about 2.5 s: one report, of at most 2 bytes per millisecond and 4 KiB received.
    const std::string address = server->WatchUrl("v=size:5000,seed:6,rate:2000&title=tool");
    const auto done =
        RunTool("'" + address + "' '" + (folder / "new").string() + "' --receive-timeout-ms 5000");
    EXPECT_EQ(done.exitCode, 0);
    EXPECT_TRUE(std::regex_match(done.output, std::regex("ANALYSING\nNAMED tool.flv\nCONNECTED\nCONNECTED\n"
                                                         "SPEED [0-2]\nRECEIVED 4\nDONE\n")))
        << done.output;
    EXPECT_TRUE(ReadWholeFile((folder / "new" / "tool.flv").string()) == ExpectedStreamBody(5000, 6));

    const auto failed = RunTool("'" + server->WatchUrl("nofields=1") + "' '" + folder.string() + "'");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.output, "ANALYSING\nFAILED 0\n");

    EXPECT_EQ(RunTool("only-one-argument").exitCode, 2);
    EXPECT_EQ(RunTool("a b --receive-timeout-ms x").exitCode, 2);
}

} // namespace
} // namespace tessaly::test
