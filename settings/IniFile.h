// A small INI reader/writer with the semantics the settings rely on: section and key names
// compare case-insensitively, a value is read trimmed and unquoted, and a write keeps every
// other line of the file as it was. Text is UTF-8. Free functions, no shared state.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::ini {

// The value of key in section within the INI text; empty when the section, the key or the value
// is missing. White space around the value, then one pair of enclosing quotes, is removed.
std::string FindValue(std::string_view content, std::string_view section, std::string_view key);

// The INI text with key in section set to value: an existing line of that key is rewritten in
// place, otherwise the key is added at the end of its section, or a new section at the end.
// Nothing for a value holding a line break: it would end the key's line and start others.
std::optional<std::string> WithValue(std::string_view content, std::string_view section, std::string_view key,
                                     std::string_view value);

// The same over a file. Reading a missing or unreadable file gives the empty value.
std::string ReadValue(const std::filesystem::path& file, std::string_view section, std::string_view key);
// Creates the file as needed; false, leaving the file as it was, when it cannot be written or the
// value holds a line break.
bool WriteValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                std::string_view value);

} // namespace tessaly::ini
