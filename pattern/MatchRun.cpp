// Match: the backtracking interpreter. One explicit stack of untagged entries, no recursion;
// "fail" pops an instruction index and continues there, restoring no position.
#include "pattern/PatternCompiler.h"
#include "pattern/PatternMatcher.h"

#include <algorithm>
#include <limits>
#include <new>

namespace tessaly {

using pattern_detail::kLazyBackEdge;
using pattern_detail::kLazyBodyEntry;
using pattern_detail::kSelfBackRef;

namespace {

// Pushed with the iteration's start position and the item's entry when a lazy iteration over an
// item that may match empty begins; no real entry (index, position, depth, group bound) is negative
// beyond -1.
constexpr std::ptrdiff_t kLazyMark = std::numeric_limits<std::ptrdiff_t>::min();

// Whether one of the bound pairs after the set instruction at `at` holds the unit.
bool SetHolds(const Instruction* program, std::size_t at, char16_t unit) {
    const auto end = static_cast<std::size_t>(program[at].operand);
    for (std::size_t i = at + 1; i + 1 < end; i += 2) {
        if (program[i].operand <= unit && unit <= program[i + 1].operand) {
            return true;
        }
    }
    return false;
}

} // namespace

class PatternMatcher::Run {
public:
    Run(const PatternMatcher& matcher, const char16_t* subject, MatchContext& context)
        : m_program(matcher.m_program.data()), m_traits(matcher.m_traits.data()),
          m_size(matcher.m_program.size()), m_filter(matcher.m_startFilter), m_s(subject), m_context(context),
          m_groups(context.m_groups.data()), m_slots(context.m_slots.data()),
          m_stack(context.m_stack.data()), m_room(context.m_stack.size()), m_stepLimit(context.m_stepLimit) {}

    bool Execute();

private:
    bool Push(std::ptrdiff_t value) {
        if (++m_depth >= m_room && !Grow()) {
            return false;
        }
        m_stack[m_depth] = value;
        return true;
    }

    // The room grows to twice the new depth plus 2, up to the cap.
    bool Grow() {
        if (m_depth >= kMaxStackEntries) {
            return false;
        }
        const std::size_t room = std::min<std::size_t>(2 * m_depth + 2, kMaxStackEntries);
        try {
            m_context.m_stack.resize(room);
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_stack = m_context.m_stack.data();
        m_room = room;
        return true;
    }

    bool Passes(char16_t unit) const {
        switch (m_filter.kind) {
        case StartFilter::Unit:
            return unit == m_filter.unit;
        case StartFilter::Set:
            return unit != 0 && SetHolds(m_program, m_filter.set, unit) ==
                                    (m_program[m_filter.set].kind == Instruction::InSet);
        case StartFilter::None:
            break;
        }
        return true;
    }

    bool OutOfSteps() { return m_stepLimit != 0 && ++m_steps > m_stepLimit; }

    // The lazy iteration that reached its loop's Jump consumed nothing.
    bool LazyIterationEmpty(std::size_t bodyEntry, std::ptrdiff_t p) const {
        for (std::size_t i = m_depth; i >= 3; --i) {
            if (m_stack[i] == kLazyMark && m_stack[i - 1] == static_cast<std::ptrdiff_t>(bodyEntry)) {
                return m_stack[i - 2] == p;
            }
        }
        return false;
    }

    const Instruction* m_program;
    const std::uint8_t* m_traits;
    std::size_t m_size;
    StartFilter m_filter;
    const char16_t* m_s;
    MatchContext& m_context;
    MatchGroup* m_groups;
    std::ptrdiff_t* m_slots;
    std::ptrdiff_t* m_stack;
    std::size_t m_room;
    std::size_t m_depth = 0;
    std::uint64_t m_stepLimit;
    std::uint64_t m_steps = 0;
};

bool PatternMatcher::Run::Execute() {
    const char16_t* const s = m_s;
    std::ptrdiff_t start = 0;
    for (;;) {
        if (m_filter.kind != StartFilter::None) {
            while (s[start] != 0 && !Passes(s[start])) {
                ++start;
            }
            if (s[start] == 0) {
                return false; // the attempt at the terminator would fail at once too
            }
        }
        std::ptrdiff_t p = start;
        std::size_t ip = 0;
        m_depth = 0;
        m_context.m_match.start = start;
        for (;;) {
            const Instruction in = m_program[ip];
            switch (in.kind) {
            case Instruction::Nop:
                ++ip;
                continue;
            case Instruction::GroupStart:
                m_groups[in.operand].start = p;
                ++ip;
                continue;
            case Instruction::GroupEnd:
                m_groups[in.operand].end = p;
                ++ip;
                continue;
            case Instruction::Char:
                if (s[p] != static_cast<char16_t>(in.operand)) {
                    goto fail;
                }
                ++p;
                ++ip;
                continue;
            case Instruction::AnyChar:
                if (s[p] == 0) {
                    goto fail;
                }
                ++p;
                ++ip;
                continue;
            case Instruction::InSet:
            case Instruction::NotInSet:
                if (s[p] == 0 || SetHolds(m_program, ip, s[p]) != (in.kind == Instruction::InSet)) {
                    goto fail;
                }
                ++p;
                ip = static_cast<std::size_t>(in.operand);
                continue;
            case Instruction::Jump:
                if (OutOfSteps()) {
                    return false;
                }
                if ((m_traits[ip] & kLazyBackEdge) &&
                    LazyIterationEmpty(static_cast<std::size_t>(in.operand) + 1, p)) {
                    goto fail;
                }
                ip = static_cast<std::size_t>(in.operand);
                continue;
            case Instruction::PushPos:
                if (!Push(p)) {
                    return false;
                }
                ++ip;
                continue;
            case Instruction::PopPos:
                p = m_stack[m_depth--];
                ++ip;
                continue;
            case Instruction::Call:
                if (!Push(static_cast<std::ptrdiff_t>(ip + 1))) {
                    return false;
                }
                ip = static_cast<std::size_t>(in.operand);
                continue;
            case Instruction::Backtrack:
                goto fail;
            case Instruction::PushSlot:
                if (!Push(m_slots[in.operand])) {
                    return false;
                }
                ++ip;
                continue;
            case Instruction::PopSlot:
                m_slots[in.operand] = m_stack[m_depth--];
                ++ip;
                continue;
            case Instruction::SavePos:
                m_slots[in.operand] = p;
                ++ip;
                continue;
            case Instruction::SaveDepth:
                m_slots[in.operand] = static_cast<std::ptrdiff_t>(m_depth);
                ++ip;
                continue;
            case Instruction::LoadPos:
                p = m_slots[in.operand];
                ++ip;
                continue;
            case Instruction::LoadDepth:
                m_depth = static_cast<std::size_t>(m_slots[in.operand]);
                ++ip;
                continue;
            case Instruction::FailIfNoProgress:
                if (p == m_slots[in.operand]) {
                    goto fail;
                }
                ++ip;
                continue;
            case Instruction::BackRef: {
                if (m_traits[ip] & kSelfBackRef) {
                    goto fail;
                }
                const MatchGroup& group = m_groups[in.operand];
                if (group.IsPresent()) {
                    const std::ptrdiff_t length = group.end - group.start;
                    if (length < 0) {
                        goto fail;
                    }
                    // The group's text holds no terminator, so the comparison stops at the subject's.
                    for (std::ptrdiff_t i = 0; i < length; ++i) {
                        if (s[p + i] != s[group.start + i]) {
                            goto fail;
                        }
                    }
                    p += length;
                }
                ++ip;
                continue;
            }
            case Instruction::Stop:
                return false;
            case Instruction::NextStart:
                goto next;
            case Instruction::Accept:
                m_context.m_match.end = p;
                return true;
            case Instruction::SaveGroup:
                if (!Push(m_groups[in.operand].start) || !Push(m_groups[in.operand].end)) {
                    return false;
                }
                ++ip;
                continue;
            case Instruction::RestoreGroup:
                m_groups[in.operand].end = m_stack[m_depth--];
                m_groups[in.operand].start = m_stack[m_depth--];
                ++ip;
                continue;
            }
            return false; // no other kinds exist
        fail:
            if (OutOfSteps() || m_depth == 0) {
                return false;
            }
            {
                const std::ptrdiff_t resume = m_stack[m_depth--];
                if (resume == kLazyMark) {
                    m_depth -= 2; // the lazy iteration it opened is abandoned
                    goto fail;
                }
                if (resume < 0 || static_cast<std::size_t>(resume) >= m_size) {
                    return false; // not a resume point: the program's stack discipline broke
                }
                ip = static_cast<std::size_t>(resume);
            }
            if ((m_traits[ip] & kLazyBodyEntry) &&
                !(Push(p) && Push(static_cast<std::ptrdiff_t>(ip)) && Push(kLazyMark))) {
                return false;
            }
        }
    next:
        // The terminator is tried as a start only when the subject is empty.
        if (s[start] == 0 || s[++start] == 0) {
            return false;
        }
    }
}

bool PatternMatcher::Match(const char16_t* subject, MatchContext* context) const {
    if (subject == nullptr || context == nullptr) {
        return false;
    }
    try {
        context->m_groups.assign(m_groupCount, MatchGroup{});
        context->m_slots.assign(static_cast<std::size_t>(m_slotCount), 0);
    } catch (const std::bad_alloc&) {
        context->m_groups.clear();
        context->m_slots.clear();
        return false;
    }
    if (m_lastError != ParseOk || m_program.empty()) {
        return false; // no usable program
    }
    return Run(*this, subject, *context).Execute();
}

} // namespace tessaly
