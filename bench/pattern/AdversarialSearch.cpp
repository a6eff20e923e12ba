// The adversarial search. A page is a list of pieces (the pattern's literals and a few other
// units); mutations insert, delete, replace and above all repeat spans of pieces, since blocks of
// repeated literals are what multiplies a backtracking matcher's work. A mutation is kept when the
// matcher takes at least as many steps as before; at the step limit, when it takes more time.
#include "AdversarialSearch.h"

#include "pattern/PatternMatcher.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace tessaly::bench {
namespace {

constexpr std::size_t kPageUnits = 8191;
constexpr std::size_t kShapeChars = 400;

using Genome = std::vector<std::uint16_t>;

struct Score {
    std::uint64_t steps = 0;
    double ms = 0;
    bool matched = false;
};

double Now() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class Search {
public:
    Search(const std::u16string& pattern, const std::vector<std::u16string>& pieces, unsigned seed)
        : m_pieces(pieces), m_rng(seed) {
        m_matcher.Parse(pattern.c_str());
    }

    SearchResult Run(double seconds) {
        const double end = Now() + seconds * 1e3;
        Genome best;
        Score bestScore;
        std::uint64_t evaluated = 0;
        while (Now() < end) {
            // Restart now and then, from a fresh seed or from the worst page so far, so that one
            // local peak does not hold the search.
            Genome current = best.empty() || Below(2) == 0 ? Seed() : best;
            Score score = Evaluate(current);
            ++evaluated;
            for (int stale = 0; stale < 150 && Now() < end; ++stale) {
                Genome next = Mutate(current);
                const Score s = Evaluate(next);
                ++evaluated;
                if (Better(s, score, true)) {
                    stale = Better(s, score, false) ? 0 : stale;
                    current = std::move(next);
                    score = s;
                }
            }
            if (best.empty() || Better(score, bestScore, false)) {
                best = current;
                bestScore = score;
            }
        }
        SearchResult result;
        result.worstPage = Text(best);
        result.shape = Shape(best);
        result.evaluated = evaluated;
        return result;
    }

private:
    int Below(std::size_t n) { return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(m_rng); }

    std::size_t Units(const Genome& g) const {
        std::size_t n = 0;
        for (const std::uint16_t piece : g) {
            n += m_pieces[piece].size();
        }
        return n;
    }

    std::u16string Text(const Genome& g) const {
        std::u16string text;
        for (const std::uint16_t piece : g) {
            text += m_pieces[piece];
        }
        return text;
    }

    // Ties count as better for the walk (so it drifts across plateaus), not for the record.
    static bool Better(const Score& a, const Score& b, bool ties) {
        if (a.steps != b.steps) {
            return a.steps > b.steps;
        }
        return ties ? a.ms >= b.ms : a.ms > b.ms;
    }

    Score Evaluate(const Genome& g) {
        const std::u16string text = Text(g);
        MatchContext context;
        const double start = Now();
        const MatchOutcome outcome = m_matcher.Search(text.c_str(), &context);
        const double ms = Now() - start;
        return {outcome.Steps(), ms, outcome.IsMatch()};
    }

    // Two to four blocks, each a span of one to three pieces repeated. The pieces are listed in the
    // pattern's order, and blocks mostly follow it, so that seeds hold what the pattern requires.
    Genome Seed() {
        Genome g;
        const int blocks = 2 + Below(3);
        std::vector<std::uint16_t> picks;
        for (int n = blocks * 3; n > 0; --n) {
            picks.push_back(static_cast<std::uint16_t>(Below(m_pieces.size())));
        }
        if (Below(4) != 0) {
            std::sort(picks.begin(), picks.end());
        }
        std::size_t next = 0;
        for (int b = 0; b < blocks; ++b) {
            Genome block;
            for (int n = 1 + Below(3); n > 0; --n) {
                block.push_back(picks[next++]);
            }
            const std::size_t share = kPageUnits / static_cast<std::size_t>(blocks);
            const std::size_t start = Units(g);
            while (Units(g) - start + Units(block) <= share) {
                g.insert(g.end(), block.begin(), block.end());
            }
        }
        return g;
    }

    Genome Mutate(Genome g) {
        const std::size_t size = g.size();
        switch (size == 0 ? 0 : Below(6)) {
        case 0: // insert a piece
            g.insert(g.begin() + (size == 0 ? 0 : Below(size + 1)),
                     static_cast<std::uint16_t>(Below(m_pieces.size())));
            break;
        case 1: { // delete a span
            const std::size_t at = static_cast<std::size_t>(Below(size));
            const std::size_t len = std::min<std::size_t>(size - at, 1 + static_cast<std::size_t>(Below(24)));
            g.erase(g.begin() + static_cast<std::ptrdiff_t>(at),
                    g.begin() + static_cast<std::ptrdiff_t>(at + len));
            break;
        }
        case 2: // replace a piece
            g[static_cast<std::size_t>(Below(size))] = static_cast<std::uint16_t>(Below(m_pieces.size()));
            break;
        case 3:
        case 4: { // repeat a short span many times
            const std::size_t at = static_cast<std::size_t>(Below(size));
            const std::size_t len = std::min<std::size_t>(size - at, 1 + static_cast<std::size_t>(Below(3)));
            const Genome span(g.begin() + static_cast<std::ptrdiff_t>(at),
                              g.begin() + static_cast<std::ptrdiff_t>(at + len));
            for (int copies = 1 + Below(64); copies > 0; --copies) {
                g.insert(g.begin() + static_cast<std::ptrdiff_t>(at), span.begin(), span.end());
            }
            break;
        }
        default: { // move a span elsewhere
            const std::size_t at = static_cast<std::size_t>(Below(size));
            const std::size_t len = std::min<std::size_t>(size - at, 1 + static_cast<std::size_t>(Below(40)));
            const Genome span(g.begin() + static_cast<std::ptrdiff_t>(at),
                              g.begin() + static_cast<std::ptrdiff_t>(at + len));
            g.erase(g.begin() + static_cast<std::ptrdiff_t>(at),
                    g.begin() + static_cast<std::ptrdiff_t>(at + len));
            const std::size_t to = static_cast<std::size_t>(Below(g.size() + 1));
            g.insert(g.begin() + static_cast<std::ptrdiff_t>(to), span.begin(), span.end());
            break;
        }
        }
        // Over the page size: drop pieces from a random place on, as a cut fetch would.
        while (Units(g) > kPageUnits) {
            g.erase(g.begin() + Below(g.size()));
        }
        return g;
    }

    // Runs of a repeated span of one to three pieces, written as "piece"xN.
    std::string Shape(const Genome& g) const {
        std::string out;
        std::size_t i = 0;
        while (i < g.size()) {
            std::size_t bestLen = 1;
            std::size_t bestCount = 1;
            for (std::size_t len = 1; len <= 3 && i + len <= g.size(); ++len) {
                std::size_t count = 1;
                while (i + (count + 1) * len <= g.size() &&
                       std::equal(g.begin() + static_cast<std::ptrdiff_t>(i),
                                  g.begin() + static_cast<std::ptrdiff_t>(i + len),
                                  g.begin() + static_cast<std::ptrdiff_t>(i + count * len))) {
                    ++count;
                }
                if (count * len > bestCount * bestLen) {
                    bestLen = len;
                    bestCount = count;
                }
            }
            std::u16string span;
            for (std::size_t k = 0; k < bestLen; ++k) {
                span += m_pieces[g[i + k]];
            }
            out += out.empty() ? "" : " + ";
            out += "\"" + std::string(span.begin(), span.end()) + "\"";
            if (bestCount > 1) {
                out += "x" + std::to_string(bestCount);
            }
            i += bestLen * bestCount;
            if (out.size() > kShapeChars) {
                return out + " + ...";
            }
        }
        return out;
    }

    PatternMatcher m_matcher;
    const std::vector<std::u16string>& m_pieces;
    std::mt19937 m_rng;
};

} // namespace

double TimeMatch(const std::u16string& pattern, const std::u16string& subject, int runs, std::uint64_t* steps,
                 bool* matched) {
    PatternMatcher matcher;
    matcher.Parse(pattern.c_str());
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        MatchContext context;
        const double start = Now();
        const MatchOutcome outcome = matcher.Search(subject.c_str(), &context);
        times.push_back(Now() - start);
        *matched = outcome.IsMatch();
        *steps = outcome.Steps();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

SearchResult SearchWorstPage(const std::u16string& pattern, const std::vector<std::u16string>& pieces,
                             double seconds, unsigned seed) {
    SearchResult result = Search(pattern, pieces, seed).Run(seconds);
    result.ms = TimeMatch(pattern, result.worstPage, 5, &result.steps, &result.matched);
    return result;
}

} // namespace tessaly::bench
