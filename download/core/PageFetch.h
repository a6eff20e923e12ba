// FetchPageText: the first part of a watch page as text, read on a worker's Internet handle.
// Threads: runs on the worker's thread, with the worker's own session.
#pragma once

#include "download/core/HttpClient.h"

#include <functional>
#include <string>
#include <string_view>

namespace tessaly {

// The page bytes kept: at most this many, so that a zero byte always follows them.
constexpr std::size_t kPageTextBytes = 8191;
// The page and the stream are read in pieces of this size.
constexpr std::size_t kReadChunkBytes = 2048;

enum class PageFetchStatus {
    kOk,
    kOpenFailed, // the address cannot be opened
    kReadFailed, // a read of the page failed
    kStopped,    // the task was asked to stop while the page was read
};

struct PageFetchResult {
    PageFetchStatus status = PageFetchStatus::kOpenFailed;
    std::u16string text; // the page text when status is kOk
    long httpStatus = 0; // the answer's status, once the page was opened
    std::string host;    // the server that answered (after redirects), once opened
    HttpFailure failure; // why it could not be opened or read
};

// Reads the page in chunks of kReadChunkBytes: the chunk that brings the total to 8192 bytes or more
// is dropped whole and ends the reading, and a zero byte ends the text. After each read that returns
// data, stopRequested is asked whether to give up. The bytes are decoded with the locale's
// multibyte encoding; whatever status the server answers with, its body is taken as the page.
PageFetchResult FetchPageText(HttpSession& session, std::u16string_view pageAddress,
                              const std::function<bool()>& stopRequested);

} // namespace tessaly
