// A run of literals and "."s compared with the subject at once: the units side by side (0 for a
// "."), eight at a time where the processor has SSE2 and the subject is known to reach that far.
#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaly::pattern_detail {

// How many of the `length` units from s pass one after another: a literal takes its own unit, a
// "." any but the terminator. `readable` is how many units from s may be read (the subject's rest
// and its terminator), 0 when that is not known; `units` may be read eight units past its run.
inline std::size_t UnitsTaken(const char16_t* s, std::size_t readable, const char16_t* units,
                              std::size_t length) {
    // Most runs that fail do at their first unit: that needs no vector.
    if (units[0] != 0 && s[0] != units[0]) {
        return 0;
    }
    std::size_t k = 0;
#if defined(__SSE2__)
    constexpr std::size_t kLanes = 8;
    const __m128i zero = _mm_setzero_si128();
    for (; k < length && k + kLanes <= readable; k += kLanes) {
        const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k));
        const __m128i want = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + k));
        const __m128i taken =
            _mm_andnot_si128(_mm_cmpeq_epi16(text, zero),
                             _mm_or_si128(_mm_cmpeq_epi16(text, want), _mm_cmpeq_epi16(want, zero)));
        unsigned failed = ~static_cast<unsigned>(_mm_movemask_epi8(taken)) & 0xFFFFu;
        if (length - k < kLanes) {
            failed &= (1u << (2 * (length - k))) - 1; // lanes past the run
        }
        if (failed != 0) {
            return k + static_cast<unsigned>(__builtin_ctz(failed)) / 2;
        }
    }
    if (k >= length) {
        return length;
    }
#endif
    for (; k < length; ++k) {
        const char16_t unit = s[k];
        // A literal is never the terminator.
        if (unit == 0 || (units[k] != 0 && unit != units[k])) {
            return k;
        }
    }
    return length;
}

} // namespace tessaly::pattern_detail
