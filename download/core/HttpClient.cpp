// libcurl behind HttpSession / HttpRequest: one multi handle per session, one easy handle per
// request, and a pull loop that pauses the transfer while the caller has not taken its bytes.
#include "download/core/HttpClient.h"

#include "base/AsciiCase.h"
#include "download/core/CurlLibrary.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace tessaly {

namespace {

// How much received body a request holds before libcurl is told to wait. With libcurl's own
// buffer of the same size, a request holds under 100 KB whatever the body's size.
constexpr std::size_t kBufferCap = 32 * 1024;
constexpr long kCurlBufferSize = 32 * 1024;

// Failures of the connection phase, the ones the connection retries cover.
bool IsConnectFailure(const HttpFailure& failure) {
    return failure.kind == HttpFailure::Kind::kCannotResolve ||
           failure.kind == HttpFailure::Kind::kCannotConnect;
}

// The schemes the program speaks, for the first request and for redirects alike.
constexpr char kSchemes[] = "http,https";

// An address as the user typed it may hold spaces or non-ASCII text (a title in the query, say).
// libcurl refuses such an address outright; the request line gets those bytes percent-encoded,
// as browsers send them. Everything else, '%' escapes included, goes out unchanged.
std::string EscapeAddressBytes(const std::string& address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(address.size());
    for (const unsigned char c : address) {
        if (c <= 0x20 || c >= 0x7F) {
            escaped += '%';
            escaped += kHex[c >> 4];
            escaped += kHex[c & 0x0F];
        } else {
            escaped += static_cast<char>(c);
        }
    }
    return escaped;
}

HttpFailure FailureOf(int curlResult) {
    switch (static_cast<CURLcode>(curlResult)) {
    case CURLE_OK:
        return {};
    case CURLE_OPERATION_TIMEDOUT:
        return {HttpFailure::Kind::kTimedOut, curlResult};
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return {HttpFailure::Kind::kCannotResolve, curlResult};
    case CURLE_COULDNT_CONNECT:
        return {HttpFailure::Kind::kCannotConnect, curlResult};
    case CURLE_UNSUPPORTED_PROTOCOL:
        return {HttpFailure::Kind::kRefused, curlResult};
    default:
        return {HttpFailure::Kind::kNetwork, curlResult};
    }
}

} // namespace

std::string AddressHost(const std::string& address) {
    const auto scheme = address.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    std::string authority = address.substr(start, address.find_first_of("/?#", start) - start);
    if (const auto at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    return authority;
}

struct HttpSession::Multi {
    struct Deleter {
        void operator()(CURLM* multi) const { Curl()->multi_cleanup(multi); }
    };
    std::unique_ptr<CURLM, Deleter> handle;
};

struct HttpRequest::Easy {
    struct Deleter {
        void operator()(CURL* easy) const { Curl()->easy_cleanup(easy); }
    };
    std::unique_ptr<CURL, Deleter> handle;
    bool attached = false; // added to the session's multi handle
};

std::string HttpSession::ProgramName() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("tessaly") : exe.stem().string();
}

std::unique_ptr<HttpSession> HttpSession::Open(std::string agent) {
    const CurlLibrary* curl = Curl();
    if (curl == nullptr)
        return nullptr;
    auto multi = std::make_unique<Multi>();
    multi->handle.reset(curl->multi_init());
    if (!multi->handle)
        return nullptr;
    return std::unique_ptr<HttpSession>(new HttpSession(std::move(agent), std::move(multi)));
}

HttpSession::HttpSession(std::string agent, std::unique_ptr<Multi> multi)
    : m_agent(std::move(agent)), m_multi(std::move(multi)) {
}

HttpSession::~HttpSession() = default;

void HttpSession::SetStopToken(std::stop_token stop) {
    m_wakeOnStop.reset();
    m_stop = std::move(stop);
    CURLM* multi = m_multi->handle.get();
    m_wakeOnStop.emplace(m_stop, std::function<void()>([multi] { Curl()->multi_wakeup(multi); }));
}

void HttpSession::Perform() {
    int running = 0;
    Curl()->multi_perform(m_multi->handle.get(), &running);
    int queued = 0;
    while (CURLMsg* message = Curl()->multi_info_read(m_multi->handle.get(), &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        HttpRequest* request = nullptr;
        Curl()->easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &request);
        if (request)
            request->Finish(message->data.result);
    }
}

std::unique_ptr<HttpRequest> HttpSession::OpenUrl(const std::string& address,
                                                  const HttpRequestOptions& options) {
    const std::string escapedAddress = EscapeAddressBytes(address);
    const std::string lower = LowerAsciiCopy(escapedAddress.substr(0, 8));
    m_openFailure = {HttpFailure::Kind::kRefused, 0};
    if (!lower.starts_with("http://") && !lower.starts_with("https://"))
        return nullptr;
    const CurlLibrary& curl = *Curl();
    m_openFailure = {HttpFailure::Kind::kStopped, 0};
    for (int attempt = 0; attempt <= m_connectRetries && !m_stop.stop_requested(); ++attempt) {
        m_openFailure = {HttpFailure::Kind::kNetwork, 0};
        auto easy = std::make_unique<HttpRequest::Easy>();
        easy->handle.reset(curl.easy_init());
        if (!easy->handle)
            return nullptr;
        std::unique_ptr<HttpRequest> request(new HttpRequest(*this, std::move(easy)));
        CURL* handle = request->m_easy->handle.get();
        // A libcurl that cannot restrict the schemes is not used at all.
        if (curl.easy_setopt(handle, CURLOPT_PROTOCOLS_STR, kSchemes) != CURLE_OK ||
            curl.easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, kSchemes) != CURLE_OK)
            return nullptr;
        curl.easy_setopt(handle, CURLOPT_URL, escapedAddress.c_str());
        curl.easy_setopt(handle, CURLOPT_USERAGENT, m_agent.c_str());
        curl.easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl.easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
        curl.easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl.easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        curl.easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_receiveTimeout.count()));
        curl.easy_setopt(handle, CURLOPT_BUFFERSIZE, kCurlBufferSize);
        curl.easy_setopt(handle, CURLOPT_PRIVATE, request.get());
        curl.easy_setopt(handle, CURLOPT_HEADERFUNCTION, &HttpRequest::OnHeader);
        curl.easy_setopt(handle, CURLOPT_HEADERDATA, request.get());
        curl.easy_setopt(handle, CURLOPT_WRITEFUNCTION, &HttpRequest::OnBody);
        curl.easy_setopt(handle, CURLOPT_WRITEDATA, request.get());
        if (!m_caFile.empty())
            curl.easy_setopt(handle, CURLOPT_CAINFO, m_caFile.c_str());
        const std::string range =
            options.rangeStart ? std::to_string(*options.rangeStart) + "-" : std::string();
        if (options.rangeStart)
            curl.easy_setopt(handle, CURLOPT_RANGE, range.c_str());
        if (curl.multi_add_handle(m_multi->handle.get(), handle) != CURLM_OK)
            return nullptr;
        request->m_easy->attached = true;

        if (request->WaitForHeaders()) {
            m_openFailure = {};
            return request;
        }
        m_openFailure = request->m_failure.kind != HttpFailure::Kind::kNone
                            ? request->m_failure
                            : HttpFailure{HttpFailure::Kind::kNetwork, 0};
        // Only failures to connect are retried; a server that answered and then broke off is not.
        if (!IsConnectFailure(request->m_failure))
            return nullptr;
    }
    return nullptr;
}

HttpRequest::HttpRequest(HttpSession& session, std::unique_ptr<Easy> easy)
    : m_session(session), m_easy(std::move(easy)), m_lastActivity(std::chrono::steady_clock::now()) {
}

HttpRequest::~HttpRequest() {
    Abort();
}

void HttpRequest::Abort() {
    if (m_easy && m_easy->attached) {
        Curl()->multi_remove_handle(m_session.m_multi->handle.get(), m_easy->handle.get());
        m_easy->attached = false;
    }
}

void HttpRequest::Finish(int curlResult) {
    m_finished = true;
    m_failure = FailureOf(curlResult);
    Abort();
}

bool HttpRequest::Drive(const std::function<bool()>& ready) {
    m_lastActivity = std::chrono::steady_clock::now();
    for (;;) {
        if (m_session.m_stop.stop_requested()) {
            m_failure = {HttpFailure::Kind::kStopped, 0};
            return false;
        }
        m_session.Perform();
        if (ready())
            return true;
        const auto idle = std::chrono::steady_clock::now() - m_lastActivity;
        if (idle >= m_session.m_receiveTimeout) {
            m_failure = {HttpFailure::Kind::kTimedOut, 0};
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_session.m_receiveTimeout - idle);
        Curl()->multi_poll(m_session.m_multi->handle.get(), nullptr, 0,
                           static_cast<int>(std::clamp<std::int64_t>(left.count(), 1, 1000)), nullptr);
    }
}

bool HttpRequest::WaitForHeaders() {
    if (!Drive([this] { return m_headersDone || m_finished; })) {
        Abort();
        m_finished = true;
    }
    return m_headersDone;
}

bool HttpRequest::WaitForBody() {
    if (m_paused) {
        m_paused = false;
        Curl()->easy_pause(m_easy->handle.get(), CURLPAUSE_CONT);
    }
    return Drive([this] { return m_readOffset < m_buffer.size() || m_finished; });
}

std::size_t HttpRequest::TakeBuffered(char* out, std::size_t maxBytes) {
    const std::size_t take = std::min(maxBytes, m_buffer.size() - m_readOffset);
    std::memcpy(out, m_buffer.data() + m_readOffset, take);
    m_readOffset += take;
    if (m_readOffset == m_buffer.size()) {
        m_buffer.clear();
        m_readOffset = 0;
    }
    return take;
}

std::ptrdiff_t HttpRequest::Read(void* buffer, std::size_t maxBytes) {
    // Like the platform's blocking read: fills the buffer unless the body ends or fails first.
    auto* out = static_cast<char*>(buffer);
    std::size_t count = 0;
    while (count < maxBytes) {
        if (m_readOffset == m_buffer.size()) {
            if (m_finished)
                break;
            if (!WaitForBody()) {
                // A stopped transfer stays attached: what has arrived can still be taken.
                if (m_failure.kind != HttpFailure::Kind::kStopped)
                    Abort();
                m_finished = true;
                break;
            }
            continue;
        }
        count += TakeBuffered(out + count, maxBytes - count);
    }
    if (count > 0)
        return static_cast<std::ptrdiff_t>(count);
    return m_failure.kind != HttpFailure::Kind::kNone ? -1 : 0;
}

std::ptrdiff_t HttpRequest::ReadArrived(void* buffer, std::size_t maxBytes) {
    if (m_readOffset == m_buffer.size() && m_easy && m_easy->attached) {
        if (m_paused) {
            m_paused = false;
            Curl()->easy_pause(m_easy->handle.get(), CURLPAUSE_CONT);
        }
        m_session.Perform();
    }
    return static_cast<std::ptrdiff_t>(TakeBuffered(static_cast<char*>(buffer), maxBytes));
}

std::string HttpRequest::host() const {
    char* effective = nullptr;
    if (!m_easy ||
        Curl()->easy_getinfo(m_easy->handle.get(), CURLINFO_EFFECTIVE_URL, &effective) != CURLE_OK ||
        !effective)
        return {};
    return AddressHost(effective);
}

std::size_t HttpRequest::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    const std::size_t length = size * count;
    const std::string line(data, length);
    request->m_lastActivity = std::chrono::steady_clock::now();
    if (line.rfind("HTTP/", 0) == 0) {
        // A new response block begins (after a redirect or an interim answer).
        request->m_locationInBlock = false;
        request->m_contentRangeStart.reset();
        request->m_contentLength.reset();
        request->m_lengthConflict = false;
    } else if (line == "\r\n" || line == "\n") {
        long status = 0;
        Curl()->easy_getinfo(request->m_easy->handle.get(), CURLINFO_RESPONSE_CODE, &status);
        const bool interim = status >= 100 && status < 200;
        const bool followed = status >= 300 && status < 400 && request->m_locationInBlock;
        if (!interim && !followed) {
            request->m_status = status;
            request->m_headersDone = true;
        }
    } else {
        const std::string lower = LowerAsciiCopy(line);
        if (lower.rfind("location:", 0) == 0) {
            request->m_locationInBlock = true;
        } else if (lower.rfind("content-length:", 0) == 0) {
            const char* digits = line.c_str() + 15;
            while (*digits == ' ' || *digits == '\t')
                ++digits;
            char* end = nullptr;
            const long long length = std::strtoll(digits, &end, 10);
            if (end == digits || length < 0 ||
                (request->m_contentLength && *request->m_contentLength != length))
                request->m_lengthConflict = true;
            else
                request->m_contentLength = length;
        } else if (lower.rfind("content-range:", 0) == 0) {
            const auto bytes = lower.find("bytes");
            if (bytes != std::string::npos) {
                const char* digits = line.c_str() + bytes + 5;
                while (*digits == ' ')
                    ++digits;
                char* end = nullptr;
                const long long start = std::strtoll(digits, &end, 10);
                if (end != digits && *end == '-')
                    request->m_contentRangeStart = start;
            }
        }
    }
    return length;
}

std::size_t HttpRequest::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    const std::size_t length = size * count;
    if (request->m_buffer.size() - request->m_readOffset >= kBufferCap) {
        request->m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (request->m_readOffset > 0) {
        request->m_buffer.erase(0, request->m_readOffset);
        request->m_readOffset = 0;
    }
    request->m_buffer.append(data, length);
    request->m_lastActivity = std::chrono::steady_clock::now();
    return length;
}

} // namespace tessaly
