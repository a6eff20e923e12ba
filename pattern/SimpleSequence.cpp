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
        if (m_next != m_tests.size() || m_choices > SimpleSequence::kMaxChoices) {
            return false;
        }
        std::vector<Piece>& pieces = m_out.pieces;
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            Piece& piece = pieces[k];
            if (piece.kind == Piece::Loop) {
                piece.follow = FirstTestAfter(k);
                piece.followUnit = piece.follow == Piece::kNoTest ? 0 : OnlyUnit(m_program, piece.follow);
            }
            if (piece.kind == Piece::Run && piece.length == 1) {
                piece.kind = Piece::Unit; // its test is the literal's or the "."'s own
            }
            if (piece.kind == Piece::Unit || piece.kind == Piece::OptionalUnit || piece.kind == Piece::Loop) {
                Describe(piece);
            }
        }
        Add(Piece::Accept);
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
        if (m_entries != 0) {
            if (kind == Piece::OptionalUnit || kind == Piece::Loop || kind == Piece::GroupOpen ||
                kind == Piece::GroupStart) {
                piece.entries = m_entries;
            } else {
                Piece enter;
                enter.kind = Piece::Enter;
                enter.entries = m_entries;
                m_out.pieces.push_back(enter);
            }
            m_entries = 0;
        }
        m_out.pieces.push_back(piece);
        return m_out.pieces.back();
    }

    // Entries pushed here: a piece after which nothing can fail before this point takes them on.
    void Entries(std::uint32_t n) {
        Piece* last = m_run || m_entries != 0 || m_out.pieces.empty() ? nullptr : &m_out.pieces.back();
        if (last != nullptr && (last->kind == Piece::GroupStart || last->kind == Piece::Enter)) {
            last->entries += n;
        } else if (last != nullptr && last->kind == Piece::GroupOpen) {
            last->inner += n;
        } else {
            m_entries += n;
        }
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
            Entries(1); // its Call
            return node.child < 0 || Item(node.child, inOptional);
        case SyntaxNode::Group: {
            Entries(3); // SaveGroup's two and the Call
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
        const std::uint32_t ordinal = m_optionals++;
        Add(Piece::GroupOpen).at = ordinal;
        if (!Item(item, true)) {
            return false;
        }
        Add(Piece::GroupClose).at = ordinal;
        // The groups inside are numbered in a block: from the lowest to past the highest.
        std::uint32_t from = m_tree.groupCount;
        std::uint32_t to = 0;
        for (std::size_t k = open + 1; k < m_out.pieces.size(); ++k) {
            if (m_out.pieces[k].kind == Piece::GroupStart) {
                from = std::min(from, m_out.pieces[k].at);
                to = std::max(to, m_out.pieces[k].at + 1);
            }
        }
        Piece& entry = m_out.pieces[open];
        entry.length = static_cast<std::uint32_t>(m_out.pieces.size() - 1);
        entry.groupsFrom = to == 0 ? 0 : from;
        entry.groupsTo = to;
        return true;
    }

    void Describe(Piece& piece) const {
        const Instruction& in = m_program[piece.test];
        if (in.kind == Instruction::Char) {
            piece.how = Piece::OneUnit;
            piece.unit = static_cast<char16_t>(in.operand);
        } else if (in.kind == Instruction::AnyChar) {
            piece.how = Piece::AnyUnit;
        } else {
            piece.how = Piece::SetOfUnits;
            for (char16_t u = 1; u < 128; ++u) {
                if (UnitPasses(m_program, piece.test, u)) {
                    piece.ascii[u >> 6] |= std::uint64_t{1} << (u & 63);
                }
            }
        }
    }

    // The unit test the pieces after k begin with, where every way on tests it first; kNoTest
    // otherwise. Group bounds and entries before it test nothing; the entries cannot end the match
    // where a give-back seeks, as the depth there is below the one the loop's own end had.
    std::uint32_t FirstTestAfter(std::size_t k) const {
        const std::vector<Piece>& pieces = m_out.pieces;
        std::size_t next = k + 1;
        while (next < pieces.size() &&
               (pieces[next].kind == Piece::GroupStart || pieces[next].kind == Piece::GroupEnd ||
                pieces[next].kind == Piece::Enter)) {
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
    std::uint32_t m_entries = 0;        // pushed since the last piece, for the next one (Entries)
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

namespace {

// Whether the Unit or OptionalUnit takes the unit.
inline bool Takes(const Piece& piece, char16_t unit, const Instruction* program) {
    switch (piece.how) {
    case Piece::OneUnit:
        return unit == piece.unit;
    case Piece::AnyUnit:
        return unit != 0;
    case Piece::SetOfUnits:
        break;
    }
    return unit < 128 ? ((piece.ascii[unit >> 6] >> (unit & 63)) & 1) != 0
                      : pattern_detail::UnitPasses(program, piece.test, unit);
}

} // namespace

// One attempt at `start`, led by the pieces, with the choices on a small array: a choice is taken
// again by restoring its position and depth (and for an optional group, leaving its groups absent).
// A step is a backward move or a unit a loop or a give-back reads, as the interpreter counts them;
// comparing a run counts none, as there.
PatternMatcher::Run::Halt PatternMatcher::Run::AttemptPieces(std::ptrdiff_t start) {
    struct Choice {
        const Piece* piece;
        std::ptrdiff_t p;     // where it was taken; for a loop, where it stands now
        std::size_t vdepth;   // the plain depth before it
        std::ptrdiff_t first; // a loop's position after its required iterations
    };
    Choice choices[SimpleSequence::kMaxChoices];
    // Where each optional group was entered, then where its content last ended (its progress check).
    std::ptrdiff_t entered[SimpleSequence::kMaxChoices];
    const char16_t* const s = m_s;
    const Piece* const pieces = m_pieces->pieces.data();
    const char16_t* const units = m_pieces->units.data();
    const Piece* piece = pieces;
    Choice* top = choices;  // above the latest choice
    std::size_t vdepth = 1; // the prologue's Call
    std::ptrdiff_t p = start;
    bool passed = true;
    m_context.m_match.start = start;
    if (m_leadingRun && m_leadingChars > 0 && piece->kind == Piece::Run) {
        // The leading run was found here, and the first piece begins with its Chars.
        const std::size_t known = std::min<std::size_t>(m_leadingChars, piece->length);
        const std::size_t rest = piece->length - known;
        p += static_cast<std::ptrdiff_t>(known);
        const std::size_t taken =
            rest == 0 ? 0 : pattern_detail::UnitsTaken(s + p, Readable(p), units + piece->at + known, rest);
        passed = taken == rest;
        p += static_cast<std::ptrdiff_t>(taken);
        ++piece;
    }
    for (;;) {
        while (passed) {
            switch (piece->kind) {
            case Piece::Run: {
                const std::size_t taken =
                    pattern_detail::UnitsTaken(s + p, Readable(p), units + piece->at, piece->length);
                passed = taken == piece->length;
                p += static_cast<std::ptrdiff_t>(taken);
                break;
            }
            case Piece::Unit:
                passed = Takes(*piece, s[p], m_program);
                p += passed ? 1 : 0;
                break;
            case Piece::OptionalUnit:
                vdepth += piece->entries;
                if (vdepth + 3 >= kMaxStackEntries) {
                    return Halt::Abort;
                }
                if (Takes(*piece, s[p], m_program)) {
                    *top++ = Choice{piece, p, vdepth, 0};
                    vdepth += 3;
                    ++p;
                } else if (!AddSteps(1)) {
                    return Halt::Abort;
                }
                break;
            case Piece::Loop: {
                vdepth += piece->entries;
                const std::ptrdiff_t n = CountUnits(piece->test, p);
                passed = n >= piece->minimum;
                if (!passed) {
                    break;
                }
                const auto iterations = static_cast<std::size_t>(n - piece->minimum);
                // Counting the units of "." takes no reading.
                const std::uint64_t work = piece->how == Piece::AnyUnit ? 1 : iterations + 1;
                if (vdepth + 3 * iterations + 3 >= kMaxStackEntries || !AddSteps(work)) {
                    return Halt::Abort;
                }
                const std::ptrdiff_t first = p + piece->minimum;
                p += n;
                if (iterations > 0) {
                    *top++ = Choice{piece, p, vdepth, first};
                    vdepth += 3 * iterations;
                }
                break;
            }
            case Piece::GroupOpen:
                vdepth += piece->entries;
                if (vdepth + 3 + piece->inner >= kMaxStackEntries) {
                    return Halt::Abort;
                }
                *top++ = Choice{piece, p, vdepth, 0};
                entered[piece->at] = p;
                vdepth += 3 + piece->inner;
                break;
            case Piece::GroupClose:
                // The plain progress check, against where the group was entered or, once its content
                // was backtracked into, where it last ended: the slot is saved again, not restored.
                passed = p != entered[piece->at];
                entered[piece->at] = p;
                break;
            case Piece::GroupStart:
                vdepth += piece->entries;
                if (vdepth >= kMaxStackEntries) {
                    return Halt::Abort;
                }
                m_groups[piece->at].start = p;
                break;
            case Piece::GroupEnd:
                m_groups[piece->at].end = p;
                break;
            case Piece::Enter:
                vdepth += piece->entries;
                if (vdepth >= kMaxStackEntries) {
                    return Halt::Abort;
                }
                break;
            case Piece::Accept:
                m_context.m_match.end = p;
                return Halt::Accept;
            default:
                __builtin_unreachable();
            }
            piece += passed ? 1 : 0;
        }
        // Back to the latest choice.
        for (;;) {
            if (!AddSteps(1)) {
                return Halt::Abort;
            }
            if (top == choices) {
                return m_pieces->anchored ? Halt::Stop : Halt::NextStart;
            }
            Choice& choice = top[-1];
            const Piece* const from = choice.piece;
            if (from->kind == Piece::Loop) {
                // Give back down to the last place where what follows can begin.
                const std::ptrdiff_t latest = choice.p - 1;
                std::uint64_t read = 0;
                std::ptrdiff_t q = latest;
                if (from->followUnit != 0 && m_vector) {
                    q = pattern_detail::FindLastUnit(s, choice.first, latest, from->followUnit);
                    read = static_cast<std::uint64_t>(latest - q);
                } else if (from->follow != Piece::kNoTest) {
                    q = LastPassing(from->follow, choice.first, latest, read);
                }
                if (!AddSteps(read)) {
                    return Halt::Abort;
                }
                if (q < choice.first) {
                    --top;
                    continue;
                }
                p = q;
                vdepth = choice.vdepth + 3 * static_cast<std::size_t>(q - choice.first);
                piece = from + 1;
                if (q == choice.first) {
                    --top;
                } else {
                    choice.p = q;
                }
                break;
            }
            p = choice.p;
            vdepth = choice.vdepth;
            --top;
            if (from->kind == Piece::GroupOpen) {
                for (std::uint32_t n = from->groupsFrom; n < from->groupsTo; ++n) {
                    m_groups[n] = MatchGroup{};
                }
                piece = pieces + from->length + 1;
            } else {
                piece = from + 1;
            }
            break;
        }
        passed = true;
    }
}

} // namespace tessaly
