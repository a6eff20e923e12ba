// Runs are found by their first and last units together (a block of candidates where both stand
// their run's length apart), then compared in full: in page text the pair is rare where either
// unit alone is common ("&" of "&video_id=").
#include "pattern/UnitScan.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaly::pattern_detail {

std::size_t SubjectLengthWithinByUnit(const char16_t* s, std::size_t limit) {
    std::size_t length = 0;
    while (length <= limit && s[length] != 0) {
        ++length;
    }
    return length;
}

#if defined(__SSE2__)
namespace {

constexpr std::size_t kLanes = 8; // units per 16-byte block

__m128i Load(const char16_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// Two mask bits per unit: those of the lanes equal to `unit`.
unsigned Equal(__m128i block, __m128i unit) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(block, unit)));
}

unsigned LowestLane(unsigned mask) {
    return static_cast<unsigned>(__builtin_ctz(mask)) / 2;
}

unsigned HighestLane(unsigned mask) {
    return (31 - static_cast<unsigned>(__builtin_clz(mask))) / 2;
}

// The units between the first and the last, which the caller compared; runs are short, so a loop
// costs less than a call.
bool RestEquals(const char16_t* at, std::u16string_view run) {
    for (std::size_t i = 1; i + 1 < run.size(); ++i) {
        if (at[i] != run[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

// Aligned blocks never cross a page, so reading the whole block that holds the terminator is safe;
// the address and thread sanitizers cannot know that.
__attribute__((no_sanitize("address", "thread"))) std::size_t SubjectLength(const char16_t* s) {
    const auto address = reinterpret_cast<std::uintptr_t>(s);
    if (address % sizeof(char16_t) != 0) {
        return std::char_traits<char16_t>::length(s);
    }
    const auto* block = reinterpret_cast<const __m128i*>(address & ~std::uintptr_t{15});
    const __m128i zero = _mm_setzero_si128();
    // Lanes before the subject's first unit do not count.
    unsigned mask = Equal(_mm_load_si128(block), zero) & (~0u << (address & 15));
    while (mask == 0) {
        // From a 64-byte boundary on, four blocks are looked at together until one holds a 0.
        if ((reinterpret_cast<std::uintptr_t>(++block) & 63) == 0) {
            while (_mm_movemask_epi8(
                       _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(_mm_load_si128(block), zero),
                                                 _mm_cmpeq_epi16(_mm_load_si128(block + 1), zero)),
                                    _mm_or_si128(_mm_cmpeq_epi16(_mm_load_si128(block + 2), zero),
                                                 _mm_cmpeq_epi16(_mm_load_si128(block + 3), zero)))) == 0) {
                block += 4;
            }
        }
        mask = Equal(_mm_load_si128(block), zero);
    }
    const auto found = reinterpret_cast<std::uintptr_t>(block) + static_cast<unsigned>(__builtin_ctz(mask));
    return (found - address) / sizeof(char16_t);
}

__attribute__((no_sanitize("address", "thread"))) std::size_t SubjectLengthWithin(const char16_t* s,
                                                                                  std::size_t limit) {
    const auto address = reinterpret_cast<std::uintptr_t>(s);
    if (address % sizeof(char16_t) != 0) {
        return SubjectLengthWithinByUnit(s, limit);
    }
    const auto* block = reinterpret_cast<const __m128i*>(address & ~std::uintptr_t{15});
    const auto* const last =
        reinterpret_cast<const __m128i*>((address + limit * sizeof(char16_t)) & ~std::uintptr_t{15});
    const __m128i zero = _mm_setzero_si128();
    unsigned mask = Equal(_mm_load_si128(block), zero) & (~0u << (address & 15));
    while (mask == 0) {
        if (block == last) {
            return limit + 1;
        }
        mask = Equal(_mm_load_si128(++block), zero);
    }
    const auto found = reinterpret_cast<std::uintptr_t>(block) + static_cast<unsigned>(__builtin_ctz(mask));
    return (found - address) / sizeof(char16_t);
}

std::size_t FindUnit(const char16_t* s, std::size_t from, std::size_t end, char16_t unit) {
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
    for (; from + kLanes <= end; from += kLanes) {
        if (const unsigned mask = Equal(Load(s + from), wanted)) {
            return from + LowestLane(mask);
        }
    }
    while (from < end && s[from] != unit) {
        ++from;
    }
    return from;
}

std::ptrdiff_t FindLastUnit(const char16_t* s, std::ptrdiff_t lo, std::ptrdiff_t hi, char16_t unit) {
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
    constexpr auto lanes = static_cast<std::ptrdiff_t>(kLanes);
    for (; hi - lanes + 1 >= lo; hi -= lanes) {
        if (const unsigned mask = Equal(Load(s + hi - lanes + 1), wanted)) {
            return hi - lanes + 1 + HighestLane(mask);
        }
    }
    while (hi >= lo && s[hi] != unit) {
        --hi;
    }
    return hi;
}

std::size_t FindRun(std::u16string_view text, std::u16string_view run, std::size_t from) {
    const std::size_t k = run.size();
    if (k == 1 && from < text.size()) {
        const std::size_t at = FindUnit(text.data(), from, text.size(), run[0]);
        return at == text.size() ? std::u16string_view::npos : at;
    }
    if (k < 2 || from > text.size()) {
        return text.find(run, from);
    }
    const __m128i first = _mm_set1_epi16(static_cast<short>(run[0]));
    const __m128i last = _mm_set1_epi16(static_cast<short>(run[k - 1]));
    const char16_t* const s = text.data();
    for (; from + k - 1 + kLanes <= text.size(); from += kLanes) {
        unsigned mask = Equal(Load(s + from), first) & Equal(Load(s + from + k - 1), last);
        while (mask != 0) {
            const std::size_t at = from + LowestLane(mask);
            if (RestEquals(s + at, run)) {
                return at;
            }
            mask &= mask - 1;
            mask &= mask - 1; // both bits of the lane
        }
    }
    // The last few starts, one at a time by the same two units.
    for (; from + k <= text.size(); ++from) {
        if (s[from] == run[0] && s[from + k - 1] == run[k - 1] && RestEquals(s + from, run)) {
            return from;
        }
    }
    return std::u16string_view::npos;
}

std::size_t FindLastRun(std::u16string_view text, std::u16string_view run) {
    const std::size_t k = run.size();
    if (k == 1) {
        const std::ptrdiff_t at =
            FindLastUnit(text.data(), 0, static_cast<std::ptrdiff_t>(text.size()) - 1, run[0]);
        return at < 0 ? std::u16string_view::npos : static_cast<std::size_t>(at);
    }
    if (k < 2 || k > text.size()) {
        return text.rfind(run);
    }
    const __m128i first = _mm_set1_epi16(static_cast<short>(run[0]));
    const __m128i last = _mm_set1_epi16(static_cast<short>(run[k - 1]));
    const char16_t* const s = text.data();
    // Candidates are the starts up to `top`; each block holds the eight highest left.
    std::size_t top = text.size() - k;
    while (top + 1 >= kLanes) {
        const std::size_t base = top + 1 - kLanes;
        unsigned mask = Equal(Load(s + base), first) & Equal(Load(s + base + k - 1), last);
        while (mask != 0) {
            const unsigned lane = HighestLane(mask);
            if (RestEquals(s + base + lane, run)) {
                return base + lane;
            }
            mask &= ~(3u << (2 * lane));
        }
        if (base == 0) {
            return std::u16string_view::npos;
        }
        top = base - 1;
    }
    return text.substr(0, top + k).rfind(run);
}

#else

std::size_t SubjectLength(const char16_t* s) {
    return std::char_traits<char16_t>::length(s);
}

std::size_t SubjectLengthWithin(const char16_t* s, std::size_t limit) {
    return SubjectLengthWithinByUnit(s, limit);
}

std::size_t FindUnit(const char16_t* s, std::size_t from, std::size_t end, char16_t unit) {
    while (from < end && s[from] != unit) {
        ++from;
    }
    return from;
}

std::ptrdiff_t FindLastUnit(const char16_t* s, std::ptrdiff_t lo, std::ptrdiff_t hi, char16_t unit) {
    while (hi >= lo && s[hi] != unit) {
        --hi;
    }
    return hi;
}

std::size_t FindRun(std::u16string_view text, std::u16string_view run, std::size_t from) {
    return text.find(run, from);
}

std::size_t FindLastRun(std::u16string_view text, std::u16string_view run) {
    return text.rfind(run);
}

#endif

} // namespace tessaly::pattern_detail
