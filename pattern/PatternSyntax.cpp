// Reading a pattern into its syntax tree: recursive descent with one code unit of look-ahead.
// Only bracket nesting recurses (bounded by kMaxNesting); chains of "|" are read in a loop.
#include "pattern/PatternSyntax.h"

#include <algorithm>
#include <new>

namespace tessaly::pattern_detail {
namespace {

struct Failure {
    ParseError code;
};

struct Abbreviation {
    char16_t letter;
    const char16_t* expansion;
};

// Searched in this order by the letter after "\". The control characters of "n" stand in the
// text themselves.
constexpr Abbreviation kAbbreviations[] = {
    {u'a', u"([a-zA-Z0-9])"},
    {u'b', u"([ \\t])"},
    {u'c', u"([a-zA-Z])"},
    {u'd', u"([0-9])"},
    {u'h', u"([0-9a-fA-F])"},
    {u'n', u"(\r|(\r?\n))"},
    {u'q', u"(\"[^\"]*\")|('[^']*')"},
    {u'w', u"([a-zA-Z]+)"},
    {u'z', u"([0-9]+)"},
};

bool Apply(EmptyFlag flag, bool entry) {
    return flag == EmptyFlag::PassThrough ? entry : flag == EmptyFlag::Empty;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// What a sequence reports: the node (-1 when no unit compiled to anything) and its flag.
struct Content {
    std::int32_t node = -1;
    EmptyFlag flag = EmptyFlag::PassThrough;
    bool nullable = true;
};

// What a unit reports; nothing is set when "X|" had nothing on its right and so compiled to nothing.
struct Unit {
    std::int32_t node = -1;
    EmptyFlag flag = EmptyFlag::NotEmpty;
    bool nothing = false;
};

class Reader {
public:
    Reader(const char16_t* text, SyntaxTree& tree, std::vector<char>& openGroups, int depth, bool whole)
        : m_pos(text), m_tree(tree), m_open(openGroups), m_depth(depth), m_whole(whole) {}

    void SkipAnchor() {
        if (*m_pos == u'^') {
            m_tree.anchored = true;
            ++m_pos;
        }
    }

    Content ReadSequence() {
        Content content;
        std::vector<std::int32_t> units;
        bool read = false;
        bool laterEmpty = true; // every unit after the first, each starting with "empty"
        EmptyFlag first = EmptyFlag::PassThrough;
        bool nullable = true;
        while (!AtSequenceEnd()) {
            const Unit unit = ReadUnit();
            if (!read) {
                first = unit.flag;
            } else {
                laterEmpty = laterEmpty && Apply(unit.flag, true);
            }
            read = true;
            if (unit.nothing) {
                break; // the "|" is consumed and the text goes on with an end or a closer
            }
            units.push_back(unit.node);
            nullable = nullable && Node(unit.node).nullable;
        }
        if (read) {
            content.flag = laterEmpty ? first : EmptyFlag::NotEmpty;
        }
        content.nullable = nullable;
        if (!units.empty()) {
            SyntaxNode node;
            node.type = SyntaxNode::Sequence;
            node.units = std::move(units);
            node.flag = content.flag;
            node.nullable = nullable;
            content.node = Add(std::move(node));
        }
        return content;
    }

    Unit ReadUnit() {
        std::vector<std::int32_t> alternatives;
        std::uint32_t groupsBefore = m_tree.groupCount;
        bool lastIsNothing = false;
        EmptyFlag nothingFlag = EmptyFlag::NotEmpty;
        for (;;) {
            const std::int32_t item = ReadQuantified();
            if (*m_pos != u'|') {
                alternatives.push_back(item);
                break;
            }
            ++m_pos;
            if (AtSequenceEnd()) {
                // Nothing on the right: the item before "|" is dropped with its groups.
                m_tree.groupCount = groupsBefore;
                lastIsNothing = true;
                nothingFlag = Node(item).flag;
                break;
            }
            alternatives.push_back(item);
            groupsBefore = m_tree.groupCount;
        }
        if (alternatives.empty()) {
            return Unit{-1, nothingFlag, true};
        }
        if (alternatives.size() == 1 && !lastIsNothing) {
            return Unit{alternatives[0], Node(alternatives[0]).flag, false};
        }
        // "a|b|c" nests to the right: fold the flags from the rightmost alternative.
        EmptyFlag flag = lastIsNothing ? nothingFlag : Node(alternatives.back()).flag;
        std::size_t i = lastIsNothing ? alternatives.size() : alternatives.size() - 1;
        bool nullable = lastIsNothing;
        for (const std::int32_t a : alternatives) {
            nullable = nullable || Node(a).nullable;
        }
        while (i-- > 0) {
            flag = Apply(flag, true) ? EmptyFlag::Empty : Node(alternatives[i]).flag;
        }
        SyntaxNode node;
        node.type = SyntaxNode::Alternation;
        node.units = std::move(alternatives);
        node.lastIsNothing = lastIsNothing;
        node.flag = flag;
        node.nullable = nullable;
        const std::int32_t index = Add(std::move(node));
        return Unit{index, flag, false};
    }

private:
    bool AtSequenceEnd() const {
        const char16_t c = *m_pos;
        // A lone "\" before the terminator ends the pattern like the terminator itself.
        return c == 0 || c == u'}' || c == u')' || c == u']' || (c == u'\\' && m_pos[1] == 0);
    }

    std::int32_t ReadQuantified() {
        const std::int32_t item = ReadItem();
        Quantifier quantifier;
        switch (*m_pos) {
        case u'*':
            quantifier = Quantifier::Star;
            break;
        case u'+':
            quantifier = Quantifier::Plus;
            break;
        case u'?':
            quantifier = Quantifier::Optional;
            break;
        default:
            return item;
        }
        ++m_pos;
        if (*m_pos == u'?') {
            ++m_pos;
            quantifier = quantifier == Quantifier::Star   ? Quantifier::LazyStar
                         : quantifier == Quantifier::Plus ? Quantifier::LazyPlus
                                                          : Quantifier::LazyOptional;
        }
        const bool mayRepeatForever =
            quantifier != Quantifier::Optional && quantifier != Quantifier::LazyOptional;
        if (mayRepeatForever && Apply(Node(item).flag, false)) {
            throw Failure{ParseEmptyRepeat};
        }
        SyntaxNode node;
        node.type = SyntaxNode::Repeat;
        node.quantifier = quantifier;
        node.child = item;
        node.flag = quantifier == Quantifier::Plus ? EmptyFlag::NotEmpty : EmptyFlag::Empty;
        const bool atLeastOnce = quantifier == Quantifier::Plus || quantifier == Quantifier::LazyPlus;
        node.nullable = atLeastOnce ? Node(item).nullable : true;
        return Add(std::move(node));
    }

    std::int32_t ReadItem() {
        const char16_t c = *m_pos;
        switch (c) {
        case u'{':
            return ReadGroup();
        case u'(':
            return ReadParen();
        case u'[':
            return ReadSet();
        case u'\\':
            return ReadEscape();
        case u'!':
            return ReadNegation();
        case u'.': {
            ++m_pos;
            SyntaxNode node;
            node.type = SyntaxNode::AnyUnit;
            return Add(std::move(node));
        }
        case u'$':
            ++m_pos;
            // Only the last character of the whole pattern anchors at the end.
            return AddLiteral(m_whole && *m_pos == 0 ? u'\0' : u'$');
        default:
            ++m_pos;
            return AddLiteral(c);
        }
    }

    std::int32_t ReadGroup() {
        const std::uint32_t number = m_tree.groupCount++;
        if (m_open.size() < m_tree.groupCount) {
            m_open.resize(m_tree.groupCount, 0);
        }
        m_open[number] = 1;
        const Content content = ReadEnclosed(u'}', ParseBraceExpected);
        m_open[number] = 0;
        return AddEnclosing(SyntaxNode::Group, content, static_cast<std::int32_t>(number));
    }

    std::int32_t ReadParen() {
        return AddEnclosing(SyntaxNode::Paren, ReadEnclosed(u')', ParseParenExpected), 0);
    }

    // The sequence between the opener at the read position and its closer, both consumed.
    Content ReadEnclosed(char16_t closer, ParseError missingCloser) {
        ++m_pos;
        Enter();
        const Content content = ReadSequence();
        if (*m_pos != closer) {
            throw Failure{missingCloser};
        }
        ++m_pos;
        Leave();
        return content;
    }

    std::int32_t AddEnclosing(SyntaxNode::Type type, const Content& content, std::int32_t value) {
        SyntaxNode node;
        node.type = type;
        node.value = value;
        node.child = content.node;
        node.flag = content.flag;
        node.nullable = content.nullable;
        return Add(std::move(node));
    }

    std::int32_t ReadNegation() {
        ++m_pos;
        Enter();
        // "!" with no item after it negates nothing, which always matches: the negation never does.
        const std::int32_t item = AtSequenceEnd() ? -1 : ReadItem();
        Leave();
        SyntaxNode node;
        node.type = SyntaxNode::Negation;
        node.child = item;
        node.flag = item < 0 ? EmptyFlag::PassThrough : Node(item).flag;
        node.nullable = true;
        return Add(std::move(node));
    }

    std::int32_t ReadEscape() {
        const char16_t next = m_pos[1]; // not the terminator: AtSequenceEnd caught that
        if (IsDigit(next)) {
            return ReadBackRef();
        }
        for (const Abbreviation& abbreviation : kAbbreviations) {
            if (abbreviation.letter == next) {
                m_pos += 2;
                return ReadAbbreviation(abbreviation.expansion);
            }
        }
        m_pos += 2;
        return AddLiteral(next);
    }

    std::int32_t ReadBackRef() {
        ++m_pos;
        std::uint64_t number = 0;
        while (IsDigit(*m_pos)) {
            number = std::min<std::uint64_t>(number * 10 + (*m_pos - u'0'), UINT32_MAX);
            ++m_pos;
        }
        if (number >= m_tree.groupCount) {
            throw Failure{ParseInvalidGroup};
        }
        SyntaxNode node;
        node.type = SyntaxNode::BackRef;
        node.value = static_cast<std::int32_t>(number);
        node.selfReference = m_open[number] != 0;
        node.nullable = true; // the group may hold nothing
        return Add(std::move(node));
    }

    std::int32_t ReadAbbreviation(const char16_t* expansion) {
        Enter();
        Unit unit;
        try {
            Reader inner(expansion, m_tree, m_open, m_depth, false);
            unit = inner.ReadUnit();
        } catch (const Failure&) {
            throw Failure{ParseUnexpected};
        } catch (const std::bad_alloc&) {
            throw Failure{ParseUnexpected};
        }
        Leave();
        return unit.node;
    }

    std::int32_t ReadSet() {
        ++m_pos;
        SyntaxNode node;
        node.type = SyntaxNode::Set;
        if (*m_pos == u'^') {
            node.negated = true;
            ++m_pos;
        }
        if (*m_pos == u']') {
            throw Failure{ParseEmptySet};
        }
        while (*m_pos != u']') {
            char16_t low = *m_pos;
            if (low == 0) {
                throw Failure{ParseBracketExpected};
            }
            if (low == u'\\') {
                const char16_t escaped = m_pos[1];
                if (escaped == 0) {
                    throw Failure{ParseBracketExpected};
                }
                low = escaped == u't' ? u'\t' : escaped;
                ++m_pos;
            }
            ++m_pos;
            char16_t high = low;
            if (*m_pos == u'-') {
                high = m_pos[1]; // taken literally, no escapes
                if (high == 0 || high == u']') {
                    throw Failure{ParseBracketExpected};
                }
                if (high < low) {
                    throw Failure{ParseInvalidRange};
                }
                m_pos += 2;
            }
            node.ranges.emplace_back(low, high);
        }
        ++m_pos;
        return Add(std::move(node));
    }

    std::int32_t AddLiteral(char16_t unit) {
        SyntaxNode node;
        node.type = SyntaxNode::Literal;
        node.value = unit;
        return Add(std::move(node));
    }

    std::int32_t Add(SyntaxNode&& node) {
        m_tree.nodes.push_back(std::move(node));
        return static_cast<std::int32_t>(m_tree.nodes.size() - 1);
    }

    const SyntaxNode& Node(std::int32_t index) const { return m_tree.nodes[static_cast<std::size_t>(index)]; }

    void Enter() {
        if (++m_depth > kMaxNesting) {
            throw Failure{ParseOutOfMemory};
        }
    }
    void Leave() { --m_depth; }

    const char16_t* m_pos;
    SyntaxTree& m_tree;
    std::vector<char>& m_open; // by group number: 1 while the group's content is being read
    int m_depth;
    const bool m_whole; // reading the caller's pattern, not an abbreviation's expansion
};

} // namespace

ParseError ReadPattern(const char16_t* text, SyntaxTree& tree) {
    if (text == nullptr) {
        return ParseInvalidInput;
    }
    try {
        std::vector<char> openGroups;
        Reader reader(text, tree, openGroups, 0, true);
        reader.SkipAnchor();
        // A closer without opener ends the sequence here, and with it the pattern.
        tree.root = reader.ReadSequence().node;
        return ParseOk;
    } catch (const Failure& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return ParseOutOfMemory;
    }
}

} // namespace tessaly::pattern_detail
