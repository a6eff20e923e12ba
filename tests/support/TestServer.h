// Starts tests/support/test_server.py on a free port of 127.0.0.1 and stops it again.
// Plain C++ (no Qt, no GoogleTest), so core tests and Qt tests can both use it.
// Owned by the test's thread; the server runs as a child process.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace tessaly::test {

class TestServer {
public:
    // scriptPath: test_server.py (tests get it as TESSALY_TEST_SERVER).
    explicit TestServer(std::string scriptPath);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Starts the server and waits (up to 20 s) until it accepts connections. False on failure.
    bool Start();
    void Stop();

    std::uint16_t port() const { return m_port; }
    // The same server over TLS, with the certificate CertificateFile().
    std::uint16_t tlsPort() const { return m_tlsPort; }
    std::string CertificateFile() const;
    // "http://127.0.0.1:PORT" followed by pathAndQuery (which starts with "/").
    std::string Url(const std::string& pathAndQuery) const;
    // A watch-page address that the address check accepts: the watch page on this server with
    // "u=http://www.youtube.com/watch?v=x" in its query, then the given query parameters.
    std::string WatchUrl(const std::string& query) const;
    // The request lines the server has seen ("GET <path> range=<Range or ->"), via /log.
    std::string RequestLog() const;

private:
    std::string m_script;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
    std::uint16_t m_tlsPort = 0;
};

// The body the server sends for a stream of that size and seed (see test_server.py).
std::string ExpectedStreamBody(std::size_t size, unsigned seed = 0);
// The whole content of a file, or "<missing>" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Fetches an address with a plain blocking socket request (no libcurl): the body of a 200 answer.
std::string HttpGetBody(const std::string& host, std::uint16_t port, const std::string& pathAndQuery);

} // namespace tessaly::test
