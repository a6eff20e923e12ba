// tessaly-fetch as the benchmark drives it: one line per worker message, exit status by outcome.
#include "tests/download/ServerFixture.h"

#include <cstdio>
#include <fcntl.h>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    // The report may come before the last bytes; the whole size is received before DONE.
    EXPECT_TRUE(std::regex_match(done.output,
                                 std::regex("ANALYSING\nNAMED tool.flv\nCONNECTED\nLENGTH 5000\nCONNECTED\n"
                                            "SPEED [0-2]\n(RECEIVED 3\n)?RECEIVED 4\nDONE\n")))
        << done.output;
    EXPECT_TRUE(ReadWholeFile((folder / "new" / "tool.flv").string()) == ExpectedStreamBody(5000, 6));

    const auto failed = RunTool("'" + server->WatchUrl("nofields=1") + "' '" + folder.string() + "'");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.output, "ANALYSING\nFAILED 0\n");

    EXPECT_EQ(RunTool("only-one-argument").exitCode, 2);
    EXPECT_EQ(RunTool("a b --receive-timeout-ms x").exitCode, 2);
}

TEST_F(FetchToolTest, TerminatedKeepsEveryByteItWasSent) {
    // 1050000 bytes, then the server holds the stream open: the last 1424 bytes are less than a read.
    const std::string spec = "size:2000000,seed:8,stall:1050000";
    const std::string address = server->WatchUrl("v=" + spec + "&title=cut");
    const std::string folderArg = folder.string();
    const char* argv[] = {TESSALY_FETCH_TOOL,     address.c_str(), folderArg.c_str(),
                          "--receive-timeout-ms", "60000",         nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t tool = 0;
    ASSERT_EQ(posix_spawn(&tool, argv[0], &quiet, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&quiet);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (server->RequestLog().find("STALL " + spec + " 1050000") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    kill(tool, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(tool, &status, 0), tool);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const std::string saved = ReadWholeFile((folder / "cut.flv").string());
    EXPECT_EQ(saved.size(), 1050000u);
    EXPECT_TRUE(ExpectedStreamBody(2000000, 8).starts_with(saved));
}

} // namespace
} // namespace tessaly::test
