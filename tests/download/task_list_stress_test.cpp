// The task list under load: ten tasks, three running, deletions while waiting, in the page phase
// and in the transfer; and a thousand add/delete cycles that must leave no thread, handle or
// descriptor behind. Also the ThreadSanitizer's workload.
#include "tests/download/TaskListFixture.h"

#include <algorithm>
#include <thread>

namespace tessaly::test {
namespace {

std::ptrdiff_t EntriesOf(const char* folder) {
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

class TaskListStressTest : public TaskListTest {
protected:
    // Pumps like the page, noting the most workers ever counted as running.
    bool PumpWatching(const std::function<bool()>& until) {
        return Pump([&] {
            maxRunning = std::max(maxRunning, service->running());
            return until();
        });
    }
    int RowOf(const std::string& title) const {
        for (int row = 0; row < list->rowCount(); ++row)
            if (Text(row, 4).find(FromUtf8("title=" + title)) != std::u16string::npos)
                return row;
        return -1;
    }
    std::int32_t maxRunning = 0;
};

TEST_F(TaskListStressTest, TenTasksThreeRunningDeletionsInEveryPhase) {
    // t0-t2 stream slowly; p3 and p4 have slow pages; the rest are quick.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(list->AddTask(
            Watch("size:300000,rate:150000,seed:" + std::to_string(i), "title=t" + std::to_string(i))));
    for (int i = 3; i < 5; ++i)
        ASSERT_TRUE(list->AddTask(Watch("size:20000,seed:" + std::to_string(i),
                                        "pad:5000&prate:4000&title=p" + std::to_string(i))));
    for (int i = 5; i < 10; ++i)
        ASSERT_TRUE(
            list->AddTask(Watch("size:20000,seed:" + std::to_string(i), "title=q" + std::to_string(i))));
    ASSERT_EQ(list->rowCount(), 10);

    // Transfer phase.
    ASSERT_TRUE(PumpWatching([&] { return Text(RowOf("t0"), 2) == kTextZeroKb; }));
    list->DeleteTask(RowOf("t0"), true);
    // Waiting.
    ASSERT_TRUE(Text(RowOf("q9"), 2) == kTextWaiting);
    list->DeleteTask(RowOf("q9"), true);
    // Page phase.
    ASSERT_TRUE(PumpWatching([&] { return Text(RowOf("p3"), 2) == kTextAnalysing; }));
    list->DeleteTask(RowOf("p3"), true);

    ASSERT_TRUE(PumpWatching([&] {
        for (int row = 0; row < list->rowCount(); ++row)
            if (Text(row, 3) != kTextDone)
                return false;
        return true;
    }));
    EXPECT_EQ(list->rowCount(), 7);
    EXPECT_LE(maxRunning, TaskList::kMaxRunning);
    for (const char* title : {"t1", "t2", "p4", "q5", "q6", "q7", "q8"}) {
        const int seed = title[1] - '0';
        const std::size_t size = title[0] == 't' ? 300000 : 20000;
        EXPECT_TRUE(ReadWholeFile((folder / (std::string(title) + ".flv")).string()) ==
                    ExpectedStreamBody(size, seed))
            << title;
    }
    for (const char* gone : {"t0.flv", "q9.flv", "p3.flv"})
        EXPECT_FALSE(std::filesystem::exists(folder / gone)) << gone;
    EXPECT_EQ(figures.Sum<WM_COMPLETED_DELTA>(), 7);
    EXPECT_EQ(figures.Sum<WM_TASKCOUNT_DELTA>(), 7);
}

TEST_F(TaskListStressTest, ThousandAddDeleteCyclesLeaveNothingBehind) {
    const auto quick = FromUtf8(server->WatchUrl("nofields=1"));
    // One cycle first: a sanitizer's runtime starts a helper thread with the first thread it sees.
    ASSERT_TRUE(list->AddTask(quick));
    list->DeleteTask(0, false);
    ASSERT_TRUE(service->WaitUntilIdle(std::chrono::seconds(10)));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto threadsBefore = EntriesOf("/proc/self/task");
    const auto fdsBefore = EntriesOf("/proc/self/fd");
    for (int cycle = 0; cycle < 1000; ++cycle) {
        // The first half runs each task at once (page phase); the second half keeps three
        // blockers running, so each task is deleted while waiting.
        if (cycle == 500) {
            for (int i = 0; i < 3; ++i)
                ASSERT_TRUE(list->AddTask(Watch("hstall:1,seed:" + std::to_string(i))));
        }
        ASSERT_TRUE(list->AddTask(quick));
        const int row = list->rowCount() - 1;
        if (cycle >= 500) {
            ASSERT_TRUE(Text(row, 2) == kTextWaiting);
        }
        list->DeleteTask(row, false);
        Pump([] { return true; });
        ASSERT_LE(service->running(), TaskList::kMaxRunning);
    }
    while (list->rowCount() > 0)
        list->DeleteTask(0, false);
    EXPECT_TRUE(list->addedUrls() == TaskList::kRegisterPrefix);
    EXPECT_TRUE(service->WaitUntilIdle(std::chrono::seconds(30)));
    EXPECT_EQ(service->running(), 0);
    // A detached thread leaves the task list a moment after its last step.
    for (int i = 0; i < 100 && EntriesOf("/proc/self/task") != threadsBefore; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(EntriesOf("/proc/self/task"), threadsBefore);
    EXPECT_EQ(EntriesOf("/proc/self/fd"), fdsBefore);
}

} // namespace
} // namespace tessaly::test
