// tessaly-pattern: runs the pattern matcher on JSON lines from standard input.
//   ["<pattern>", "<subject>"]  ->  {"error": N} | {"match": null} |
//                                   {"match": [start, end], "groups": [[start, end], null, ...]}
//   --dump: ["<pattern>"]       ->  {"error": N} | {"groups": G, "slots": S, "program": [["Call", 2], ...]}
// Positions count UTF-16 code units. A line that is not a JSON array of strings gets {"invalid": "..."}.
#include "pattern/PatternMatcher.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

using tessaly::Instruction;
using tessaly::MatchContext;
using tessaly::MatchGroup;
using tessaly::PatternMatcher;

constexpr const char* kKindNames[] = {
    "Nop",       "GroupStart", "GroupEnd",  "Char",         "AnyChar",          "InSet",    "NotInSet",
    "Jump",      "PushPos",    "PopPos",    "Call",         "Backtrack",        "PushSlot", "PopSlot",
    "SavePos",   "SaveDepth",  "LoadPos",   "LoadDepth",    "FailIfNoProgress", "BackRef",  "Stop",
    "NextStart", "Accept",     "SaveGroup", "RestoreGroup",
};

bool HasOperand(Instruction::Kind kind) {
    switch (kind) {
    case Instruction::AnyChar:
    case Instruction::PushPos:
    case Instruction::PopPos:
    case Instruction::Backtrack:
    case Instruction::Stop:
    case Instruction::NextStart:
    case Instruction::Accept:
        return false;
    default:
        return true;
    }
}

// Reads a JSON array of strings (UTF-8, with the usual escapes) into UTF-16 strings.
class LineReader {
public:
    explicit LineReader(const std::string& line) : m_text(line) {}

    std::optional<std::vector<std::u16string>> Array() {
        std::vector<std::u16string> items;
        SkipBlanks();
        if (!Take('[')) {
            return std::nullopt;
        }
        SkipBlanks();
        if (Take(']')) {
            return Finished() ? std::optional(items) : std::nullopt;
        }
        for (;;) {
            SkipBlanks();
            std::optional<std::u16string> item = String();
            if (!item) {
                return std::nullopt;
            }
            items.push_back(std::move(*item));
            SkipBlanks();
            if (Take(']')) {
                return Finished() ? std::optional(items) : std::nullopt;
            }
            if (!Take(',')) {
                return std::nullopt;
            }
        }
    }

private:
    bool Finished() {
        SkipBlanks();
        return m_at == m_text.size();
    }

    void SkipBlanks() {
        while (m_at < m_text.size() && std::strchr(" \t\r\n", m_text[m_at]) != nullptr && m_text[m_at] != 0) {
            ++m_at;
        }
    }

    bool Take(char c) {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    std::optional<unsigned> Hex4() {
        if (m_text.size() - m_at < 4) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        return value;
    }

    // One UTF-8 sequence into a code point; nothing for malformed input.
    std::optional<char32_t> Utf8() {
        const auto lead = static_cast<unsigned char>(m_text[m_at++]);
        int extra = lead < 0x80             ? 0
                    : (lead & 0xE0) == 0xC0 ? 1
                    : (lead & 0xF0) == 0xE0 ? 2
                    : (lead & 0xF8) == 0xF0 ? 3
                                            : -1;
        if (extra < 0 || m_text.size() - m_at < static_cast<std::size_t>(extra)) {
            return std::nullopt;
        }
        char32_t value = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int i = 0; i < extra; ++i) {
            const auto c = static_cast<unsigned char>(m_text[m_at++]);
            if ((c & 0xC0) != 0x80) {
                return std::nullopt;
            }
            value = (value << 6) | (c & 0x3F);
        }
        return value <= 0x10FFFF ? std::optional(value) : std::nullopt;
    }

    std::optional<std::u16string> String() {
        if (!Take('"')) {
            return std::nullopt;
        }
        std::u16string out;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '"') {
                ++m_at;
                return out;
            }
            if (c == '\\') {
                ++m_at;
                if (m_at >= m_text.size()) {
                    return std::nullopt;
                }
                const char e = m_text[m_at++];
                const char* simple = std::strchr("\"\\/bfnrt", e);
                if (e == 'u') {
                    const std::optional<unsigned> unit = Hex4();
                    if (!unit) {
                        return std::nullopt;
                    }
                    out.push_back(static_cast<char16_t>(*unit)); // surrogates pass through as units
                } else if (simple != nullptr && e != 0) {
                    out.push_back(static_cast<char16_t>("\"\\/\b\f\n\r\t"[simple - "\"\\/bfnrt"]));
                } else {
                    return std::nullopt;
                }
                continue;
            }
            const std::optional<char32_t> point = Utf8();
            if (!point) {
                return std::nullopt;
            }
            if (*point >= 0x10000) {
                out.push_back(static_cast<char16_t>(0xD800 + ((*point - 0x10000) >> 10)));
                out.push_back(static_cast<char16_t>(0xDC00 + ((*point - 0x10000) & 0x3FF)));
            } else {
                out.push_back(static_cast<char16_t>(*point));
            }
        }
        return std::nullopt;
    }

    const std::string& m_text;
    std::size_t m_at = 0;
};

std::string Position(const MatchGroup& group) {
    if (!group.IsPresent()) {
        return "null";
    }
    return "[" + std::to_string(group.start) + ", " + std::to_string(group.end) + "]";
}

std::string Dump(const PatternMatcher& matcher) {
    std::string out = "{\"groups\": " + std::to_string(matcher.GroupCount()) +
                      ", \"slots\": " + std::to_string(matcher.SlotCount()) + ", \"program\": [";
    const std::vector<Instruction>& program = matcher.Program();
    std::size_t setEnd = 0; // Nops before this index are a set's range bounds
    for (std::size_t i = 0; i < program.size(); ++i) {
        const Instruction& in = program[i];
        if (in.kind == Instruction::InSet || in.kind == Instruction::NotInSet) {
            setEnd = static_cast<std::size_t>(in.operand);
        }
        const bool operand = in.kind == Instruction::Nop ? i < setEnd : HasOperand(in.kind);
        out += i == 0 ? "[\"" : ", [\"";
        out += kKindNames[in.kind];
        out += operand ? "\", " + std::to_string(in.operand) + "]" : "\"]";
    }
    return out + "]}";
}

std::string MatchLine(const PatternMatcher& matcher, const std::u16string& subject) {
    MatchContext context;
    if (!matcher.Match(subject.c_str(), &context)) {
        return "{\"match\": null}";
    }
    std::string out = "{\"match\": " + Position(context.WholeMatch()) + ", \"groups\": [";
    for (std::uint32_t n = 0; n < context.GroupCount(); ++n) {
        out += (n == 0 ? "" : ", ") + Position(context.Group(n));
    }
    return out + "]}";
}

} // namespace

int main(int argc, char** argv) {
    const bool dump = argc > 1 && std::strcmp(argv[1], "--dump") == 0;
    if (argc > 2 || (argc == 2 && !dump)) {
        std::fprintf(stderr, "usage: %s [--dump] < lines of JSON arrays\n", argv[0]);
        return 2;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        const std::optional<std::vector<std::u16string>> items = LineReader(line).Array();
        const std::size_t wanted = dump ? 1 : 2;
        if (!items || items->size() != wanted) {
            std::cout << "{\"invalid\": \"expected a JSON array of " << wanted << " string(s)\"}\n"
                      << std::flush;
            continue;
        }
        PatternMatcher matcher;
        const tessaly::ParseError error = matcher.Parse((*items)[0].c_str());
        if (error != tessaly::ParseOk) {
            std::cout << "{\"error\": " << static_cast<int>(error) << "}\n";
        } else {
            std::cout << (dump ? Dump(matcher) : MatchLine(matcher, (*items)[1])) << "\n";
        }
        std::cout << std::flush;
    }
    return 0;
}
