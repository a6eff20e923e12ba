// FetchPageText against the real server: the 8191-byte cut, zero bytes, stop checks, failures,
// decoding.
#include "base/TextCodec.h"
#include "download/core/PageFetch.h"
#include "tests/download/ServerFixture.h"

#include <atomic>

namespace tessaly::test {
namespace {

std::u16string TextBody(std::size_t size) {
    const std::string line = "abcdefghijklmnopqrstuvwxyz0123456789\n";
    std::string body;
    while (body.size() < size)
        body += line;
    return FromUtf8(body.substr(0, size));
}

class PageFetchTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        session = HttpSession::Open();
        ASSERT_TRUE(session);
        session->SetReceiveTimeout(std::chrono::milliseconds(500));
    }
    PageFetchResult Fetch(const std::string& spec, const std::function<bool()>& stop = {}) {
        return FetchPageText(*session, FromUtf8(server->Url("/stream?video_id=kind:text," + spec)), stop);
    }
    std::unique_ptr<HttpSession> session;
};

TEST_F(PageFetchTest, KeepsAtMost8191BytesDroppingTheChunkThatReaches8192) {
    // Reads are 2048 bytes: the chunk that brings the total to 8192 or more goes whole.
    const struct {
        std::size_t bodySize;
        std::size_t kept;
    } cases[] = {{100, 100},    {8191, 8191},  {8192, 6144}, {8193, 6144},
                 {10239, 6144}, {10240, 6144}, {50000, 6144}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bodySize);
        const auto result = Fetch("size:" + std::to_string(c.bodySize));
        ASSERT_EQ(result.status, PageFetchStatus::kOk);
        EXPECT_TRUE(result.text == TextBody(c.kept));
    }
}

TEST_F(PageFetchTest, TextEndsAtTheFirstZeroByte) {
    for (std::size_t zero : {0u, 5u, 2047u, 2048u, 5000u}) {
        SCOPED_TRACE(zero);
        const auto result = Fetch("size:7000,zero:" + std::to_string(zero));
        ASSERT_EQ(result.status, PageFetchStatus::kOk);
        EXPECT_TRUE(result.text == TextBody(zero));
    }
}

TEST_F(PageFetchTest, StopIsAskedAfterEachReadWithData) {
    std::atomic<int> asked{0};
    // Not stopping: asked once per read that returned data (3 reads for 5000 bytes).
    EXPECT_EQ(Fetch("size:5000", [&] { return ++asked, false; }).status, PageFetchStatus::kOk);
    EXPECT_EQ(asked, 3);
    // An empty body never asks.
    asked = 0;
    EXPECT_EQ(Fetch("size:0", [&] { return ++asked, true; }).status, PageFetchStatus::kOk);
    EXPECT_EQ(asked, 0);
    // Stopping on the second read.
    asked = 0;
    EXPECT_EQ(Fetch("size:5000", [&] { return ++asked == 2; }).status, PageFetchStatus::kStopped);
    EXPECT_EQ(asked, 2);
}

TEST_F(PageFetchTest, OpenAndReadFailuresAreTold) {
    session->SetConnectRetries(0);
    EXPECT_EQ(FetchPageText(*session, u"http://127.0.0.1:9/watch?v=1", {}).status,
              PageFetchStatus::kOpenFailed);
    EXPECT_EQ(Fetch("size:5000,reset:3000").status, PageFetchStatus::kReadFailed);
    EXPECT_EQ(Fetch("size:5000,stall:100").status, PageFetchStatus::kReadFailed);
}

TEST_F(PageFetchTest, ErrorPagesAndRedirectsAreTakenAsThePage) {
    const auto notFound = Fetch("size:300,status:404");
    ASSERT_EQ(notFound.status, PageFetchStatus::kOk);
    EXPECT_TRUE(notFound.text == TextBody(300));
    const auto moved = Fetch("size:300,redirect:2");
    ASSERT_EQ(moved.status, PageFetchStatus::kOk);
    EXPECT_TRUE(moved.text == TextBody(300));
}

TEST_F(PageFetchTest, PageIsDecodedWithTheLocaleEncoding) {
    const auto result = FetchPageText(*session, FromUtf8(server->WatchUrl("title=%E8%A7%86%E9%A2%91")), {});
    ASSERT_EQ(result.status, PageFetchStatus::kOk);
    EXPECT_NE(result.text.find(u"<title>视频</title>"), std::u16string::npos);
}

} // namespace
} // namespace tessaly::test
