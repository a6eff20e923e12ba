// Every place of a unit in the subject, listed in one reading. A match that seeks the same unit
// again and again (a lazy loop's scan for what follows it, a greedy loop giving back to it) would
// read the subject at each seek; once its seeks for a unit have read as many units as the subject
// has, the unit's places are listed, and each seek from then on is a search of the list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaly::pattern_detail {

class UnitPlaces {
public:
    // Off, every seek reads.
    explicit UnitPlaces(bool on) : m_on(on) {}

    // In a subject of `length` units: the first place of `unit` from `from` on, `length` when
    // none; `read` grows by the units read to find it (a search of the list counts one).
    std::ptrdiff_t Next(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t from,
                        std::uint64_t& read);
    // The last place of `unit` from lo to hi, lo - 1 when none; `read` grows by the units passed
    // over down to it (a search of the list counts one).
    std::ptrdiff_t Last(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t lo,
                        std::ptrdiff_t hi, std::uint64_t& read);

private:
    struct Places {
        char16_t unit = 0;
        bool listed = false;
        std::uint64_t read = 0; // by seeks, until listed
        std::vector<std::ptrdiff_t> at;
    };
    // The unit's record, its places listed once due (that reading is counted in `read`); null for a
    // unit past the few a pattern seeks.
    Places* Of(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::uint64_t& read);

    bool m_on;
    std::array<Places, 4> m_units;
    std::size_t m_count = 0;
};

} // namespace tessaly::pattern_detail
