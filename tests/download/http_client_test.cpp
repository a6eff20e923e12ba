// The HTTP client against the real test server: bodies, redirects, statuses, broken and stalled
// responses, Range answers, proxies.
#include "download/core/HttpClient.h"
#include "tests/download/ServerFixture.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace tessaly::test {
namespace {

class HttpClientTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        session = HttpSession::Open("tessaly-test");
        ASSERT_TRUE(session);
        session->SetReceiveTimeout(std::chrono::milliseconds(400));
    }

    // Reads the whole body in reads of `piece` bytes; false when a read fails.
    static bool ReadAll(HttpRequest& request, std::string& body, std::size_t piece = 2048) {
        std::string buffer(piece, '\0');
        for (;;) {
            const auto count = request.Read(buffer.data(), piece);
            if (count < 0)
                return false;
            if (count == 0)
                return true;
            EXPECT_LE(static_cast<std::size_t>(count), piece);
            body.append(buffer.data(), static_cast<std::size_t>(count));
        }
    }

    std::unique_ptr<HttpSession> session;
};

TEST_F(HttpClientTest, ReadsLargeBodyInFullPiecesThenEndsForGood) {
    auto request = session->OpenUrl(server->Url("/get_video?video_id=size:1000003,seed:5"));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->status(), 200);
    std::string body;
    std::string piece(2048, '\0');
    std::ptrdiff_t count;
    while ((count = request->Read(piece.data(), piece.size())) > 0) {
        // Every read but the last fills the whole piece, as the platform's blocking read does.
        if (body.size() + 2048 <= 1000003) {
            ASSERT_EQ(count, 2048);
        }
        body.append(piece.data(), static_cast<std::size_t>(count));
    }
    EXPECT_EQ(count, 0);
    EXPECT_EQ(request->Read(piece.data(), piece.size()), 0);
    EXPECT_TRUE(body == ExpectedStreamBody(1000003, 5));
}

TEST_F(HttpClientTest, ChunkedBodyAndRedirectsUpToTen) {
    auto request =
        session->OpenUrl(server->Url("/get_video?video_id=size:70000,seed:1,chunked:1,redirect:10"));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->status(), 200);
    std::string body;
    EXPECT_TRUE(ReadAll(*request, body, 1000));
    EXPECT_TRUE(body == ExpectedStreamBody(70000, 1));
    // One hop too many: nothing is opened.
    EXPECT_FALSE(session->OpenUrl(server->Url("/get_video?video_id=size:10,redirect:11")));
}

TEST_F(HttpClientTest, SpacesAndNonAsciiTextInTheAddressArePercentEncoded) {
    // As typed: a space and Chinese text in the query; an existing escape stays as it is.
    auto request = session->OpenUrl(server->Url("/watch?title=demo clip \xE8\xA7\x86\xE9\xA2\x91%21"));
    ASSERT_TRUE(request);
    std::string page;
    EXPECT_TRUE(ReadAll(*request, page));
    EXPECT_NE(page.find("<title>demo clip \xE8\xA7\x86\xE9\xA2\x91!</title>"), std::string::npos) << page;
}

// A TCP service on 127.0.0.1 that never accepts: a client's connection would wait in its queue.
class Listener {
public:
    Listener() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_fd, 8) != 0 ||
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "no listener";
        m_port = ntohs(address.sin_port);
    }
    ~Listener() { close(m_fd); }
    std::string Port() const { return std::to_string(m_port); }
    // Whether a client has connected (the kernel completes the handshake without accept).
    bool Reached() const {
        const int client = accept(m_fd, nullptr, nullptr);
        if (client >= 0)
            close(client);
        return client >= 0;
    }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

TEST_F(HttpClientTest, OnlyHttpAndHttpsAreSpokenAlsoAfterARedirect) {
    Listener service;
    const std::string flush = "127.0.0.1:" + service.Port() + "/_FLUSHALL%0D%0A";
    for (const std::string& address :
         {"gopher://" + flush + "?http://www.youtube.com/a?b", "GOPHER://" + flush, "dict://" + flush,
          "telnet://" + flush, "ftp://" + flush, std::string("file:///etc/hostname"),
          server->Url("/get_video?video_id=gopher:" + service.Port())}) {
        SCOPED_TRACE(address);
        EXPECT_FALSE(session->OpenUrl(address));
        EXPECT_FALSE(service.Reached());
    }
    // Upper-case http is still http.
    EXPECT_TRUE(session->OpenUrl("HTTP" + server->Url("/get_video?video_id=size:10").substr(4)));
}

TEST_F(HttpClientTest, ErrorStatusStillOpensWithItsBody) {
    for (int status : {404, 500}) {
        auto request =
            session->OpenUrl(server->Url("/get_video?video_id=size:300,status:" + std::to_string(status)));
        ASSERT_TRUE(request);
        EXPECT_EQ(request->status(), status);
        std::string body;
        EXPECT_TRUE(ReadAll(*request, body));
        EXPECT_EQ(body.size(), 300u);
    }
}

TEST_F(HttpClientTest, BrokenShortAndStalledBodiesFailAfterTheirBytes) {
    // A reset, a body shorter than its Content-Length, and a stall past the receive time-out:
    // the bytes that did arrive are delivered, then the read fails.
    for (const char* spec : {"size:50000,reset:30000", "size:50000,short:30000", "size:50000,stall:30000"}) {
        SCOPED_TRACE(spec);
        auto request = session->OpenUrl(server->Url(std::string("/get_video?video_id=") + spec));
        ASSERT_TRUE(request);
        std::string body;
        EXPECT_FALSE(ReadAll(*request, body));
        EXPECT_TRUE(body == ExpectedStreamBody(30000));
        char byte;
        EXPECT_EQ(request->Read(&byte, 1), -1);
    }
}

TEST_F(HttpClientTest, OpenFailsWithoutHeadersOrServer) {
    EXPECT_FALSE(session->OpenUrl(server->Url("/get_video?video_id=hstall:1")));
    // A port nobody listens on (the server's own port after it closed would race; port 9 is discard).
    session->SetConnectRetries(1);
    EXPECT_FALSE(session->OpenUrl("http://127.0.0.1:9/watch?v=x"));
    EXPECT_FALSE(session->OpenUrl("not an address"));
}

TEST_F(HttpClientTest, RangeAnswersTellWhereTheyStart) {
    auto ranged = session->OpenUrl(server->Url("/get_video?video_id=size:9000,seed:4"), {4096});
    ASSERT_TRUE(ranged);
    EXPECT_EQ(ranged->status(), 206);
    EXPECT_EQ(ranged->contentRangeStart(), 4096);
    std::string body;
    EXPECT_TRUE(ReadAll(*ranged, body));
    EXPECT_TRUE(body == ExpectedStreamBody(9000, 4).substr(4096));

    auto ignored = session->OpenUrl(server->Url("/get_video?video_id=size:9000,range:0"), {4096});
    ASSERT_TRUE(ignored);
    EXPECT_EQ(ignored->status(), 200);
    EXPECT_FALSE(ignored->contentRangeStart());

    auto off = session->OpenUrl(server->Url("/get_video?video_id=size:9000,badrange:1"), {4096});
    ASSERT_TRUE(off);
    EXPECT_EQ(off->contentRangeStart(), 4097);
}

TEST_F(HttpClientTest, ProxyFromTheEnvironment) {
    setenv("http_proxy", server->Url("").c_str(), 1);
    auto request = session->OpenUrl("http://www.youtube.com/get_video?video_id=size:777");
    unsetenv("http_proxy");
    ASSERT_TRUE(request);
    std::string body;
    EXPECT_TRUE(ReadAll(*request, body));
    EXPECT_TRUE(body == ExpectedStreamBody(777));
}

TEST_F(HttpClientTest, HttpsWithAVerifiedCertificate) {
    const std::string address =
        "https://127.0.0.1:" + std::to_string(server->tlsPort()) + "/get_video?video_id=size:100000,seed:8";
    // The server's certificate is not among the system's: refused.
    EXPECT_FALSE(session->OpenUrl(address));
    session->SetCertificateAuthorities(server->CertificateFile());
    auto request = session->OpenUrl(address);
    ASSERT_TRUE(request);
    std::string body;
    EXPECT_TRUE(ReadAll(*request, body));
    EXPECT_TRUE(body == ExpectedStreamBody(100000, 8));
}

TEST_F(HttpClientTest, ManySessionsOpenAndCloseWithoutLeakingDescriptors) {
    const auto countFds = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator());
    };
    const auto before = countFds();
    for (int i = 0; i < 200; ++i) {
        auto each = HttpSession::Open();
        ASSERT_TRUE(each);
        auto request = each->OpenUrl(server->Url("/get_video?video_id=size:5000"));
        ASSERT_TRUE(request);
        char buffer[100];
        ASSERT_EQ(request->Read(buffer, sizeof buffer), 100); // closed mid-body
    }
    EXPECT_EQ(countFds(), before);
}

} // namespace
} // namespace tessaly::test
