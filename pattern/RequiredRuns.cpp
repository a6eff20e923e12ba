// Required literal runs. Sound because the interpreter never moves the position of an attempt
// below where a mandatory item consumed, except by backtracking to a point before that item:
// PopPos and LoadPos only restore positions saved later in the same attempt, every other
// instruction moves forward. So the last pass through the mandatory items of a successful
// attempt consumes each run contiguously, in order, at or after the attempt's start.
#include "pattern/RequiredRuns.h"

#include "pattern/UnitScan.h"

#include <algorithm>

namespace tessaly::pattern_detail {

namespace {

// Within an address a run is found sooner unit by unit than by setting up a vector scan.
constexpr std::size_t kByUnit = 64;

std::size_t FindRunByUnit(std::u16string_view text, std::u16string_view run, std::size_t from) {
    const std::size_t k = run.size();
    if (text.size() < k) {
        return std::u16string_view::npos;
    }
    const char16_t* const s = text.data();
    const char16_t* const r = run.data();
    for (const std::size_t last = text.size() - k; from <= last; ++from) {
        if (s[from] != r[0]) {
            continue;
        }
        std::size_t same = 1;
        while (same < k && s[from + same] == r[same]) {
            ++same;
        }
        if (same == k) {
            return from;
        }
    }
    return std::u16string_view::npos;
}

class RunCollector {
public:
    explicit RunCollector(const SyntaxTree& tree) : m_tree(tree) {}

    RunSet Collect() {
        if (m_tree.root >= 0 &&
            m_tree.nodes[static_cast<std::size_t>(m_tree.root)].type == SyntaxNode::Sequence) {
            for (const std::int32_t unit : m_tree.nodes[static_cast<std::size_t>(m_tree.root)].units) {
                Mandatory(unit);
                // A run still open began in this unit or before.
                m_out.after.push_back(m_out.runs.size() + (m_current.empty() ? 0 : 1));
            }
        } else if (m_tree.root >= 0) {
            Mandatory(m_tree.root);
        }
        Break();
        for (std::size_t& first : m_out.after) {
            first = std::min(first, m_out.runs.size());
        }
        return std::move(m_out);
    }

private:
    // A construct every match passes through exactly once.
    void Mandatory(std::int32_t index) {
        if (index < 0) {
            Break();
            return;
        }
        const SyntaxNode& node = m_tree.nodes[static_cast<std::size_t>(index)];
        switch (node.type) {
        case SyntaxNode::Literal:
            if (node.value == 0) {
                Break(); // the end anchor matches the terminator, which no search finds
            } else {
                Add(static_cast<char16_t>(node.value));
            }
            return;
        case SyntaxNode::Set:
            if (!node.negated && node.ranges.size() == 1 && node.ranges[0].first == node.ranges[0].second) {
                Add(node.ranges[0].first);
            } else {
                Break();
            }
            return;
        case SyntaxNode::Group:
        case SyntaxNode::Paren:
            // Empty content compiles to a Nop: nothing consumed, the run goes on.
            if (node.child >= 0) {
                Mandatory(node.child);
            }
            return;
        case SyntaxNode::Sequence:
            for (const std::int32_t unit : node.units) {
                Mandatory(unit);
            }
            return;
        case SyntaxNode::Repeat:
            // The first copy of "X+" and "X+?" runs once, straight on from what precedes it.
            if (node.quantifier == Quantifier::Plus || node.quantifier == Quantifier::LazyPlus) {
                Mandatory(node.child);
            }
            Break();
            return;
        case SyntaxNode::AnyUnit:
        case SyntaxNode::BackRef:
        case SyntaxNode::Negation:
        case SyntaxNode::Alternation:
            Break();
            return;
        }
    }

    void Add(char16_t unit) {
        if (m_out.runs.empty() && m_current.empty() && !m_broken) {
            m_out.firstLeads = true; // nothing before it reads or skips a unit
        }
        m_current += unit;
    }

    void Break() {
        m_broken = true;
        if (!m_current.empty()) {
            m_out.runs.push_back(std::move(m_current));
            m_current.clear();
        }
    }

    const SyntaxTree& m_tree;
    RunSet m_out;
    std::u16string m_current;
    bool m_broken = false; // something that is no literal came
};

} // namespace

RunSet RequiredRuns(const SyntaxTree& tree) {
    return RunCollector(tree).Collect();
}

std::ptrdiff_t EarliestPlacement(std::span<const std::u16string> runs, std::u16string_view subject,
                                 std::size_t from, bool vector) {
    std::size_t first = std::u16string_view::npos;
    std::size_t at = from;
    for (const std::u16string& run : runs) {
        at = !vector                         ? subject.find(run, at)
             : subject.size() - at < kByUnit ? FindRunByUnit(subject, run, at)
                                             : FindRun(subject, run, at);
        if (at == std::u16string_view::npos) {
            return -1;
        }
        first = std::min(first, at);
        at += run.size();
    }
    return static_cast<std::ptrdiff_t>(first);
}

std::ptrdiff_t LatestStart(std::span<const std::u16string> runs, std::u16string_view subject, bool vector) {
    std::size_t end = subject.size();
    for (auto run = runs.rbegin(); run != runs.rend() && end != std::u16string_view::npos; ++run) {
        end = vector ? FindLastRun(subject.substr(0, end), *run) : subject.substr(0, end).rfind(*run);
    }
    return end == std::u16string_view::npos ? -1 : static_cast<std::ptrdiff_t>(end);
}

} // namespace tessaly::pattern_detail
