// The task list's rows, states, register, limits and figure messages, with real workers.
#include "download/core/PageResolution.h"
#include "tests/download/TaskListFixture.h"

#include <fstream>

namespace tessaly::test {
namespace {

TEST_F(TaskListTest, TaskWaitsThenPassesThroughItsStatesToDone) {
    const auto address = Watch("size:50000,seed:9", "title=Clip%3A1");
    ASSERT_TRUE(list->AddTask(address));
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(Icon(0), kIconWaiting);
    EXPECT_TRUE((Texts(0) == std::vector<std::u16string>{u"", address, kTextWaiting, kTextZeroKb, address}));
    EXPECT_TRUE(list->addedUrls() == u"FIND|" + address);
    EXPECT_EQ(rows.inserted, std::vector<int>{0});
    EXPECT_EQ(figures.Sum<WM_TASKCOUNT_DELTA>(), 1);

    ASSERT_TRUE(PumpUntilDone(0));
    EXPECT_EQ(Icon(0), kIconDone);
    EXPECT_TRUE(Text(0, 1) == u"Clip 1.flv");
    EXPECT_TRUE(Text(0, 2) == u"48KB"); // the whole file, though done before the first progress report
    EXPECT_TRUE(ReadWholeFile((folder / "Clip 1.flv").string()) == ExpectedStreamBody(50000, 9));
    EXPECT_EQ(figures.Sum<WM_COMPLETED_DELTA>(), 1);
    ASSERT_FALSE(figures.entries.empty());
    const auto last = figures.Last<WM_TASK_RATE>();
    EXPECT_EQ(last.worker, list->row(0).workerId);
    EXPECT_EQ(last.bytesPerMs, 0);
}

TEST_F(TaskListTest, FailedTaskClearsItsRate) {
    ASSERT_TRUE(list->AddTask(Watch("size:100,status:404")));
    ASSERT_TRUE(Pump([&] { return Icon(0) == kIconFailed; }));
    EXPECT_EQ(list->row(0).failure, kFailStreamOpen);
    EXPECT_TRUE(Text(0, 2) == u"服务器错误");
    EXPECT_TRUE(Text(0, 3) == kTextZeroKb);
    EXPECT_EQ(figures.Last<WM_TASK_RATE>().bytesPerMs, 0);
    EXPECT_EQ(figures.Sum<WM_COMPLETED_DELTA>(), 0);
}

TEST_F(TaskListTest, WorkerMessagesBecomeRowTexts) {
    // A page that never answers keeps the worker out of the way while messages are fed by hand.
    ASSERT_TRUE(list->AddTask(FromUtf8(server->Url("/get_video?video_id=hstall:1&u=youtube.com/watch?v=1"))));
    const WorkerId id = list->row(0).workerId;
    const auto feed = [&](WorkerMessageBody message) { list->HandleWorkerMessage({id, std::move(message)}); };
    const struct {
        std::int64_t rate;
        const char16_t* shown;
    } speeds[] = {{0, u"0KB"},     {1, u"0KB"},       {2, u"1KB"},
                  {128, u"125KB"}, {1024, u"1000KB"}, {-128, u"-125KB"}};
    for (const auto& s : speeds) {
        feed(WM_TASK_SPEED{s.rate});
        EXPECT_TRUE(Text(0, 3) == s.shown) << s.rate;
        EXPECT_EQ(figures.Last<WM_TASK_RATE>().bytesPerMs, s.rate);
    }
    feed(WM_TASK_NAMED{std::u16string(250, u'x')});
    EXPECT_EQ(Text(0, 1).size(), 199u);
    EXPECT_TRUE(Text(0, 2) == kTextReady);
    EXPECT_EQ(Icon(0), kIconAnalysing);
    feed(WM_TASK_CONNECTED{});
    EXPECT_TRUE(Text(0, 2) == kTextZeroKb);
    EXPECT_EQ(Icon(0), kIconReceiving);
    feed(WM_TASK_RECEIVED{4});
    EXPECT_TRUE(Text(0, 2) == u"4KB");
    feed(WM_TASK_SPEED{128});
    feed(WM_TASK_FAILED{kFailStreamRead, {}});
    EXPECT_TRUE(Text(0, 3) == kTextZeroKb); // no speed left to show

    // Messages of a worker without a row change nothing.
    const auto before = Texts(0);
    const auto figuresBefore = figures.entries.size();
    for (const WorkerMessageBody& message :
         {WorkerMessageBody(WM_TASK_ANALYSING{}), WorkerMessageBody(WM_TASK_FAILED{}),
          WorkerMessageBody(WM_TASK_DONE{}), WorkerMessageBody(WM_TASK_SPEED{7}),
          WorkerMessageBody(WM_TASK_RECEIVED{7})})
        list->HandleWorkerMessage({id + 1000, message});
    EXPECT_TRUE(Texts(0) == before);
    EXPECT_EQ(figures.entries.size(), figuresBefore);
}

TEST_F(TaskListTest, KnownLengthGivesShareAndASteadyTimeLeft) {
    ASSERT_TRUE(list->AddTask(FromUtf8(server->Url("/get_video?video_id=hstall:1&u=youtube.com/watch?v=2"))));
    const WorkerId id = list->row(0).workerId;
    const auto feed = [&](WorkerMessageBody message) { list->HandleWorkerMessage({id, std::move(message)}); };
    const auto detail = [&] { return ToUtf8(TaskDetailText(list->row(0))); };
    feed(WM_TASK_CONNECTED{});
    feed(WM_TASK_RECEIVED{2000});
    EXPECT_FALSE(TaskProgress(list->row(0))); // no length announced: no share, no tooltip
    EXPECT_EQ(detail(), "");
    // The time left follows the average speed, not the last report alone.
    feed(WM_TASK_LENGTH{10240000});
    EXPECT_EQ(detail(), "已下载 2000KB / 10000KB（20%）\n剩余时间：正在估算...");
    feed(WM_TASK_SPEED{100}); // 8192000 bytes left at 100 bytes/ms: 82 s, shown in steps of 10 s
    EXPECT_EQ(detail(), "已下载 2000KB / 10000KB（20%）\n剩余时间：约 1 分 30 秒");
    feed(WM_TASK_SPEED{400}); // averaged to 200 bytes/ms: 41 s, in steps of 5 s
    EXPECT_EQ(detail(), "已下载 2000KB / 10000KB（20%）\n剩余时间：约 45 秒");
    EXPECT_DOUBLE_EQ(*TaskProgress(list->row(0)), 0.2);
}

// A status, network error or system error has its words where the tables know it, and is told by
// its number where they do not.
TEST(TaskDetailText, FailureCodesInWordsOrByNumber) {
    const struct {
        FailureCause cause;
        long httpStatus;
        int networkError;
        int systemError;
        const char* shown;
    } cases[] = {
        {FailureCause::kHttpError, 503, 0, 0, "下载视频时，服务器 h 返回错误 HTTP 503（服务暂时不可用）。"},
        {FailureCause::kHttpError, 418, 0, 0, "下载视频时，服务器 h 返回错误 HTTP 418。"},
        {FailureCause::kBroken, 0, CURLE_RECV_ERROR, 0,
         "下载视频时，与服务器 h 的连接中断（接收数据失败）。"},
        {FailureCause::kBroken, 0, 9999, 0, "下载视频时，与服务器 h 的连接中断（网络错误 9999）。"},
        {FailureCause::kFileError, 0, 0, EROFS, "无法保存文件 f：磁盘只读。"},
        {FailureCause::kFileError, 0, 0, 12345, "无法保存文件 f：系统错误 12345。"},
    };
    for (const auto& c : cases) {
        DownloadTask task;
        task.state = TaskState::kFailed;
        task.failureDetail.cause = c.cause;
        task.failureDetail.host = "h";
        task.failureDetail.file = u"f";
        task.failureDetail.httpStatus = c.httpStatus;
        task.failureDetail.networkError = c.networkError;
        task.failureDetail.systemError = c.systemError;
        EXPECT_EQ(ToUtf8(TaskDetailText(task)), c.shown);
    }
}

TEST_F(TaskListTest, DuplicatesAndTheRegister) {
    const auto first = Watch("hstall:1");
    ASSERT_TRUE(list->AddTask(first));
    EXPECT_TRUE(list->IsDuplicate(first));
    EXPECT_TRUE(list->IsDuplicate(first.substr(0, first.size() - 1))); // part of an added address
    EXPECT_FALSE(list->IsDuplicate(first + u"&x=1"));                  // holds an added one
    EXPECT_FALSE(list->IsDuplicate(u""));
    EXPECT_FALSE(list->IsDuplicate(u"FIND|"));
    EXPECT_FALSE(list->IsDuplicate(u"FI"));

    const auto longer = first + u"&x=1";
    ASSERT_TRUE(list->AddTask(longer));
    list->DeleteTask(0, false);
    // Every occurrence goes, also the one inside the longer address.
    EXPECT_TRUE(list->addedUrls() == u"FIND|&x=1");
    EXPECT_TRUE(list->selectedUrl() == first);
    EXPECT_FALSE(list->IsDuplicate(first));
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(rows.removed, std::vector<int>{0});
    EXPECT_EQ(figures.Sum<WM_TASKCOUNT_DELTA>(), 1);
}

TEST_F(TaskListTest, ThreeRunTheFourthWaitsAndStartsWhenOneEnds) {
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(list->AddTask(Watch("size:400000,rate:100000,seed:" + std::to_string(i))));
    ASSERT_TRUE(list->AddTask(Watch("size:3000,seed:3")));
    ASSERT_TRUE(list->AddTask(Watch("size:3000,seed:4")));
    EXPECT_EQ(service->running(), 3);
    ASSERT_TRUE(Pump([&] { return Text(2, 2) != kTextWaiting; }));
    EXPECT_TRUE(Text(3, 2) == kTextWaiting);
    EXPECT_EQ(Icon(3), kIconWaiting);

    // Deleting a running task lets the topmost waiting one start, not the one below it.
    list->DeleteTask(0, false);
    ASSERT_TRUE(PumpUntilDone(2));
    EXPECT_TRUE(Text(3, 2) == kTextWaiting);
    ASSERT_TRUE(PumpUntilDone(3));
    for (int row = 0; row < 2; ++row)
        ASSERT_TRUE(PumpUntilDone(row));
    EXPECT_EQ(figures.Sum<WM_COMPLETED_DELTA>(), 4);
}

TEST_F(TaskListTest, TenRowsAtMost) {
    for (int i = 0; i < TaskList::kMaxRows; ++i)
        ASSERT_TRUE(list->AddTask(Watch("hstall:1,seed:" + std::to_string(i))));
    EXPECT_FALSE(list->AddTask(Watch("hstall:1,seed:99")));
    EXPECT_EQ(list->rowCount(), 10);
    EXPECT_EQ(service->running(), 3);
    list->DeleteTask(9, false);
    EXPECT_TRUE(list->AddTask(Watch("hstall:1,seed:99")));
}

TEST_F(TaskListTest, DeleteRemovesOnlyTheFileItsTaskCreated) {
    ASSERT_TRUE(list->AddTask(Watch("size:2000,seed:1", "title=keep")));
    ASSERT_TRUE(list->AddTask(Watch("size:2000,seed:2", "title=drop")));
    ASSERT_TRUE(PumpUntilDone(0));
    ASSERT_TRUE(PumpUntilDone(1));
    list->DeleteTask(1, true);
    list->DeleteTask(0, false);
    EXPECT_FALSE(std::filesystem::exists(folder / "drop.flv"));
    EXPECT_TRUE(std::filesystem::exists(folder / "keep.flv"));
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(figures.Sum<WM_TASKCOUNT_DELTA>(), 0);

    // Before the worker has named its file, column 1 holds the address: no path is made of it.
    const auto address = Watch("hstall:1");
    const auto lookalike = std::filesystem::path(ToUtf8(JoinFolderPath(FromUtf8(folder.string()), address)));
    std::filesystem::create_directories(lookalike.parent_path());
    std::ofstream(lookalike) << "not the task's";
    ASSERT_TRUE(list->AddTask(address));
    list->DeleteTask(0, true);
    EXPECT_TRUE(std::filesystem::exists(lookalike));

    // A task named "clip" whose stream never came made no file; the one later saved under that
    // name belongs to another task.
    ASSERT_TRUE(list->AddTask(Watch("size:100,status:404")));
    ASSERT_TRUE(Pump([&] { return list->row(0).state == TaskState::kFailed; }));
    EXPECT_TRUE(Text(0, 1) == u"clip.flv");
    ASSERT_TRUE(list->AddTask(Watch("size:3000,seed:3")));
    ASSERT_TRUE(PumpUntilDone(1));
    list->DeleteTask(0, true);
    EXPECT_TRUE(ReadWholeFile((folder / "clip.flv").string()) == ExpectedStreamBody(3000, 3));

    // The file is deleted where it was made, also after the folder setting changed, and not once
    // another file has taken its place.
    ASSERT_TRUE(list->AddTask(Watch("size:100", "title=moved")));
    ASSERT_TRUE(PumpUntilDone(1));
    const auto other = folder / "other";
    std::filesystem::create_directories(other);
    downloadFolder.Set(FromUtf8(other.string()));
    std::ofstream(other / "moved.flv") << "unrelated";
    std::ofstream(other / "clip.flv") << "unrelated";
    list->DeleteTask(1, true);
    EXPECT_FALSE(std::filesystem::exists(folder / "moved.flv"));
    EXPECT_EQ(ReadWholeFile((other / "moved.flv").string()), "unrelated");
    std::filesystem::remove(folder / "clip.flv");
    std::ofstream(folder / "clip.flv") << "put back by hand";
    list->DeleteTask(0, true);
    EXPECT_EQ(ReadWholeFile((folder / "clip.flv").string()), "put back by hand");
    EXPECT_EQ(ReadWholeFile((other / "clip.flv").string()), "unrelated");
}

TEST_F(TaskListTest, AStoppedWorkerKeepsItsSlotUntilItsThreadHasEnded) {
    // Three workers started and held right after their start gate; a fourth task waits.
    downloadFolder.Hold(true);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(
            list->AddTask(Watch("size:100,seed:" + std::to_string(i), "title=t" + std::to_string(i))));
    ASSERT_TRUE(list->AddTask(Watch("size:100,seed:3", "title=next")));
    ASSERT_TRUE(downloadFolder.WaitAskedMoreThan(2, std::chrono::seconds(20)));
    // Deleting a held one must not let the fourth start while the held thread lives on: give it
    // every chance to, then look.
    list->DeleteTask(0, false);
    Pump([] { return true; });
    EXPECT_FALSE(downloadFolder.WaitAskedMoreThan(3, std::chrono::milliseconds(300)));
    EXPECT_EQ(service->running(), 3);
    EXPECT_TRUE(Text(2, 2) == kTextWaiting);
    // Once it has ended, the fourth starts, and every remaining task finishes.
    downloadFolder.Hold(false);
    for (int row = 0; row < 3; ++row)
        ASSERT_TRUE(PumpUntilDone(row));
    EXPECT_TRUE(Text(2, 1) == u"next.flv");
    EXPECT_FALSE(std::filesystem::exists(folder / "t0.flv"));
}

TEST_F(TaskListTest, ACraftedPageDeletedWhileMatchedLeavesNoWorkerBehind) {
    // 8191 bytes of the extraction pattern's own literals, every required one present: a page that
    // costs the matcher dearly. Deleted while its worker works on it, three times over.
    const std::string crafted = "u=youtube.com/watch?v=1&repeat=292:%3Ctitle%3E&repeat=256:%2Ftitle%3Ex"
                                "&repeat=409:%26video_id%3D&repeat=1:%26yx%26%26t%3Dc%26";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(list->AddTask(FromUtf8(server->Url("/watch?" + crafted + "&n=" + std::to_string(i)))));
        ASSERT_TRUE(queue.WaitFor([&](const WorkerMessage& m) {
            return m.Is<WM_TASK_ANALYSING>() && m.workerId == list->row(0).workerId;
        }));
        const auto posted = queue.All().size();
        list->DeleteTask(0, false);
        EXPECT_TRUE(service->WaitUntilIdle(std::chrono::seconds(10)));
        EXPECT_EQ(service->liveThreads(), 0);
        EXPECT_EQ(service->running(), 0);
        EXPECT_EQ(queue.All().size(), posted);
    }
}

TEST_F(TaskListTest, TwoQuickDeletionsStopBothWorkersSilently) {
    ASSERT_TRUE(list->AddTask(Watch("size:4000000,rate:200000,seed:1", "title=a")));
    ASSERT_TRUE(list->AddTask(Watch("size:4000000,rate:200000,seed:2", "title=b")));
    ASSERT_TRUE(list->AddTask(Watch("size:1000,seed:3", "pad:4000&prate:2000&title=c"))); // in its page phase
    ASSERT_TRUE(list->AddTask(Watch("size:1000,seed:4", "title=d")));                     // waiting
    ASSERT_TRUE(Pump([&] { return Text(0, 2) == kTextZeroKb && Text(1, 2) == kTextZeroKb; }));
    const WorkerId waitingId = list->row(3).workerId;
    list->DeleteTask(0, true);
    list->DeleteTask(0, true);
    list->DeleteTask(0, true);
    const auto posted = queue.All().size();
    // The waiting task started in their place and finishes; the deleted ones end without a word.
    ASSERT_TRUE(PumpUntilDone(0));
    EXPECT_EQ(list->row(0).workerId, waitingId);
    EXPECT_TRUE(service->WaitUntilIdle(std::chrono::seconds(10)));
    const auto all = queue.All();
    for (std::size_t i = posted; i < all.size(); ++i)
        EXPECT_EQ(all[i].workerId, waitingId);
    EXPECT_FALSE(std::filesystem::exists(folder / "a.flv"));
    EXPECT_FALSE(std::filesystem::exists(folder / "b.flv"));
    EXPECT_FALSE(std::filesystem::exists(folder / "c.flv"));
}

} // namespace
} // namespace tessaly::test
