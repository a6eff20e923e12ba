// Every place of a unit in the subject, listed in one reading. A match that seeks the same unit
// again and again (a lazy loop's scan for what follows it, a greedy loop giving back to it) would
// read the subject at each seek. Once its seeks have read half as many units as the subject has,
// they are counted by unit; once those for one unit have read as many again, kLongSeek units a seek
// on the whole, that unit's places are listed (one reading), and each seek for it from then on is a
// search of the list. A match that seeks little pays an addition a seek; where the unit stands
// thick, seeks are short and reading beats the list.
#pragma once

#include "pattern/UnitScan.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tessaly::pattern_detail {

class UnitPlaces {
public:
    // Off, every seek reads.
    explicit UnitPlaces(bool on) : m_on(on) {}

    // In a subject of `length` units: the first place of `unit` from `from` on, `length` when
    // none; `read` grows by the units read to find it (a search of the list counts one).
    std::ptrdiff_t Next(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t from,
                        std::uint64_t& read) {
        if (m_units != nullptr) {
            return NextByUnit(s, length, unit, from, read);
        }
        const auto found = static_cast<std::ptrdiff_t>(
            FindUnit(s, static_cast<std::size_t>(from), static_cast<std::size_t>(length), unit));
        Read(static_cast<std::uint64_t>(found - from), length, read);
        return found;
    }
    // The last place of `unit` from lo to hi, lo - 1 when none; `read` grows by the units passed
    // over down to it (a search of the list counts one).
    std::ptrdiff_t Last(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t lo,
                        std::ptrdiff_t hi, std::uint64_t& read) {
        if (m_units != nullptr) {
            return LastByUnit(s, length, unit, lo, hi, read);
        }
        const std::ptrdiff_t found = FindLastUnit(s, lo, hi, unit);
        Read(static_cast<std::uint64_t>(hi - found), length, read);
        return found;
    }

private:
    struct Places {
        char16_t unit = 0;
        bool listed = false;
        std::uint64_t read = 0; // by seeks, until listed
        std::uint64_t seeks = 0;
        std::vector<std::ptrdiff_t> at;
    };
    using Units = std::array<Places, 4>;

    void Read(std::uint64_t passed, std::ptrdiff_t length, std::uint64_t& read) {
        read += passed;
        if (m_on && (m_read += passed) >= static_cast<std::uint64_t>(length) / 2) {
            CountByUnit();
        }
    }
    void CountByUnit();
    std::ptrdiff_t NextByUnit(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t from,
                              std::uint64_t& read);
    std::ptrdiff_t LastByUnit(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t lo,
                              std::ptrdiff_t hi, std::uint64_t& read);
    // A seek counted by unit: `search` of the unit's places once they are listed, else `reading`,
    // which answers the place and the units it passed over.
    template <typename Search, typename Reading>
    std::ptrdiff_t ByUnit(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::uint64_t& read,
                          Search search, Reading reading);
    // The unit's record, its places listed once due (that reading is counted in `read`); null for a
    // unit past the few a pattern seeks.
    Places* Of(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::uint64_t& read);

    static constexpr std::uint64_t kLongSeek = 16;
    bool m_on;
    std::uint64_t m_read = 0; // by all seeks, until they are counted by unit
    std::unique_ptr<Units> m_units;
    std::size_t m_count = 0;
};

} // namespace tessaly::pattern_detail
