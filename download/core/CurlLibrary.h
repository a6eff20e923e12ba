// libcurl, opened at run time instead of linked. Linked, libcurl and the two dozen libraries it
// needs (TLS, Kerberos, LDAP, SSH, IDN...) are all loaded and relocated before main() runs, the
// largest part of the program's start-up beyond Qt's own; opened, they can load on a thread of
// their own while the first window is being built.
#pragma once

#include <curl/curl.h>

namespace tessaly {

// The entry points the program uses, named as libcurl's without their "curl_" prefix.
struct CurlLibrary {
    decltype(&::curl_global_init) global_init;
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_pause) easy_pause;
    decltype(&::curl_multi_init) multi_init;
    decltype(&::curl_multi_cleanup) multi_cleanup;
    decltype(&::curl_multi_add_handle) multi_add_handle;
    decltype(&::curl_multi_remove_handle) multi_remove_handle;
    decltype(&::curl_multi_perform) multi_perform;
    decltype(&::curl_multi_info_read) multi_info_read;
    decltype(&::curl_multi_poll) multi_poll;
    decltype(&::curl_multi_wakeup) multi_wakeup;
};

// libcurl with its global initialisation done, or null when the library cannot be opened, lacks
// an entry point or fails to initialise. The first call opens it; any thread may call, and later
// calls answer at once.
const CurlLibrary* Curl();

} // namespace tessaly
