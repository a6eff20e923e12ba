// libFuzzer target: Parse and Match on arbitrary pattern and subject. The input's first byte picks
// the encoding of the rest (odd: one byte per code unit, even: little-endian UTF-16); the first 0
// unit separates the pattern from the subject.
#include "pattern/PatternMatcher.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::u16string Units(const std::uint8_t* data, std::size_t size) {
    std::u16string units;
    if (size == 0) {
        return units;
    }
    if (data[0] & 1) {
        units.assign(data + 1, data + size);
    } else {
        for (std::size_t i = 1; i + 1 < size; i += 2) {
            units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        }
    }
    return units;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string units = Units(data, size);
    const std::size_t split = units.find(u'\0');
    // Exact copies, so that reading one unit past a terminator is caught.
    const std::u16string pattern = units.substr(0, split);
    const std::u16string subject = split == std::u16string::npos ? u"" : units.substr(split + 1);

    tessaly::PatternMatcher matcher;
    const tessaly::ParseError error = matcher.Parse(pattern.c_str());
    Check(error >= tessaly::ParseOk && error <= tessaly::ParseInvalidInput);
    if (error != tessaly::ParseOk) {
        return 0;
    }
    Check(matcher.Program().back().kind == tessaly::Instruction::Accept);

    // Some patterns backtrack for an exponential time; that is no fault worth waiting for here.
    constexpr std::uint64_t kStepLimit = 200000;
    tessaly::MatchContext context;
    context.SetStepLimit(kStepLimit);
    const bool matched = matcher.Match(subject.c_str(), &context);

    // Each shortcut only saves steps, so a run with fewer shortcuts that finds a match within the
    // limit must find the same one (the other way round it may merely have run out of steps).
    for (const std::uint32_t shortcuts :
         {0u, +tessaly::MatchContext::kRequiredRuns, +tessaly::MatchContext::kFailureMemo,
          +tessaly::MatchContext::kLazyScanMemo, +tessaly::MatchContext::kVectorScans,
          +tessaly::MatchContext::kLeadingRun, +tessaly::MatchContext::kLiteralRuns,
          +tessaly::MatchContext::kSuffixRuns, +tessaly::MatchContext::kFollowingTests,
          +tessaly::MatchContext::kOptionalUnits, +tessaly::MatchContext::kShortSubjects,
          +tessaly::MatchContext::kLoopEntries, +tessaly::MatchContext::kSimplePieces}) {
        tessaly::MatchContext fewer;
        fewer.SetStepLimit(kStepLimit);
        fewer.SetShortcuts(shortcuts);
        const tessaly::MatchOutcome outcome = matcher.Search(subject.c_str(), &fewer);
        if (outcome.IsMatch()) {
            Check(matched);
            Check(fewer.WholeMatch().start == context.WholeMatch().start &&
                  fewer.WholeMatch().end == context.WholeMatch().end);
            for (std::uint32_t n = 0; n < context.GroupCount(); ++n) {
                Check(fewer.Group(n).start == context.Group(n).start &&
                      fewer.Group(n).end == context.Group(n).end);
            }
        } else if (!outcome.IsCutOff()) {
            Check(!matched); // it tried everything and found nothing
        }
    }
    if (!matched) {
        return 0;
    }
    // The subject is 0-terminated at its size; only "$" moves one past that terminator.
    const auto limit = static_cast<std::ptrdiff_t>(subject.size()) + 1;
    const tessaly::MatchGroup whole = context.WholeMatch();
    Check(0 <= whole.start && whole.start <= whole.end && whole.end <= limit);
    Check(context.GroupCount() == matcher.GroupCount());
    for (std::uint32_t n = 0; n < context.GroupCount(); ++n) {
        const tessaly::MatchGroup& group = context.Group(n);
        Check(group.start >= -1 && group.start <= limit && group.end >= -1 && group.end <= limit);
    }
    return 0;
}
