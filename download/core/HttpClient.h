// The program's HTTP client over libcurl: an Internet handle (HttpSession) and the requests opened
// on it (HttpRequest). The caller pulls the body in reads of its own size; each request keeps at most
// a few tens of KB in memory whatever the body's size.
// Threads: a session and every request opened on it belong to the thread that opened the session
// and are used and destroyed there only (libcurl handles never cross threads).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace tessaly {

class HttpRequest;

// Why an address could not be opened or a body could not be read.
struct HttpFailure {
    enum class Kind {
        kNone,
        kTimedOut,      // nothing arrived for the receive time-out, or the connection took as long
        kCannotResolve, // the host name is unknown
        kCannotConnect, // nothing answers at the host's port
        kNetwork,       // the connection failed or broke (curlCode says how)
        kRefused,       // an address or redirect this client does not follow
        kStopped,       // the session's stop fired
    };
    Kind kind = Kind::kNone;
    int curlCode = 0; // libcurl's result, where it gave one
};

// The host of an http(s) address with its port, if it names one ("example.com:8080"); the address's
// user name and password are left out.
std::string AddressHost(const std::string& address);

struct HttpRequestOptions {
    // Asks for the body from this offset on ("Range: bytes=N-"); the caller checks the answer.
    std::optional<std::int64_t> rangeStart;
};

// The Internet handle: agent, connection retries, receive time-out, and the connection cache
// that the requests opened on it share. It must outlive its requests.
class HttpSession {
public:
    static constexpr int kDefaultConnectRetries = 5;
    static constexpr std::chrono::milliseconds kDefaultReceiveTimeout{30000};
    static constexpr int kMaxRedirects = 10;

    // Opens a session with the given agent (default: the program file's name); null on failure.
    static std::unique_ptr<HttpSession> Open(std::string agent = ProgramName());
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    void SetConnectRetries(int retries) { m_connectRetries = retries; }
    // The longest wait for the next bytes of a response (headers or body).
    void SetReceiveTimeout(std::chrono::milliseconds timeout) { m_receiveTimeout = timeout; }
    std::chrono::milliseconds receiveTimeout() const { return m_receiveTimeout; }
    // Trusts the certificates in this PEM file instead of the system's (tests' own servers).
    void SetCertificateAuthorities(std::string pemFile) { m_caFile = std::move(pemFile); }
    // Once stop fires, every wait of this session ends at once as a failure (an open that fails, a
    // read that fails), also one already waiting; the stop may come from any thread.
    void SetStopToken(std::stop_token stop);

    // Plain GET of address (UTF-8), redirects followed (at most kMaxRedirects). Only http and https
    // are spoken, for the address and for every redirect: any other scheme fails before a
    // connection is made. Returns once the final response's headers are in, whatever its status;
    // null when no response arrives (the address cannot be opened).
    std::unique_ptr<HttpRequest> OpenUrl(const std::string& address, const HttpRequestOptions& options = {});
    // Why the last OpenUrl returned null.
    const HttpFailure& openFailure() const { return m_openFailure; }

    // The program file's name, the default agent.
    static std::string ProgramName();

private:
    friend class HttpRequest;
    struct Multi;
    HttpSession(std::string agent, std::unique_ptr<Multi> multi);
    // Drives every transfer of this session once and hands finished results to their requests.
    void Perform();

    std::string m_agent;
    std::unique_ptr<Multi> m_multi;
    std::stop_token m_stop;
    // Wakes the session's poll when the stop fires; goes before the multi handle it wakes.
    std::optional<std::stop_callback<std::function<void()>>> m_wakeOnStop;
    int m_connectRetries = kDefaultConnectRetries;
    std::chrono::milliseconds m_receiveTimeout = kDefaultReceiveTimeout;
    std::string m_caFile;
    HttpFailure m_openFailure;
};

// One open address. Closing is destroying it (errors on closing are ignored).
class HttpRequest {
public:
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // The final response's status code (after redirects).
    long status() const { return m_status; }
    // The start offset of the final response's "Content-Range: bytes A-B/C" header, if it has one.
    std::optional<std::int64_t> contentRangeStart() const { return m_contentRangeStart; }
    // The final response's Content-Length, if it gave one; lengthConflict() when it gave two that
    // differ (a body of uncertain length, which no file should be made of).
    std::optional<std::int64_t> contentLength() const { return m_contentLength; }
    bool lengthConflict() const { return m_lengthConflict; }
    // The host (and port) that gave the final response, after redirects.
    std::string host() const;
    // Why the last read failed (kNone while none has).
    const HttpFailure& failure() const { return m_failure; }

    // Reads maxBytes of the body into buffer, fewer only when the body ends or fails first: the
    // count, 0 at the end of the body, or -1 when the read fails (network error, receive time-out,
    // body shorter than announced). After a failure or the end every further read returns the same.
    std::ptrdiff_t Read(void* buffer, std::size_t maxBytes);
    // Without waiting: up to maxBytes of what has already reached this machine, also after the
    // session's stop has fired (so that a stopped download keeps every byte it was sent); 0 when
    // nothing more is there.
    std::ptrdiff_t ReadArrived(void* buffer, std::size_t maxBytes);

private:
    friend class HttpSession;
    struct Easy;
    HttpRequest(HttpSession& session, std::unique_ptr<Easy> easy);
    // Drives the session until ready() holds; false when nothing arrived for the receive time-out
    // (m_failure then says so) or the stop fired.
    bool Drive(const std::function<bool()>& ready);
    bool WaitForHeaders();
    // Waits for body bytes or the transfer's end; false on receive time-out.
    bool WaitForBody();
    // Hands out buffered body bytes; the count.
    std::size_t TakeBuffered(char* out, std::size_t maxBytes);
    void Finish(int curlResult);
    void Abort();
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);

    HttpSession& m_session;
    std::unique_ptr<Easy> m_easy;
    std::string m_buffer;         // received body bytes not yet read
    std::size_t m_readOffset = 0; // bytes of m_buffer already handed out
    bool m_paused = false;        // libcurl holds further data until the buffer drains
    bool m_headersDone = false;
    bool m_locationInBlock = false;
    bool m_finished = false;
    long m_status = 0;
    std::optional<std::int64_t> m_contentRangeStart;
    std::optional<std::int64_t> m_contentLength;
    bool m_lengthConflict = false;
    HttpFailure m_failure; // kNone while the transfer has not failed
    std::chrono::steady_clock::time_point m_lastActivity;
};

} // namespace tessaly
