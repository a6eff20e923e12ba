// Conversions between the core's UTF-16 text and byte strings: UTF-8 both ways, and the
// locale's multibyte encoding (the page text's encoding) to UTF-16. Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// UTF-8 to UTF-16; a byte sequence that is not UTF-8 becomes U+FFFD.
std::u16string FromUtf8(std::string_view bytes);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Bytes in the current C locale's multibyte encoding (LC_CTYPE) to UTF-16, as a page is read.
// Undecodable bytes become U+FFFD. With the "C" locale, bytes up to 0x7F are ASCII.
std::u16string DecodeLocaleBytes(std::string_view bytes);

} // namespace tessaly
