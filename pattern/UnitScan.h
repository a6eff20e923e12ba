// Searches along a UTF-16 subject for one unit, one run of units or the terminator, eight units
// at a time where the processor has SSE2 (one at a time elsewhere). They answer exactly as the
// one-at-a-time loops they stand in for.
#pragma once

#include <cstddef>
#include <string_view>

namespace tessaly::pattern_detail {

// Units before the terminator. May read, within the aligned 16 bytes that hold the terminator,
// past it (never across a page), as string functions do.
std::size_t SubjectLength(const char16_t* s);

// SubjectLength when the terminator stands within the first `limit` units, else a number above
// `limit`; reads no further than the aligned 16 bytes that hold unit `limit`.
std::size_t SubjectLengthWithin(const char16_t* s, std::size_t limit);
// The same, one unit at a time.
std::size_t SubjectLengthWithinByUnit(const char16_t* s, std::size_t limit);

// The first position from `from` before `end` that holds `unit`; `end` when none does.
std::size_t FindUnit(const char16_t* s, std::size_t from, std::size_t end, char16_t unit);

// The last position from lo to hi that holds `unit`; lo - 1 when none does.
std::ptrdiff_t FindLastUnit(const char16_t* s, std::ptrdiff_t lo, std::ptrdiff_t hi, char16_t unit);

// text.find(run, from) and text.rfind(run).
std::size_t FindRun(std::u16string_view text, std::u16string_view run, std::size_t from);
std::size_t FindLastRun(std::u16string_view text, std::u16string_view run);

} // namespace tessaly::pattern_detail
