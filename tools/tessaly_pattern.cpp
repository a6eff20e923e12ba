// tessaly-pattern: runs the pattern matcher on JSON lines from standard input.
//   ["<pattern>", "<subject>"]  ->  {"error": N} | {"match": null} |
//                                   {"match": [start, end], "groups": [[start, end], null, ...]}
//   --dump: ["<pattern>"]       ->  {"error": N} | {"groups": G, "slots": S, "program": [["Call", 2], ...]}
// Positions count UTF-16 code units. A line that is not a JSON array of strings gets {"invalid": "..."}.
#include "base/TextCodec.h"
#include "pattern/PatternMatcher.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>
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

// The line's strings when it is a JSON array of strings, else nothing.
std::optional<std::vector<std::u16string>> ReadArray(const std::string& line) {
    const nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
    if (!value.is_array()) {
        return std::nullopt; // also a line that does not parse
    }
    std::vector<std::u16string> items;
    for (const nlohmann::json& item : value) {
        if (!item.is_string()) {
            return std::nullopt;
        }
        items.push_back(tessaly::FromUtf8(item.get_ref<const std::string&>()));
    }
    return items;
}

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
        const std::optional<std::vector<std::u16string>> items = ReadArray(line);
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
