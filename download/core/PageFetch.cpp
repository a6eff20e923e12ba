// The page fetch: 2048-byte reads into an 8192-byte zero-filled buffer, then decoding.
#include "download/core/PageFetch.h"

#include "base/TextCodec.h"

#include <array>
#include <cstring>

namespace tessaly {

PageFetchResult FetchPageText(HttpSession& session, std::u16string_view pageAddress,
                              const std::function<bool()>& stopRequested) {
    PageFetchResult result;
    auto page = session.OpenUrl(ToUtf8(pageAddress));
    if (!page) {
        result.failure = session.openFailure();
        return result;
    }
    result.httpStatus = page->status();
    result.host = page->host();

    std::array<char, kPageTextBytes + 1> text{};
    std::array<char, kReadChunkBytes> chunk{};
    std::size_t total = 0;
    std::size_t textLength = 0; // bytes appended; the append stops at a chunk's first zero byte
    bool zeroSeen = false;
    for (;;) {
        const std::ptrdiff_t count = page->Read(chunk.data(), chunk.size());
        if (count < 0) {
            result.status = PageFetchStatus::kReadFailed;
            result.failure = page->failure();
            return result;
        }
        if (count == 0)
            break;
        if (stopRequested && stopRequested()) {
            result.status = PageFetchStatus::kStopped;
            return result;
        }
        total += static_cast<std::size_t>(count);
        if (total >= text.size())
            break;
        if (zeroSeen)
            continue;
        const auto* zero =
            static_cast<const char*>(std::memchr(chunk.data(), 0, static_cast<std::size_t>(count)));
        const std::size_t kept =
            zero ? static_cast<std::size_t>(zero - chunk.data()) : static_cast<std::size_t>(count);
        std::memcpy(text.data() + textLength, chunk.data(), kept);
        textLength += kept;
        zeroSeen = zero != nullptr;
    }
    page.reset();
    result.status = PageFetchStatus::kOk;
    result.text = DecodeLocaleBytes(std::string_view(text.data(), textLength));
    return result;
}

} // namespace tessaly
