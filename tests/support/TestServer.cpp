// Child-process control of the Python test server, and helpers to rebuild what it sends.
#include "tests/support/TestServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tessaly::test {

TestServer::TestServer(std::string scriptPath) : m_script(std::move(scriptPath)) {
}

TestServer::~TestServer() {
    Stop();
}

bool TestServer::Start() {
    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::string python = "python3";
    char* argv[] = {python.data(), m_script.data(), nullptr};
    const int rc = posix_spawnp(&m_pid, "python3", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        m_pid = -1;
        close(out[0]);
        return false;
    }
    // The first line is "PORT <n>", printed once the socket listens.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{out[0], POLLIN, 0};
        if (poll(&pfd, 1, 200) <= 0)
            continue;
        char buf[64];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    if (line.rfind("PORT ", 0) != 0) {
        Stop();
        return false;
    }
    std::istringstream ports(line.substr(5));
    int port = 0, tlsPort = 0;
    ports >> port >> tlsPort;
    m_port = static_cast<std::uint16_t>(port);
    m_tlsPort = static_cast<std::uint16_t>(tlsPort);
    return true;
}

void TestServer::Stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

std::string TestServer::CertificateFile() const {
    return m_script.substr(0, m_script.find_last_of('/') + 1) + "tls/cert.pem";
}

std::string TestServer::Url(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + pathAndQuery;
}

std::string TestServer::WatchUrl(const std::string& query) const {
    return Url("/watch?u=http://www.youtube.com/watch?v=x" + (query.empty() ? "" : "&" + query));
}

std::string TestServer::RequestLog() const {
    return HttpGetBody("127.0.0.1", m_port, "/log");
}

std::string ExpectedStreamBody(std::size_t size, unsigned seed) {
    constexpr std::uint64_t period = 65521;
    std::string block(period, '\0');
    for (std::uint64_t j = 0; j < period; ++j)
        block[j] = static_cast<char>((seed * 131ULL + j * j * 7 + j / 7) & 0xFF);
    std::string body;
    body.reserve(size);
    while (body.size() < size)
        body.append(block, 0, std::min<std::size_t>(period, size - body.size()));
    return body;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string HttpGetBody(const std::string& host, std::uint16_t port, const std::string& pathAndQuery) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return {};
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
    std::string response;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const std::string request =
            "GET " + pathAndQuery + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
            char buf[4096];
            ssize_t n;
            while ((n = recv(fd, buf, sizeof buf, 0)) > 0)
                response.append(buf, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    const auto headerEnd = response.find("\r\n\r\n");
    return headerEnd == std::string::npos ? std::string() : response.substr(headerEnd + 4);
}

} // namespace tessaly::test
