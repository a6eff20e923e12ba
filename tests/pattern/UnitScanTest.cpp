// The eight-at-a-time searches against the one-at-a-time ones they stand in for, at every offset
// around the block edges, where such code goes wrong.
#include "pattern/UnitScan.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace tessaly {
namespace {

using namespace pattern_detail;

TEST(UnitScan, AnswersAsTheStringSearchesDo) {
    std::mt19937 rng(5);
    const std::u16string alphabet = u"ab&\u4e2d\uffff";
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        for (int n = static_cast<int>(rng() % 70); n > 0; --n) {
            text += alphabet[rng() % alphabet.size()];
        }
        std::u16string run;
        for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) {
            run += alphabet[rng() % 3];
        }
        for (std::size_t from = 0; from <= text.size() + 1; ++from) {
            ASSERT_EQ(FindRun(text, run, from), std::u16string_view(text).find(run, from)) << from;
        }
        ASSERT_EQ(FindLastRun(text, run), text.rfind(run));
        const char16_t unit = run[0];
        for (std::size_t from = 0; from <= text.size(); ++from) {
            const std::size_t plain = text.find(unit, from);
            ASSERT_EQ(FindUnit(text.data(), from, text.size(), unit),
                      plain == std::u16string::npos ? text.size() : plain);
            const auto lo = static_cast<std::ptrdiff_t>(from);
            std::ptrdiff_t last = static_cast<std::ptrdiff_t>(text.size()) - 1;
            while (last >= lo && text[static_cast<std::size_t>(last)] != unit) {
                --last;
            }
            ASSERT_EQ(FindLastUnit(text.data(), lo, static_cast<std::ptrdiff_t>(text.size()) - 1, unit),
                      last);
        }
    }
}

TEST(UnitScan, SubjectLengthAtEveryAlignment) {
    std::u16string buffer(260, u'x');
    for (std::size_t start = 0; start < 16; ++start) {
        for (std::size_t length = 0; length < 200; ++length) { // past several 64-byte steps
            std::u16string copy = buffer;
            copy[start + length] = 0;
            ASSERT_EQ(SubjectLength(copy.c_str() + start), length) << start;
            for (const std::size_t limit : {0, 7, 8, 9, 100}) {
                const std::size_t within = SubjectLengthWithin(copy.c_str() + start, limit);
                if (length <= limit) {
                    ASSERT_EQ(within, length) << start << " " << limit;
                } else {
                    ASSERT_GT(within, limit) << start << " " << length;
                }
            }
        }
    }
}

} // namespace
} // namespace tessaly
