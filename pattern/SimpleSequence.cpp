// Recognising a pattern that is a plain sequence of simple pieces, and running it: the choices are
// tried in the plain interpreter's order (leftmost start, a present unit or group before its
// absence, a loop's most iterations first), so the match, its groups and where it ends are the
// same, and the plain interpreter's depth is kept beside them so its stack cap ends the same matches.
#include "pattern/SimpleSequence.h"

#include "pattern/MatchRun.h"
#include "pattern/PatternSyntax.h"

namespace tessaly {

namespace pattern_detail {
namespace {

class SequenceReader {
public:
    SequenceReader(const SyntaxTree& tree, const Instruction* program, std::size_t size, SimpleSequence& out)
        : m_tree(tree), m_program(program), m_out(out) {
        for (std::size_t i = 0; i < size; ++i) {
            if (IsUnitTest(program[i].kind)) {
                m_tests.push_back(static_cast<std::uint32_t>(i));
            }
        }
    }

    bool Read() {
        if (m_tree.root >= 0 && !Item(m_tree.root, false)) {
            return false;
        }
        m_run = false;
        // A parenthesis entry at the very end pushes after every piece: none of them stands for it.
        if (m_entries != 0 || m_next != m_tests.size() || m_choices > SimpleSequence::kMaxChoices) {
            return false;
        }
        std::vector<Piece>& pieces = m_out.pieces;
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            if (pieces[k].kind == Piece::Loop) {
                pieces[k].follow = FirstTestAfter(k);
            }
        }
        m_out.units.append(8, u'\0');
        m_out.anchored = m_tree.anchored;
        return true;
    }

private:
    const SyntaxNode& Node(std::int32_t index) const { return m_tree.nodes[static_cast<std::size_t>(index)]; }

    bool IsUnitItem(std::int32_t index) const {
        const SyntaxNode& node = Node(index);
        return (node.type == SyntaxNode::Literal && node.value != 0) || node.type == SyntaxNode::AnyUnit ||
               node.type == SyntaxNode::Set;
    }

    // The next unit test of the program, which the node compiled to; kNoTest when it did not.
    std::uint32_t Take(std::int32_t index) {
        if (m_next >= m_tests.size()) {
            return Piece::kNoTest;
        }
        const std::uint32_t at = m_tests[m_next++];
        const Instruction& in = m_program[at];
        const SyntaxNode& node = Node(index);
        const bool same = node.type == SyntaxNode::Literal
                              ? in.kind == Instruction::Char && in.operand == node.value
                          : node.type == SyntaxNode::AnyUnit
                              ? in.kind == Instruction::AnyChar
                              : in.kind == (node.negated ? Instruction::NotInSet : Instruction::InSet);
        return same ? at : Piece::kNoTest;
    }

    Piece& Add(Piece::Kind kind) {
        m_run = false;
        Piece piece;
        piece.kind = kind;
        piece.entries = m_entries;
        m_entries = 0;
        m_out.pieces.push_back(piece);
        return m_out.pieces.back();
    }

    bool AddTest(Piece::Kind kind, std::int32_t index) {
        const std::uint32_t test = Take(index);
        Add(kind).test = test;
        return test != Piece::kNoTest;
    }

    // A literal or "." joins the run before it, unless a parenthesis entry stands between.
    bool AddUnit(std::int32_t index, char16_t unit) {
        const std::uint32_t test = Take(index);
        if (!m_run || m_entries != 0) {
            Piece& run = Add(Piece::Run);
            run.test = test;
            run.at = static_cast<std::uint32_t>(m_out.units.size());
            m_run = true;
        }
        m_out.units.push_back(unit);
        ++m_out.pieces.back().length;
        return test != Piece::kNoTest;
    }

    bool Item(std::int32_t index, bool inOptional) {
        const SyntaxNode& node = Node(index);
        switch (node.type) {
        case SyntaxNode::Literal:
            // "$" takes the terminator: a unit test of its own, never part of a run.
            return node.value == 0 ? AddTest(Piece::Unit, index)
                                   : AddUnit(index, static_cast<char16_t>(node.value));
        case SyntaxNode::AnyUnit:
            return AddUnit(index, 0);
        case SyntaxNode::Set:
            return AddTest(Piece::Unit, index);
        case SyntaxNode::Sequence:
            for (const std::int32_t unit : node.units) {
                if (!Item(unit, inOptional)) {
                    return false;
                }
            }
            return true;
        case SyntaxNode::Paren:
            m_entries += 1; // its Call
            return node.child < 0 || Item(node.child, inOptional);
        case SyntaxNode::Group: {
            m_entries += 3; // SaveGroup's two and the Call
            Add(Piece::GroupStart).at = static_cast<std::uint32_t>(node.value);
            if (node.child >= 0 && !Item(node.child, inOptional)) {
                return false;
            }
            Add(Piece::GroupEnd).at = static_cast<std::uint32_t>(node.value);
            return true;
        }
        case SyntaxNode::Repeat:
            return Repeat(node, inOptional);
        default:
            return false; // alternation, negation, back-reference
        }
    }

    bool Repeat(const SyntaxNode& node, bool inOptional) {
        const std::int32_t item = node.child;
        switch (node.quantifier) {
        case Quantifier::Optional:
            if (IsUnitItem(item)) {
                ++m_choices;
                return AddTest(Piece::OptionalUnit, item);
            }
            return OptionalGroup(item);
        case Quantifier::Star:
        case Quantifier::Plus: {
            if (inOptional || !IsUnitItem(item)) {
                return false; // a loop inside a choice, or over more than one unit
            }
            ++m_choices;
            const bool plus = node.quantifier == Quantifier::Plus;
            // "X+" is X and then "X*": both copies test alike.
            const std::uint32_t first = plus ? Take(item) : 0;
            Piece& loop = Add(Piece::Loop);
            loop.minimum = plus ? 1 : 0;
            loop.test = Take(item);
            return first != Piece::kNoTest && loop.test != Piece::kNoTest;
        }
        default:
            return false; // lazy
        }
    }

    bool OptionalGroup(std::int32_t item) {
        ++m_choices;
        const std::size_t open = m_out.pieces.size();
        Add(Piece::GroupOpen).at = m_optionals;
        const std::uint32_t groupsFrom = m_tree.groupCount;
        std::uint32_t groupsTo = 0;
        if (!Item(item, true)) {
            return false;
        }
        Piece& close = Add(Piece::GroupClose);
        close.at = m_optionals++;
        std::uint32_t from = groupsFrom;
        for (std::size_t k = open + 1; k < m_out.pieces.size(); ++k) {
            if (m_out.pieces[k].kind == Piece::GroupStart) {
                from = std::min(from, m_out.pieces[k].at);
                groupsTo = std::max(groupsTo, m_out.pieces[k].at + 1);
            }
        }
        Piece& entry = m_out.pieces[open];
        entry.length = static_cast<std::uint32_t>(m_out.pieces.size() - 1);
        entry.groupsFrom = groupsTo == 0 ? 0 : from;
        entry.groupsTo = groupsTo;
        return true;
    }

    // The unit test the pieces after k begin with (through group starts), where it is a literal or a
    // set that every way on tests first; kNoTest otherwise.
    std::uint32_t FirstTestAfter(std::size_t k) const {
        const std::vector<Piece>& pieces = m_out.pieces;
        std::size_t next = k + 1;
        while (next < pieces.size() && pieces[next].kind == Piece::GroupStart) {
            ++next;
        }
        if (next == pieces.size()) {
            return Piece::kNoTest;
        }
        const Piece& piece = pieces[next];
        const bool first = piece.kind == Piece::Unit || (piece.kind == Piece::Loop && piece.minimum > 0) ||
                           (piece.kind == Piece::Run && m_out.units[piece.at] != 0);
        return first ? piece.test : Piece::kNoTest;
    }

    const SyntaxTree& m_tree;
    const Instruction* m_program;
    SimpleSequence& m_out;
    std::vector<std::uint32_t> m_tests; // the program's unit tests in order
    std::size_t m_next = 0;             // the next of them a node takes
    std::uint32_t m_entries = 0;        // pushed since the last piece, for the next one
    std::uint32_t m_optionals = 0;
    std::size_t m_choices = 0;
    bool m_run = false; // the last piece is a Run that may grow
};

} // namespace

void ReadSimpleSequence(const SyntaxTree& tree, const Instruction* program, std::size_t size,
                        SimpleSequence& out) {
    out.Clear();
    out.usable = SequenceReader(tree, program, size, out).Read();
    if (!out.usable) {
        out.Clear();
    }
}

} // namespace pattern_detail

using pattern_detail::Piece;
using pattern_detail::SimpleSequence;

// One attempt at `start`. A step is a backward move or a unit a loop or a give-back reads, as the
// interpreter counts them; comparing a run counts none, as there.
PatternMatcher::Run::Halt PatternMatcher::Run::AttemptPieces(std::ptrdiff_t start) {
    struct Choice {
        std::size_t piece;
        std::ptrdiff_t p;     // where it was taken; for a loop, where it stands now
        std::size_t vdepth;   // the plain depth before it
        std::ptrdiff_t first; // a loop's position after its required iterations
    };
    Choice choices[SimpleSequence::kMaxChoices];
    std::ptrdiff_t entered[SimpleSequence::kMaxChoices]; // where each optional group was entered
    const Piece* const pieces = m_pieces->pieces.data();
    const std::size_t count = m_pieces->pieces.size();
    const char16_t* const units = m_pieces->units.data();
    std::size_t depth = 0;
    std::size_t vdepth = 1; // the prologue's Call
    std::ptrdiff_t p = start;
    std::size_t k = 0;
    bool passed = true;
    m_context.m_match.start = start;
    if (m_leadingRun && m_leadingChars > 0 && pieces[0].kind == Piece::Run) {
        // The leading run was found here, and the first piece begins with its Chars.
        const Piece& run = pieces[0];
        const std::size_t known = std::min<std::size_t>(m_leadingChars, run.length);
        const std::size_t rest = run.length - known;
        p += static_cast<std::ptrdiff_t>(known);
        const std::size_t taken =
            rest == 0 ? 0 : pattern_detail::UnitsTaken(m_s + p, Readable(p), units + run.at + known, rest);
        passed = taken == rest;
        p += static_cast<std::ptrdiff_t>(taken);
        k = 1;
    }
    for (;;) {
        while (passed) {
            if (k == count) {
                m_context.m_match.end = p;
                return Halt::Accept;
            }
            const Piece& piece = pieces[k];
            vdepth += piece.entries;
            if (vdepth >= kMaxStackEntries) {
                return Halt::Abort;
            }
            switch (piece.kind) {
            case Piece::Run: {
                const std::size_t taken =
                    pattern_detail::UnitsTaken(m_s + p, Readable(p), units + piece.at, piece.length);
                passed = taken == piece.length;
                p += static_cast<std::ptrdiff_t>(taken);
                break;
            }
            case Piece::Unit:
                passed = UnitPasses(piece.test, p);
                p += passed ? 1 : 0;
                break;
            case Piece::OptionalUnit:
                if (vdepth + 3 >= kMaxStackEntries) {
                    return Halt::Abort;
                }
                if (UnitPasses(piece.test, p)) {
                    choices[depth++] = Choice{k, p, vdepth, 0};
                    vdepth += 3;
                    ++p;
                } else if (!AddSteps(1)) {
                    return Halt::Abort;
                }
                break;
            case Piece::Loop: {
                const std::ptrdiff_t n = CountUnits(piece.test, p);
                passed = n >= piece.minimum;
                if (!passed) {
                    break;
                }
                const auto iterations = static_cast<std::size_t>(n - piece.minimum);
                // Counting the units of "." takes no reading.
                const std::uint64_t work =
                    m_program[piece.test].kind == Instruction::AnyChar ? 1 : iterations + 1;
                if (vdepth + 3 * iterations + 3 >= kMaxStackEntries || !AddSteps(work)) {
                    return Halt::Abort;
                }
                const std::ptrdiff_t first = p + piece.minimum;
                p += n;
                if (iterations > 0) {
                    choices[depth++] = Choice{k, p, vdepth, first};
                    vdepth += 3 * iterations;
                }
                break;
            }
            case Piece::GroupOpen:
                if (vdepth + 3 >= kMaxStackEntries) {
                    return Halt::Abort;
                }
                choices[depth++] = Choice{k, p, vdepth, 0};
                entered[piece.at] = p;
                vdepth += 3;
                break;
            case Piece::GroupClose:
                passed = p != entered[piece.at]; // the plain progress check
                break;
            case Piece::GroupStart:
                m_groups[piece.at].start = p;
                break;
            case Piece::GroupEnd:
                m_groups[piece.at].end = p;
                break;
            }
            k += passed ? 1 : 0;
        }
        // Back to the latest choice.
        for (;;) {
            if (!AddSteps(1)) {
                return Halt::Abort;
            }
            if (depth == 0) {
                return m_pieces->anchored ? Halt::Stop : Halt::NextStart;
            }
            Choice& choice = choices[depth - 1];
            const Piece& from = pieces[choice.piece];
            if (from.kind == Piece::Loop) {
                // Give back down to the last place where what follows can begin.
                std::uint64_t read = 0;
                const std::ptrdiff_t q = from.follow == Piece::kNoTest
                                             ? choice.p - 1
                                             : LastPassing(from.follow, choice.first, choice.p - 1, read);
                if (!AddSteps(read)) {
                    return Halt::Abort;
                }
                if (q < choice.first) {
                    --depth;
                    continue;
                }
                p = q;
                vdepth = choice.vdepth + 3 * static_cast<std::size_t>(q - choice.first);
                k = choice.piece + 1;
                if (q == choice.first) {
                    --depth;
                } else {
                    choice.p = q;
                }
                break;
            }
            p = choice.p;
            vdepth = choice.vdepth;
            --depth;
            if (from.kind == Piece::GroupOpen) {
                for (std::uint32_t n = from.groupsFrom; n < from.groupsTo; ++n) {
                    m_groups[n] = MatchGroup{};
                }
                k = from.length + 1;
            } else {
                k = choice.piece + 1;
            }
            break;
        }
        passed = true;
    }
}

} // namespace tessaly
