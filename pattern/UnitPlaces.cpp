#include "pattern/UnitPlaces.h"

#include <algorithm>
#include <new>
#include <utility>

namespace tessaly::pattern_detail {

void UnitPlaces::CountByUnit() {
    m_units.reset(new (std::nothrow) Units());
    m_on = m_units != nullptr; // without memory for the count, every seek reads
}

UnitPlaces::Places* UnitPlaces::Of(const char16_t* s, std::ptrdiff_t length, char16_t unit,
                                   std::uint64_t& read) {
    Units& units = *m_units;
    Places* places = std::find_if(units.begin(), units.begin() + m_count,
                                  [unit](const Places& p) { return p.unit == unit; });
    if (places == units.begin() + m_count) {
        if (m_count == units.size()) {
            return nullptr;
        }
        places->unit = unit;
        ++m_count;
    }
    if (places->listed || places->read < static_cast<std::uint64_t>(length) / 2 ||
        places->read < kLongSeek * places->seeks) {
        return places;
    }
    const auto end = static_cast<std::size_t>(length);
    try {
        for (std::size_t at = FindUnit(s, 0, end, unit); at < end; at = FindUnit(s, at + 1, end, unit)) {
            places->at.push_back(static_cast<std::ptrdiff_t>(at));
        }
    } catch (const std::bad_alloc&) {
        // Without memory for the list, the seeks go on reading.
        places->at.clear();
        places->read = 0;
        places->seeks = 0;
        return places;
    }
    places->listed = true;
    read += static_cast<std::uint64_t>(length);
    return places;
}

template <typename Search, typename Reading>
std::ptrdiff_t UnitPlaces::ByUnit(const char16_t* s, std::ptrdiff_t length, char16_t unit,
                                  std::uint64_t& read, Search search, Reading reading) {
    Places* const places = Of(s, length, unit, read);
    if (places != nullptr && places->listed) {
        ++read;
        return search(places->at);
    }
    const auto [found, passed] = reading();
    read += passed;
    if (places != nullptr) {
        places->read += passed;
        ++places->seeks;
    }
    return found;
}

std::ptrdiff_t UnitPlaces::NextByUnit(const char16_t* s, std::ptrdiff_t length, char16_t unit,
                                      std::ptrdiff_t from, std::uint64_t& read) {
    return ByUnit(
        s, length, unit, read,
        [&](const std::vector<std::ptrdiff_t>& at) {
            const auto it = std::lower_bound(at.begin(), at.end(), from);
            return it == at.end() ? length : *it;
        },
        [&] {
            const auto found = static_cast<std::ptrdiff_t>(
                FindUnit(s, static_cast<std::size_t>(from), static_cast<std::size_t>(length), unit));
            return std::pair{found, static_cast<std::uint64_t>(found - from)};
        });
}

std::ptrdiff_t UnitPlaces::LastByUnit(const char16_t* s, std::ptrdiff_t length, char16_t unit,
                                      std::ptrdiff_t lo, std::ptrdiff_t hi, std::uint64_t& read) {
    return ByUnit(
        s, length, unit, read,
        [&](const std::vector<std::ptrdiff_t>& at) {
            const auto it = std::upper_bound(at.begin(), at.end(), hi);
            return it == at.begin() || *(it - 1) < lo ? lo - 1 : *(it - 1);
        },
        [&] {
            const std::ptrdiff_t found = FindLastUnit(s, lo, hi, unit);
            return std::pair{found, static_cast<std::uint64_t>(hi - found)};
        });
}

} // namespace tessaly::pattern_detail
