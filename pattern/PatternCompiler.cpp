// Emission of the compilation templates. Every construct appends at the end of the list; jumps
// forward are patched once their target is known. Slots are taken in emission order, so the
// second copy of "X+" takes new ones while its groups keep their numbers.
#include "pattern/PatternCompiler.h"

#include "pattern/ProgramLayout.h"

#include <new>

namespace tessaly::pattern_detail {
namespace {

struct TooLong {};

class Emitter {
public:
    Emitter(const SyntaxTree& tree, CompiledPattern& out) : m_tree(tree), m_out(out) {}

    void Program() {
        Emit(Instruction::Call, layout::Prologue::kPatternEntry);
        Emit(tree().anchored ? Instruction::Stop : Instruction::NextStart);
        std::vector<std::int32_t> memoPoints;
        if (tree().root >= 0 &&
            tree().nodes[static_cast<std::size_t>(tree().root)].type == SyntaxNode::Sequence) {
            bool varies = false;
            const std::vector<std::int32_t>& units =
                tree().nodes[static_cast<std::size_t>(tree().root)].units;
            for (std::size_t i = 0; i < units.size(); ++i) {
                if (varies) {
                    memoPoints.push_back(Here());
                }
                if (const std::int32_t head = LazyHead(units[i]); head >= 0) {
                    memoPoints.push_back(Here() + head);
                }
                const auto entry = static_cast<std::size_t>(Here());
                Node(units[i]);
                varies = Varies(units[i]);
                // The unit is "X*" or "X+" over one unit test: its only run-at-once loop. (A loop
                // inside a unit may stand in a negation, whose end goes back to where it began.)
                const SyntaxNode& node = m_tree.nodes[static_cast<std::size_t>(units[i])];
                const bool loop = node.type == SyntaxNode::Repeat && IsUnitTest(node.child);
                for (std::size_t at = entry; loop && at < m_out.program.size(); ++at) {
                    if (m_out.traits[at] & kSimpleGreedy) {
                        m_out.topLevelLoops.push_back(TopLevelLoop{at, i});
                        break;
                    }
                }
            }
        } else if (tree().root >= 0) {
            Node(tree().root);
        }
        Emit(Instruction::Accept);
        MarkMemoPoints(memoPoints);
    }

private:
    const SyntaxTree& tree() const { return m_tree; }

    // Whether a unit holds a loop, which can be left at many positions and re-entered by
    // backtracking: only then is what follows it likely to be reached at one position again.
    // (Optionals and choices give a few positions at most, not worth a memo point's cost.)
    bool Varies(std::int32_t index) const {
        if (index < 0) {
            return false;
        }
        const SyntaxNode& node = m_tree.nodes[static_cast<std::size_t>(index)];
        switch (node.type) {
        case SyntaxNode::Repeat:
            return node.quantifier != Quantifier::Optional && node.quantifier != Quantifier::LazyOptional
                       ? true
                       : Varies(node.child);
        case SyntaxNode::Group:
        case SyntaxNode::Paren:
        case SyntaxNode::Negation:
            return Varies(node.child);
        case SyntaxNode::Alternation:
        case SyntaxNode::Sequence:
            for (const std::int32_t unit : node.units) {
                if (Varies(unit)) {
                    return true;
                }
            }
            return false;
        default:
            return false;
        }
    }

    // Where, from a top-level unit's entry, the head of a lazy loop over one item stands when the
    // unit is that loop or a group that begins with it; -1 otherwise. Each extension of the loop
    // comes back to the head, so a start whose loop joins an earlier start's finds it remembered.
    // Leaving a run from there, only the group's end may be left behind, and the group's own
    // resume point, next below, restores it.
    std::int32_t LazyHead(std::int32_t index) const {
        const SyntaxNode& node = m_tree.nodes[static_cast<std::size_t>(index)];
        if (node.type == SyntaxNode::Repeat && node.quantifier == Quantifier::LazyStar) {
            return 0;
        }
        if (node.type != SyntaxNode::Group || node.child < 0) {
            return -1;
        }
        const SyntaxNode& content = m_tree.nodes[static_cast<std::size_t>(node.child)];
        const std::int32_t first = content.type == SyntaxNode::Sequence
                                       ? (content.units.empty() ? -1 : content.units.front())
                                       : node.child;
        if (first < 0) {
            return -1;
        }
        const SyntaxNode& loop = m_tree.nodes[static_cast<std::size_t>(first)];
        return loop.type == SyntaxNode::Repeat && loop.quantifier == Quantifier::LazyStar
                   ? layout::Group::kContent
                   : -1;
    }

    // A top-level unit's entry holds a memo point when nothing from there to the end reads what
    // came before it: no back-reference (reads groups set earlier) and no negation (its matched
    // item leaves group bounds that no failure restores). Whatever runs from there is then decided
    // by the position alone, and a failure leaves behind only the position it failed at.
    void MarkMemoPoints(const std::vector<std::int32_t>& points) {
        std::size_t clean = m_out.program.size();
        while (clean > 0 && m_out.program[clean - 1].kind != Instruction::BackRef &&
               m_out.program[clean - 1].kind != Instruction::SaveDepth) {
            --clean;
        }
        for (const std::int32_t point : points) {
            if (static_cast<std::size_t>(point) >= clean) {
                m_out.traits[static_cast<std::size_t>(point)] |= kMemoPoint;
            }
        }
    }

    std::int32_t Here() const { return static_cast<std::int32_t>(m_out.program.size()); }

    std::int32_t Emit(Instruction::Kind kind, std::int32_t operand = 0) {
        if (m_out.program.size() >= kMaxProgramSize) {
            throw TooLong{};
        }
        m_out.program.push_back(Instruction{kind, operand});
        m_out.traits.push_back(0);
        return Here() - 1;
    }

    void Patch(std::int32_t at, std::int32_t target) {
        m_out.program[static_cast<std::size_t>(at)].operand = target;
    }

    std::int32_t NewSlot() { return m_out.slotCount++; }

    // The content of "{...}" or "(...)": a single Nop when it is empty.
    void Content(std::int32_t node) {
        if (node < 0) {
            Emit(Instruction::Nop);
        } else {
            Node(node);
        }
    }

    void Node(std::int32_t index) {
        const SyntaxNode& node = m_tree.nodes[static_cast<std::size_t>(index)];
        switch (node.type) {
        case SyntaxNode::Literal:
            Emit(Instruction::Char, node.value);
            break;
        case SyntaxNode::AnyUnit:
            Emit(Instruction::AnyChar);
            break;
        case SyntaxNode::BackRef: {
            const std::int32_t at = Emit(Instruction::BackRef, node.value);
            if (node.selfReference) {
                m_out.traits[static_cast<std::size_t>(at)] |= kSelfBackRef;
            }
            break;
        }
        case SyntaxNode::Set: {
            const std::int32_t entry = Emit(node.negated ? Instruction::NotInSet : Instruction::InSet);
            for (const auto& [low, high] : node.ranges) {
                Emit(Instruction::Nop, low);
                Emit(Instruction::Nop, high);
            }
            Patch(entry, Here());
            break;
        }
        case SyntaxNode::Group: {
            const std::int32_t entry = Emit(Instruction::SaveGroup, node.value);
            Emit(Instruction::GroupStart, node.value);
            Emit(Instruction::Call, entry + layout::Group::kContent);
            Emit(Instruction::RestoreGroup, node.value);
            Emit(Instruction::Backtrack);
            Content(node.child);
            Emit(Instruction::GroupEnd, node.value);
            break;
        }
        case SyntaxNode::Paren: {
            const std::int32_t entry = Emit(Instruction::Call);
            Patch(entry, entry + layout::Paren::kContent);
            Emit(Instruction::Backtrack);
            Content(node.child);
            break;
        }
        case SyntaxNode::Negation:
            Negation(node);
            break;
        case SyntaxNode::Alternation:
            Alternation(node);
            break;
        case SyntaxNode::Repeat:
            Repeat(node);
            break;
        case SyntaxNode::Sequence:
            for (const std::int32_t unit : node.units) {
                Node(unit);
            }
            break;
        }
    }

    void Negation(const SyntaxNode& node) {
        const std::int32_t pos = NewSlot();
        const std::int32_t depth = NewSlot();
        const std::int32_t entry = Emit(Instruction::SavePos, pos);
        Emit(Instruction::SaveDepth, depth);
        Emit(Instruction::Call, entry + layout::Negation::kItem);
        Emit(Instruction::LoadPos, pos);
        Emit(Instruction::LoadDepth, depth);
        const std::int32_t leave = Emit(Instruction::Jump);
        if (node.child >= 0) {
            Node(node.child);
        }
        Emit(Instruction::LoadPos, pos);
        Emit(Instruction::LoadDepth, depth);
        Emit(Instruction::Backtrack);
        Patch(leave, Here());
    }

    // "a|b|c" is "a|(b|c)": every alternative but the last gets the four-instruction head and a
    // Jump to the common end.
    void Alternation(const SyntaxNode& node) {
        std::vector<std::int32_t> exits;
        const std::size_t count = node.units.size();
        for (std::size_t i = 0; i < count; ++i) {
            const bool last = i + 1 == count && !node.lastIsNothing;
            if (last) {
                Node(node.units[i]);
                break;
            }
            const std::int32_t entry = Emit(Instruction::PushPos);
            Emit(Instruction::Call, entry + layout::Alternative::kItem);
            Emit(Instruction::PopPos);
            const std::int32_t toRight = Emit(Instruction::Jump);
            Node(node.units[i]);
            exits.push_back(Emit(Instruction::Jump));
            Patch(toRight, Here());
        }
        for (const std::int32_t exit : exits) {
            Patch(exit, Here());
        }
    }

    void Repeat(const SyntaxNode& node) {
        switch (node.quantifier) {
        case Quantifier::Star:
            GreedyLoop(node.child, true);
            break;
        case Quantifier::Optional:
            GreedyLoop(node.child, false);
            break;
        case Quantifier::Plus:
            Node(node.child);
            GreedyLoop(node.child, true);
            break;
        case Quantifier::LazyStar:
            LazyLoop(node.child);
            break;
        case Quantifier::LazyPlus:
            Node(node.child);
            LazyLoop(node.child);
            break;
        case Quantifier::LazyOptional: {
            const std::int32_t entry = Emit(Instruction::Call);
            Node(node.child);
            Patch(entry, Here());
            break;
        }
        }
    }

    // One instruction that consumes exactly one unit or fails: a literal (not the end anchor), "."
    // or a set.
    bool IsUnitTest(std::int32_t item) const {
        const SyntaxNode& node = m_tree.nodes[static_cast<std::size_t>(item)];
        return (node.type == SyntaxNode::Literal && node.value != 0) || node.type == SyntaxNode::AnyUnit ||
               node.type == SyntaxNode::Set;
    }

    void GreedyLoop(std::int32_t item, bool repeat) {
        const std::int32_t slot = NewSlot();
        const std::int32_t head = Emit(Instruction::PushSlot, slot);
        if (IsUnitTest(item)) {
            m_out.traits[static_cast<std::size_t>(head)] |= repeat ? kSimpleGreedy : kSimpleOptional;
        }
        Emit(Instruction::SavePos, slot);
        Emit(Instruction::PushPos);
        Emit(Instruction::Call, head + layout::Greedy::kBody);
        Emit(Instruction::PopPos);
        Emit(Instruction::PopSlot, slot);
        const std::int32_t leave = Emit(Instruction::Jump);
        Node(item);
        Emit(Instruction::FailIfNoProgress, slot);
        Emit(Instruction::SavePos, slot);
        if (repeat) {
            Emit(Instruction::Jump, head);
        }
        Patch(leave, Here());
    }

    void LazyLoop(std::int32_t item) {
        const std::int32_t head = Emit(Instruction::Call);
        if (IsUnitTest(item)) {
            m_out.traits[static_cast<std::size_t>(head)] |= kSimpleLazy;
        }
        Node(item);
        const std::int32_t back = Emit(Instruction::Jump, head);
        Patch(head, Here());
        if (m_tree.nodes[static_cast<std::size_t>(item)].nullable) {
            m_out.traits[static_cast<std::size_t>(head + layout::Lazy::kBody)] |= kLazyBodyEntry;
            m_out.traits[static_cast<std::size_t>(back)] |= kLazyBackEdge;
        }
    }

    const SyntaxTree& m_tree;
    CompiledPattern& m_out;
};

} // namespace

ParseError CompileTree(const SyntaxTree& tree, CompiledPattern& out) {
    try {
        Emitter(tree, out).Program();
        return ParseOk;
    } catch (const TooLong&) {
        return ParseOutOfMemory;
    } catch (const std::bad_alloc&) {
        return ParseOutOfMemory;
    }
}

} // namespace tessaly::pattern_detail
