// Dropping and escaping control and bidi characters.
#include "download/core/ControlCharacters.h"

#include "base/TextCodec.h"

#include <cstdio>

namespace tessaly {

bool IsControlCharacter(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::u16string WithoutControlCharacters(std::u16string_view text) {
    std::u16string kept;
    kept.reserve(text.size());
    for (const char16_t c : text)
        if (!IsControlCharacter(c))
            kept.push_back(c);
    return kept;
}

std::string EscapeControlCharacters(std::u16string_view text) {
    std::string out;
    std::size_t plain = 0; // start of the run of characters not yet converted
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsControlCharacter(text[i]) && text[i] != u'\\')
            continue;
        out += ToUtf8(text.substr(plain, i - plain));
        plain = i + 1;
        if (i == text.size())
            break;
        char escape[8];
        if (text[i] == u'\\')
            std::snprintf(escape, sizeof escape, "\\\\");
        else if (text[i] <= 0xFF)
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(text[i]));
        else
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(text[i]));
        out += escape;
    }
    return out;
}

} // namespace tessaly
