#include "pattern/UnitPlaces.h"

#include "pattern/UnitScan.h"

#include <algorithm>
#include <new>

namespace tessaly::pattern_detail {

UnitPlaces::Places* UnitPlaces::Of(const char16_t* s, std::ptrdiff_t length, char16_t unit,
                                   std::uint64_t& read) {
    if (!m_on) {
        return nullptr;
    }
    Places* places = std::find_if(m_units.begin(), m_units.begin() + m_count,
                                  [unit](const Places& p) { return p.unit == unit; });
    if (places == m_units.begin() + m_count) {
        if (m_count == m_units.size()) {
            return nullptr;
        }
        places->unit = unit;
        ++m_count;
    }
    if (places->listed || places->read < static_cast<std::uint64_t>(length)) {
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
        return places;
    }
    places->listed = true;
    read += static_cast<std::uint64_t>(length);
    return places;
}

std::ptrdiff_t UnitPlaces::Next(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t from,
                                std::uint64_t& read) {
    Places* const places = Of(s, length, unit, read);
    if (places != nullptr && places->listed) {
        ++read;
        const auto it = std::lower_bound(places->at.begin(), places->at.end(), from);
        return it == places->at.end() ? length : *it;
    }
    const auto found = static_cast<std::ptrdiff_t>(
        FindUnit(s, static_cast<std::size_t>(from), static_cast<std::size_t>(length), unit));
    const auto passed = static_cast<std::uint64_t>(found - from);
    read += passed;
    if (places != nullptr) {
        places->read += passed;
    }
    return found;
}

std::ptrdiff_t UnitPlaces::Last(const char16_t* s, std::ptrdiff_t length, char16_t unit, std::ptrdiff_t lo,
                                std::ptrdiff_t hi, std::uint64_t& read) {
    Places* const places = Of(s, length, unit, read);
    if (places != nullptr && places->listed) {
        ++read;
        const auto it = std::upper_bound(places->at.begin(), places->at.end(), hi);
        return it == places->at.begin() || *(it - 1) < lo ? lo - 1 : *(it - 1);
    }
    const std::ptrdiff_t found = FindLastUnit(s, lo, hi, unit);
    const auto passed = static_cast<std::uint64_t>(hi - found);
    read += passed;
    if (places != nullptr) {
        places->read += passed;
    }
    return found;
}

} // namespace tessaly::pattern_detail
