// Helpers shared by the pattern matcher tests.
#include "PatternTestSupport.h"

namespace tessaly::test {

std::string Summarize(const MatchContext& context) {
    const MatchGroup& whole = context.WholeMatch();
    std::string out = std::to_string(whole.start) + "-" + std::to_string(whole.end);
    for (std::uint32_t n = 0; n < context.GroupCount(); ++n) {
        const MatchGroup& group = context.Group(n);
        out += group.IsPresent() ? " (" + std::to_string(group.start) + "-" + std::to_string(group.end) + ")"
                                 : " -";
    }
    return out;
}

std::string MatchSummary(const char16_t* pattern, const char16_t* subject) {
    PatternMatcher matcher;
    const ParseError error = matcher.Parse(pattern);
    if (error != ParseOk) {
        return "error " + std::to_string(error);
    }
    MatchContext context;
    return matcher.Match(subject, &context) ? Summarize(context) : "none";
}

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

} // namespace tessaly::test
