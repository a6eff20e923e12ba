// Opens libcurl by its soname and runs curl_global_init once for the process.
#include "download/core/CurlLibrary.h"

#include <dlfcn.h>

namespace tessaly {
namespace {

// The soname of every libcurl since 7.16, the interface the build's headers describe.
constexpr char kLibcurlSoname[] = "libcurl.so.4";

template <typename Function> bool Resolve(void* library, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(dlsym(library, name));
    return entry != nullptr;
}

const CurlLibrary* Open() {
    // Bound now, on the opening thread, rather than symbol by symbol on the first transfers.
    void* library = dlopen(kLibcurlSoname, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return nullptr;
    // Never closed: libcurl keeps process-wide state from its initialisation on.
    static CurlLibrary curl;
    bool complete = true;
#define TESSALY_CURL_RESOLVE(name) complete = complete && Resolve(library, "curl_" #name, curl.name);
    TESSALY_CURL_ENTRY_POINTS(TESSALY_CURL_RESOLVE)
#undef TESSALY_CURL_RESOLVE
    if (!complete || curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &curl;
}

} // namespace

const CurlLibrary* Curl() {
    static const CurlLibrary* const curl = Open();
    return curl;
}

} // namespace tessaly
