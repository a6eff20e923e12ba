// The plain reference interpreter: every instruction exactly as the table says, untagged stack
// entries, the 1,048,576-entry cap.
#include "ReferenceInterpreter.h"

namespace tessaly::test {

ReferenceResult RunReference(const PatternMatcher& matcher, const std::u16string& subject,
                             std::uint64_t maxSteps) {
    using K = Instruction::Kind;
    const std::vector<Instruction>& prog = matcher.Program();
    ReferenceResult r;
    r.groups.assign(matcher.GroupCount(), MatchGroup{});
    std::vector<std::ptrdiff_t> slots(static_cast<std::size_t>(matcher.SlotCount()), 0);
    std::vector<std::ptrdiff_t> stack(1, 0); // entry 0 unused; the depth is size() - 1
    const char16_t* s = subject.c_str();
    std::uint64_t steps = 0;
    std::ptrdiff_t start = 0;
    auto push = [&](std::ptrdiff_t v) {
        stack.push_back(v);
        return stack.size() - 1 < PatternMatcher::kMaxStackEntries;
    };
    auto pop = [&]() {
        const std::ptrdiff_t v = stack.back();
        stack.pop_back();
        return v;
    };
    for (;;) {
        std::ptrdiff_t p = start;
        std::size_t ip = 0;
        stack.resize(1);
        r.whole.start = start;
        bool nextStart = false;
        while (!nextStart) {
            if (++steps > maxSteps) {
                r.outcome = ReferenceResult::GaveUp;
                return r;
            }
            const Instruction in = prog[ip];
            const auto op = static_cast<std::size_t>(in.operand);
            bool fail = false;
            std::size_t next = ip + 1;
            switch (in.kind) {
            case K::Nop:
                break;
            case K::GroupStart:
                r.groups[op].start = p;
                break;
            case K::GroupEnd:
                r.groups[op].end = p;
                break;
            case K::Char:
                fail = s[p] != static_cast<char16_t>(in.operand);
                p += fail ? 0 : 1;
                break;
            case K::AnyChar:
                fail = s[p] == 0;
                p += fail ? 0 : 1;
                break;
            case K::InSet:
            case K::NotInSet: {
                bool held = false;
                for (std::size_t i = ip + 1; i + 1 < op; i += 2) {
                    held = held || (prog[i].operand <= s[p] && s[p] <= prog[i + 1].operand);
                }
                fail = s[p] == 0 || held != (in.kind == K::InSet);
                if (!fail) {
                    ++p;
                    next = op;
                }
                break;
            }
            case K::Jump:
                next = op;
                break;
            case K::PushPos:
                if (!push(p)) {
                    return ReferenceResult{};
                }
                break;
            case K::PopPos:
                p = pop();
                break;
            case K::Call:
                if (!push(static_cast<std::ptrdiff_t>(ip + 1))) {
                    return ReferenceResult{};
                }
                next = op;
                break;
            case K::Backtrack:
                fail = true;
                break;
            case K::PushSlot:
                if (!push(slots[op])) {
                    return ReferenceResult{};
                }
                break;
            case K::PopSlot:
                slots[op] = pop();
                break;
            case K::SavePos:
                slots[op] = p;
                break;
            case K::SaveDepth:
                slots[op] = static_cast<std::ptrdiff_t>(stack.size() - 1);
                break;
            case K::LoadPos:
                p = slots[op];
                break;
            case K::LoadDepth:
                stack.resize(static_cast<std::size_t>(slots[op]) + 1);
                break;
            case K::FailIfNoProgress:
                fail = p == slots[op];
                break;
            case K::BackRef: {
                const MatchGroup g = r.groups[op];
                const std::ptrdiff_t len = g.IsPresent() ? g.end - g.start : 0;
                for (std::ptrdiff_t i = 0; i < len && !fail; ++i) {
                    fail = s[p + i] != s[g.start + i];
                }
                p += fail ? 0 : len;
                break;
            }
            case K::Stop:
                return ReferenceResult{};
            case K::NextStart:
                nextStart = true;
                break;
            case K::Accept:
                r.whole.end = p;
                r.outcome = ReferenceResult::Matched;
                return r;
            case K::SaveGroup:
                if (!push(r.groups[op].start) || !push(r.groups[op].end)) {
                    return ReferenceResult{};
                }
                break;
            case K::RestoreGroup:
                r.groups[op].end = pop();
                r.groups[op].start = pop();
                break;
            }
            ip = fail ? static_cast<std::size_t>(pop()) : next;
        }
        if (s[start] == 0 || s[++start] == 0) {
            return ReferenceResult{};
        }
    }
}

} // namespace tessaly::test
