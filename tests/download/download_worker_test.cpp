// The download worker against the real server: its messages, the saved file, every failure code,
// resumption after broken reads, file names that never overwrite, and stop requests.
#include "base/TextCodec.h"
#include "download/core/DownloadService.h"
#include "tests/download/ServerFixture.h"
#include "tests/support/MessageQueue.h"

#include <cerrno>
#include <fstream>
#include <signal.h>
#include <sys/resource.h>
#include <thread>

namespace tessaly::test {
namespace {

bool Ends(const WorkerMessage& m) {
    return m.Is<WM_TASK_DONE>() || m.Is<WM_TASK_FAILED>();
}

class DownloadWorkerTest : public ServerTest {
protected:
    void TearDown() override {
        EXPECT_TRUE(service.WaitUntilIdle(std::chrono::seconds(20)));
        ServerTest::TearDown();
    }
    WorkerSettings Settings() {
        WorkerSettings settings;
        const std::u16string copy = FromUtf8(folder.string());
        settings.downloadFolder = [copy] { return copy; };
        settings.receiveTimeout = std::chrono::milliseconds(400);
        settings.connectRetries = 1;
        return settings;
    }
    std::shared_ptr<TaskControl> Start(const std::string& address, WorkerSettings settings) {
        auto control = service.CreateWorker(FromUtf8(address), std::move(settings));
        EXPECT_TRUE(control);
        control->Resume();
        return control;
    }
    // Runs one worker to its end and returns its messages' kinds.
    std::vector<std::size_t> Run(const std::string& address) { return Run(address, Settings()); }
    std::vector<std::size_t> Run(const std::string& address, WorkerSettings settings) {
        auto control = Start(address, std::move(settings));
        EXPECT_TRUE(queue.WaitFor(Ends));
        EXPECT_TRUE(service.WaitUntilIdle(std::chrono::seconds(10)));
        EXPECT_EQ(service.running(), 0);
        return MessageKinds(queue.All(), control->id());
    }
    std::int64_t FailureCode() const {
        for (const auto& m : queue.All())
            if (const auto* failed = m.As<WM_TASK_FAILED>())
                return failed->code;
        return -1;
    }
    std::string File(const std::string& name) const { return ReadWholeFile((folder / name).string()); }
    std::size_t FileCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
    }
    std::string Watch(const std::string& spec, const std::string& more = "") const {
        return server->WatchUrl("v=" + spec + (more.empty() ? "" : "&" + more));
    }

    MessageQueue queue;
    DownloadService service{queue};
};

// A stream of a kibibyte or more ends with its whole size received; a smaller one leaves "0KB" true.
const std::vector<std::size_t> kDoneSequence = {
    Kind<WM_TASK_ANALYSING>(), Kind<WM_TASK_NAMED>(),    Kind<WM_TASK_CONNECTED>(), Kind<WM_TASK_LENGTH>(),
    Kind<WM_TASK_CONNECTED>(), Kind<WM_TASK_RECEIVED>(), Kind<WM_TASK_DONE>()};
const std::vector<std::size_t> kSmallDoneSequence = {Kind<WM_TASK_ANALYSING>(), Kind<WM_TASK_NAMED>(),
                                                     Kind<WM_TASK_CONNECTED>(), Kind<WM_TASK_LENGTH>(),
                                                     Kind<WM_TASK_CONNECTED>(), Kind<WM_TASK_DONE>()};

TEST_F(DownloadWorkerTest, ShortStreamIsSavedWholeWithoutProgressReports) {
    EXPECT_EQ(Run(Watch("size:100000,seed:3", "title=My:clip*%3F")), kDoneSequence);
    const auto messages = queue.All();
    EXPECT_TRUE(messages[1].As<WM_TASK_NAMED>()->fileName == u"My clip.flv");
    EXPECT_TRUE(File("My clip.flv") == ExpectedStreamBody(100000, 3));
    EXPECT_NE(messages[0].workerId, 0u);
}

TEST_F(DownloadWorkerTest, TitleControlCharactersNeverReachTheFileName) {
    // Line breaks, BEL, ESC, a C1 control and the bidi override, isolate and direction marks
    // (U+200E, U+200F, U+061C) are dropped.
    EXPECT_EQ(Run(Watch("size:100",
                        "title=a%0Ab%07c%1B%5B31m%E2%80%AEd%C2%85e%E2%81%A6f%0D%E2%80%8E%E2%80%8F%D8%9C")),
              kSmallDoneSequence);
    EXPECT_TRUE(queue.All()[1].As<WM_TASK_NAMED>()->fileName == u"abc[31mdef.flv");
    EXPECT_TRUE(File("abc[31mdef.flv") == ExpectedStreamBody(100));
}

TEST_F(DownloadWorkerTest, SlowStreamReportsSpeedThenKibibytesReceived) {
    auto settings = Settings();
    settings.reportInterval = std::chrono::milliseconds(300);
    const auto numbers = Run(Watch("size:120000,seed:1,rate:60000"), settings);
    EXPECT_EQ(numbers.back(), Kind<WM_TASK_DONE>());
    std::int64_t lastReceived = 0;
    int reports = 0;
    const auto messages = queue.All();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const auto* speed = messages[i].As<WM_TASK_SPEED>();
        if (!speed)
            continue;
        ++reports;
        // 60000 bytes per second is 60 bytes per millisecond; allow for the server's pacing.
        EXPECT_GT(speed->bytesPerMs, 10);
        EXPECT_LT(speed->bytesPerMs, 200);
        ASSERT_LT(i + 1, messages.size());
        const auto* received = messages[i + 1].As<WM_TASK_RECEIVED>();
        ASSERT_TRUE(received);
        EXPECT_GT(received->kibibytes, lastReceived);
        lastReceived = received->kibibytes;
    }
    EXPECT_GE(reports, 2);
    // The last figure is the whole stream's, though its last interval was too short for a report.
    EXPECT_LT(lastReceived, 120000 / 1024);
    ASSERT_GE(messages.size(), 2u);
    const auto* whole = messages[messages.size() - 2].As<WM_TASK_RECEIVED>();
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->kibibytes, 120000 / 1024);
    EXPECT_TRUE(File("clip.flv") == ExpectedStreamBody(120000, 1));
}

TEST(ProgressReportTest, ReportsOnlyOnceMoreThanTheIntervalHasPassed) {
    using std::chrono::milliseconds;
    const WorkerClock::time_point start{};
    const struct {
        std::int64_t bytes;
        int atMs;
        bool due;
        std::int64_t speed;
        std::int64_t receivedKb;
    } cases[] = {
        {5000, 2500, true, 2, 4}, {5000, 2000, false, 0, 0}, // exactly the interval is not more than it
        {5000, 2001, true, 2, 4}, {1023, 3000, true, 0, 0},  // figures round down
        {2048, 4000, true, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.atMs);
        ProgressReport report(milliseconds(2000), start);
        const auto figures = report.Add(c.bytes, start + milliseconds(c.atMs));
        ASSERT_EQ(figures.has_value(), c.due);
        if (c.due) {
            EXPECT_EQ(figures->bytesPerMs, c.speed);
            EXPECT_EQ(figures->receivedKb, c.receivedKb);
        }
    }
    // Bytes not yet reported count into the next report, which measures from the last one.
    ProgressReport report(milliseconds(2000), start);
    EXPECT_FALSE(report.Add(3000, start + milliseconds(1000)));
    EXPECT_FALSE(report.Add(2000, start + milliseconds(2000)));
    const auto first = report.Add(0, start + milliseconds(2500));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytesPerMs, 2);
    EXPECT_EQ(first->receivedKb, 4);
    EXPECT_FALSE(report.Add(9000, start + milliseconds(4500)));
    const auto second = report.Add(1000, start + milliseconds(5500));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->bytesPerMs, 10000 / 3000);
    EXPECT_EQ(second->receivedKb, 15000 >> 10);
}

TEST_F(DownloadWorkerTest, ReportsFollowTheWorkersClockNotTheWallClock) {
    // Two real seconds of a paced stream, on a clock that stands still: no report is ever due.
    auto settings = Settings();
    settings.reportInterval = std::chrono::milliseconds(300);
    settings.clock = [] { return WorkerClock::time_point{}; };
    const auto numbers = Run(Watch("size:120000,seed:1,rate:60000"), settings);
    EXPECT_EQ(numbers, kDoneSequence);
}

TEST_F(DownloadWorkerTest, FailureCodesAndCausesOfPageAndStream) {
    using C = FailureCause;
    const struct {
        std::string address;
        std::int64_t code;
        FailureCause cause;
    } cases[] = {
        {server->WatchUrl("nofields=1"), kFailNoVideoFields, C::kNoVideo},
        {server->WatchUrl("nofields=1&pstatus=404"), kFailNoVideoFields, C::kHttpError},
        {"http://127.0.0.1:9/watch?u=http://www.youtube.com/watch?v=x", kFailPageOpen, C::kCannotConnect},
        {server->Url("/stream?video_id=size:9000,reset:3000"), kFailInternet, C::kBroken},
        {Watch("size:1000,status:404"), kFailStreamOpen, C::kHttpError},
        {Watch("size:1000,status:500"), kFailStreamOpen, C::kHttpError},
        // Only a 2xx answer with content is a video.
        {Watch("size:1000,status:204"), kFailStreamOpen, C::kNoData},
        {Watch("size:1000,status:205"), kFailStreamOpen, C::kNoData},
        {Watch("size:0"), kFailStreamOpen, C::kNoData},
        {Watch("size:1000,status:300"), kFailStreamOpen, C::kHttpError},
        {Watch("size:1000,status:302"), kFailStreamOpen, C::kHttpError}, // no Location to follow
        {Watch("size:1000,status:304"), kFailStreamOpen, C::kHttpError},
        {Watch("size:1000,gopher:9"), kFailStreamOpen, C::kBroken}, // a redirect to another scheme
        {Watch("size:1000,duplen:999"), kFailStreamOpen,
         C::kBadAnswer},                                            // two lengths: which bytes are the video?
        {Watch("size:90000,short:0"), kFailStreamRead, C::kBroken}, // broken before its first byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        queue.Clear();
        const auto numbers = Run(c.address);
        ASSERT_FALSE(numbers.empty());
        EXPECT_EQ(numbers.back(), Kind<WM_TASK_FAILED>());
        EXPECT_EQ(FailureCode(), c.code);
        EXPECT_EQ(queue.All().back().As<WM_TASK_FAILED>()->detail.cause, c.cause);
        // An answer that is no video leaves no file.
        EXPECT_EQ(FileCount(), 0u);
    }
}

TEST_F(DownloadWorkerTest, MissingFolderFailsWithCode2) {
    auto settings = Settings();
    const std::u16string missing = FromUtf8((folder / "not-there").string());
    settings.downloadFolder = [missing] { return missing; };
    Run(Watch("size:1000"), settings);
    EXPECT_EQ(FailureCode(), kFailLocalFile);
    // The row tells which file and the system's reason.
    const FailureDetail detail = queue.All().back().As<WM_TASK_FAILED>()->detail;
    EXPECT_EQ(detail.cause, FailureCause::kFileError);
    EXPECT_EQ(detail.systemError, ENOENT);
    EXPECT_TRUE(detail.file == missing + u"/clip.flv");
}

TEST_F(DownloadWorkerTest, BrokenReadsResumeWithRangeIntoAnIdenticalFile) {
    // Two breaks (a reset and a stall past the receive time-out) leave one failure to spare.
    EXPECT_EQ(Run(Watch("size:300000,seed:7,reset:70000", "title=resumed")), kDoneSequence);
    EXPECT_TRUE(File("resumed.flv") == ExpectedStreamBody(300000, 7));
    const std::string log = server->RequestLog();
    EXPECT_NE(log.find("range=bytes=70000-"), std::string::npos) << log;

    queue.Clear();
    EXPECT_EQ(Run(Watch("size:90000,seed:2,reset:10000/50000", "title=twice")), kDoneSequence);
    EXPECT_TRUE(File("twice.flv") == ExpectedStreamBody(90000, 2));
}

TEST_F(DownloadWorkerTest, ThirdFailedReadEndsWithCode5AndKeepsWhatWasWritten) {
    const struct {
        const char* spec;
        FailureCause cause;
    } cases[] = {
        {"size:90000,reset:10000/30000/50000", FailureCause::kBroken},  // three breaks, good reads between
        {"size:90000,reset:10000,range:0", FailureCause::kNoResume},    // the server cannot resume
        {"size:90000,reset:10000,badrange:1", FailureCause::kNoResume}, // it resumes at the wrong place
        {"size:90000,short:10000", FailureCause::kBroken},              // the body ends before its length
        {"size:90000,stall:10000", FailureCause::kTimedOut},            // it stops sending
    };
    for (const auto& [spec, cause] : cases) {
        SCOPED_TRACE(spec);
        queue.Clear();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        const auto numbers = Run(Watch(spec));
        ASSERT_FALSE(numbers.empty());
        EXPECT_EQ(numbers.back(), Kind<WM_TASK_FAILED>());
        EXPECT_EQ(FailureCode(), kFailStreamRead);
        EXPECT_EQ(queue.All().back().As<WM_TASK_FAILED>()->detail.cause, cause);
        const std::string saved = File("clip.flv");
        EXPECT_TRUE(ExpectedStreamBody(90000).starts_with(saved));
        EXPECT_GE(saved.size(), 10000u);
    }
}

TEST_F(DownloadWorkerTest, NeverOverwritesAFileAndNamesTheOneItUses) {
    { std::ofstream(folder / "clip.flv") << "mine"; }
    Run(Watch("size:5000,seed:1"));
    const auto messages = queue.All();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_TRUE(messages[1].As<WM_TASK_NAMED>()->fileName == u"clip (2).flv");
    EXPECT_EQ(File("clip.flv"), "mine");
    EXPECT_TRUE(File("clip (2).flv") == ExpectedStreamBody(5000, 1));

    // Two workers with the same title at once take different names.
    queue.Clear();
    auto a = Start(Watch("size:200000,seed:4,rate:400000"), Settings());
    auto b = Start(Watch("size:200000,seed:4,rate:400000"), Settings());
    ASSERT_TRUE(queue.WaitFor([&](const WorkerMessage& m) { return Ends(m) && m.workerId == a->id(); }));
    ASSERT_TRUE(queue.WaitFor([&](const WorkerMessage& m) { return Ends(m) && m.workerId == b->id(); }));
    EXPECT_TRUE(service.WaitUntilIdle(std::chrono::seconds(10)));
    EXPECT_TRUE(File("clip (3).flv") == ExpectedStreamBody(200000, 4));
    EXPECT_TRUE(File("clip (4).flv") == ExpectedStreamBody(200000, 4));
}

TEST_F(DownloadWorkerTest, FailedWriteIsCode2AndRemovesThePartialFile) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 150000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Run(Watch("size:400000"));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(FailureCode(), kFailLocalFile);
    EXPECT_EQ(queue.All().back().As<WM_TASK_FAILED>()->detail.systemError, EFBIG);
    EXPECT_EQ(FileCount(), 0u);
}

TEST_F(DownloadWorkerTest, StoppedInThePagePhaseEndsWithoutAnotherMessage) {
    auto control = Start(Watch("size:1000", "pad:6000&prate:3000"), Settings());
    ASSERT_TRUE(queue.WaitFor([](const WorkerMessage& m) { return m.Is<WM_TASK_ANALYSING>(); }));
    control->RequestStop();
    EXPECT_TRUE(service.WaitUntilIdle(std::chrono::seconds(10)));
    EXPECT_EQ(MessageKinds(queue.All(), control->id()), std::vector<std::size_t>{Kind<WM_TASK_ANALYSING>()});
    EXPECT_EQ(service.running(), 0);
}

TEST_F(DownloadWorkerTest, StopReachesAWaitingReadAndKeepsWhatArrived) {
    // The stream sends 10000 bytes slowly, then holds the connection far longer than the test waits:
    // the stop has to reach the read that waits for more.
    auto settings = Settings();
    settings.receiveTimeout = std::chrono::minutes(2);
    settings.reportInterval = std::chrono::milliseconds(1);
    auto control = Start(Watch("size:90000,rate:20000,stall:10000"), settings);
    // 8 KiB reported: those bytes went to the file's buffer, which holds 16 KiB before it writes.
    ASSERT_TRUE(queue.WaitFor([](const WorkerMessage& m) {
        return m.Is<WM_TASK_RECEIVED>() && m.As<WM_TASK_RECEIVED>()->kibibytes == 8;
    }));
    control->RequestStop();
    const auto postedAtStop = queue.All().size();
    EXPECT_TRUE(service.WaitUntilIdle(std::chrono::seconds(20)));
    EXPECT_EQ(queue.All().size(), postedAtStop);
    EXPECT_EQ(service.running(), 0);
    const std::string saved = File("clip.flv");
    EXPECT_GE(saved.size(), 8192u);
    EXPECT_TRUE(ExpectedStreamBody(90000).starts_with(saved));
}

TEST_F(DownloadWorkerTest, ClosingTheServiceEndsEveryWorkerThread) {
    const auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator());
    };
    // One worker first: a sanitizer's runtime starts a helper thread with the first thread it sees.
    Run(Watch("size:10"));
    const auto before = threads();
    auto settings = Settings();
    settings.receiveTimeout = std::chrono::minutes(2);
    MessageQueue own;
    auto closing = std::make_unique<DownloadService>(own);
    // One in a read that waits for bytes that never come, one in a page that never answers, one
    // that never started.
    closing->CreateWorker(FromUtf8(Watch("size:90000,stall:5000")), settings)->Resume();
    closing
        ->CreateWorker(FromUtf8(server->Url("/get_video?video_id=hstall:1&u=youtube.com/watch?v=1")),
                       settings)
        ->Resume();
    closing->CreateWorker(FromUtf8(Watch("size:100")), settings);
    ASSERT_TRUE(own.WaitFor([](const WorkerMessage& m) { return m.Is<WM_TASK_CONNECTED>(); }));
    EXPECT_EQ(closing->liveThreads(), 3);
    closing.reset();
    EXPECT_EQ(threads(), before);
    // The first worker may still report bytes until the stop; nothing reports an end.
    for (const WorkerMessage& m : own.All()) {
        EXPECT_FALSE(m.Is<WM_TASK_FAILED>());
        EXPECT_FALSE(m.Is<WM_TASK_DONE>());
        EXPECT_FALSE(m.Is<WM_WORKER_ENDED>());
    }
}

TEST_F(DownloadWorkerTest, StoppedBeforeItStartsDoesNothing) {
    auto control = service.CreateWorker(FromUtf8(Watch("size:1000")), Settings());
    ASSERT_TRUE(control);
    control->RequestStop();
    EXPECT_FALSE(control->Resume());
    EXPECT_TRUE(service.WaitUntilIdle(std::chrono::seconds(10)));
    EXPECT_TRUE(queue.All().empty());
    EXPECT_EQ(service.running(), 0);
    EXPECT_EQ(FileCount(), 0u);
}

} // namespace
} // namespace tessaly::test
