// Lower-casing of the ASCII letters A to Z only, for any character type: protocol words (header
// names, schemes), config.ini's keys and the address check; every other unit stays as it is,
// whatever the locale.
#pragma once

namespace tessaly {

template <typename Char> constexpr Char LowerAscii(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// A copy of text (a std::string, std::u16string, ...) with its ASCII letters lowered.
template <typename String> String LowerAsciiCopy(String text) {
    for (auto& c : text)
        c = LowerAscii(c);
    return text;
}

} // namespace tessaly
