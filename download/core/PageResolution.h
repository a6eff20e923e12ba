// Page resolution: from a watch-page address and the first part of its page to the local file
// name and the stream address. Pure text functions, callable from any thread.
#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tessaly {

// What the extraction finds in a page. The title holds at most 79 code units; the query,
// "video_id=" value "&" "t=" value, at most 161.
struct ResolveResult {
    bool success = false;
    std::u16string title;
    std::u16string query;
};

// Whether the text holds a watch-page address anywhere. Exact about case: callers that accept
// capitals pass a lower-cased copy. Bounded by the matcher's default step limit, so pasted text
// cannot hold the user-interface thread; text too costly to check counts as no address.
bool IsWatchPageAddress(std::u16string_view text);

// Picks the title and the "video_id=" and "t=" items out of the page text. A page that takes the
// matcher past its step limit, or a stop requested on the token, yields no fields, as a page
// without them does.
ResolveResult ExtractVideoFields(std::u16string_view pageText, std::stop_token stop = {});

// The title plus ".flv", with the characters a file name cannot hold removed (":" becomes " ").
std::u16string MakeVideoFileName(std::u16string_view title);

// The page address's scheme and host, "/get_video?", then the query; nothing when the address
// has no host part to keep.
std::optional<std::u16string> BuildStreamAddress(std::u16string_view pageAddress, std::u16string_view query);

// The one rule for a task's local path: folder, one "/" (doubled ones collapsed), file name.
// A folder given with or without its trailing "/" yields the same path.
std::u16string JoinFolderPath(std::u16string_view folder, std::u16string_view fileName);

} // namespace tessaly
