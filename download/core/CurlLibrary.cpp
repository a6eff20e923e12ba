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
    const bool complete = Resolve(library, "curl_global_init", curl.global_init) &&
                          Resolve(library, "curl_easy_init", curl.easy_init) &&
                          Resolve(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                          Resolve(library, "curl_easy_setopt", curl.easy_setopt) &&
                          Resolve(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                          Resolve(library, "curl_easy_pause", curl.easy_pause) &&
                          Resolve(library, "curl_multi_init", curl.multi_init) &&
                          Resolve(library, "curl_multi_cleanup", curl.multi_cleanup) &&
                          Resolve(library, "curl_multi_add_handle", curl.multi_add_handle) &&
                          Resolve(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
                          Resolve(library, "curl_multi_perform", curl.multi_perform) &&
                          Resolve(library, "curl_multi_info_read", curl.multi_info_read) &&
                          Resolve(library, "curl_multi_poll", curl.multi_poll) &&
                          Resolve(library, "curl_multi_wakeup", curl.multi_wakeup);
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
