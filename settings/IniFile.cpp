// INI text parsing and rewriting for the settings file.
#include "settings/IniFile.h"

#include "base/AsciiCase.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace tessaly::ini {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Section and key names are ASCII in practice; other bytes compare exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// One line of the file without its line break (and without a "\r" before it).
struct Line {
    std::string_view text;
    std::size_t begin = 0; // offset of the line in the content
    std::size_t end = 0;   // offset just past its line break
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = content.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
    while (pos < content.size()) {
        std::size_t breakAt = content.find('\n', pos);
        const std::size_t next = breakAt == std::string_view::npos ? content.size() : breakAt + 1;
        if (breakAt == std::string_view::npos)
            breakAt = content.size();
        std::string_view text = content.substr(pos, breakAt - pos);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        lines.push_back({text, pos, next});
        pos = next;
    }
    return lines;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    const std::size_t close = trimmed.find(']');
    const std::string_view name =
        trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    return Trim(name);
}

// Whether a line is "key = value" for this key; the text after "=" goes to value.
bool IsKeyLine(std::string_view line, std::string_view key, std::string_view* value) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !EqualsIgnoringCase(Trim(line.substr(0, equals)), key))
        return false;
    if (value)
        *value = line.substr(equals + 1);
    return true;
}

// Where a key lies in the content: the index of its line, or of the section's last non-blank
// line when the key is missing, or nothing when the section is missing.
struct Position {
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> sectionLastLine;
};

Position Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Position position;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i].text)) {
            // The first section of that name is the one read and written.
            if (position.sectionLastLine)
                break;
            inSection = EqualsIgnoringCase(*name, section);
            if (inSection)
                position.sectionLastLine = i;
            continue;
        }
        if (!inSection)
            continue;
        if (IsKeyLine(lines[i].text, key, nullptr)) {
            position.keyLine = i;
            return position;
        }
        if (!Trim(lines[i].text).empty())
            position.sectionLastLine = i;
    }
    return position;
}

std::string_view LineBreakOf(std::string_view content) {
    return content.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

} // namespace

std::string FindValue(std::string_view content, std::string_view section, std::string_view key) {
    const std::vector<Line> lines = SplitLines(content);
    const Position position = Locate(lines, section, key);
    std::string_view value;
    if (!position.keyLine || !IsKeyLine(lines[*position.keyLine].text, key, &value))
        return {};
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::optional<std::string> WithValue(std::string_view content, std::string_view section, std::string_view key,
                                     std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    const std::vector<Line> lines = SplitLines(content);
    const Position position = Locate(lines, section, key);
    const std::string_view lineBreak = LineBreakOf(content);
    const std::string keyLine = std::string(key) + "=" + std::string(value);
    std::string result;
    if (position.keyLine) {
        const Line& line = lines[*position.keyLine];
        result.append(content.substr(0, line.begin));
        result.append(keyLine);
        result.append(content.substr(line.begin + line.text.size())); // keeps the old line break
    } else if (position.sectionLastLine) {
        const Line& line = lines[*position.sectionLastLine];
        result.append(content.substr(0, line.end));
        if (line.end == content.size() && !content.empty() && content.back() != '\n')
            result.append(lineBreak);
        result.append(keyLine).append(lineBreak);
        result.append(content.substr(line.end));
    } else {
        result.append(content);
        if (!content.empty() && content.back() != '\n')
            result.append(lineBreak);
        result.append("[").append(section).append("]").append(lineBreak);
        result.append(keyLine).append(lineBreak);
    }
    return result;
}

std::string ReadValue(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return FindValue(content, section, key);
}

bool WriteValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                std::string_view value) {
    std::string content;
    if (std::ifstream in(file, std::ios::binary); in)
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const std::optional<std::string> updated = WithValue(content, section, key, value);
    if (!updated)
        return false;

    // Written beside the file and moved over it, so a failed write never leaves half a file.
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(updated->data(), static_cast<std::streamsize>(updated->size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace tessaly::ini
