// Fuzzes the extraction on arbitrary page bytes, read as a worker reads a page: at most 8191
// bytes, up to the first zero byte, decoded with the locale's encoding.
#include "base/TextCodec.h"
#include "download/core/PageResolution.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::size_t kMaxPageBytes = 8191;
constexpr std::size_t kMaxTitleUnits = 79;
constexpr std::size_t kMaxQueryUnits = 161;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size < kMaxPageBytes ? size : kMaxPageBytes);
    bytes = bytes.substr(0, bytes.find('\0'));
    const std::u16string page = tessaly::DecodeLocaleBytes(bytes);

    const tessaly::ResolveResult result = tessaly::ExtractVideoFields(page);
    Require(result.title.size() <= kMaxTitleUnits);
    Require(result.query.size() <= kMaxQueryUnits);
    Require(result.success || (result.title.empty() && result.query.empty()));
    Require(result.query.empty() || result.query.starts_with(u"video_id="));

    const std::u16string name = tessaly::MakeVideoFileName(result.title);
    Require(name.ends_with(u".flv") && name.find(u'/') == std::u16string::npos);
    tessaly::IsWatchPageAddress(page);
    return 0;
}
