// libcurl, opened at run time instead of linked. Linked, libcurl and the two dozen libraries it
// needs (TLS, Kerberos, LDAP, SSH, IDN...) are all loaded and relocated before main() runs, the
// largest part of the program's start-up beyond Qt's own; opened, they can load on a thread of
// their own while the first window is being built.
#pragma once

#include <curl/curl.h>

namespace tessaly {

// The entry points the program uses, named as libcurl's without their "curl_" prefix. One list
// makes both the members and their look-up by name, so a name cannot be paired with the wrong member.
#define TESSALY_CURL_ENTRY_POINTS(X)                                                                         \
    X(global_init)                                                                                           \
    X(easy_init)                                                                                             \
    X(easy_cleanup)                                                                                          \
    X(easy_setopt)                                                                                           \
    X(easy_getinfo)                                                                                          \
    X(easy_pause)                                                                                            \
    X(multi_init)                                                                                            \
    X(multi_cleanup)                                                                                         \
    X(multi_add_handle)                                                                                      \
    X(multi_remove_handle)                                                                                   \
    X(multi_perform)                                                                                         \
    X(multi_info_read)                                                                                       \
    X(multi_poll)                                                                                            \
    X(multi_wakeup)

struct CurlLibrary {
#define TESSALY_CURL_MEMBER(name) decltype(&::curl_##name) name;
    TESSALY_CURL_ENTRY_POINTS(TESSALY_CURL_MEMBER)
#undef TESSALY_CURL_MEMBER
};

// libcurl with its global initialisation done, or null when the library cannot be opened, lacks
// an entry point or fails to initialise. The first call opens it; any thread may call, and later
// calls answer at once.
const CurlLibrary* Curl();

} // namespace tessaly
