#include "pattern/FailureMemo.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace tessaly::pattern_detail {

std::size_t FailureMemo::SlotOf(std::size_t ip, std::ptrdiff_t p) const {
    const std::uint64_t h =
        (static_cast<std::uint64_t>(p) * 0x9E3779B97F4A7C15u) ^ (ip * 0xC2B2AE3D27D4EB4Fu);
    return static_cast<std::size_t>(h >> 20) & (m_entries.size() - 1);
}

const FailureMemo::Failure* FailureMemo::Find(std::size_t ip, std::ptrdiff_t p) const {
    if (m_entries.empty()) {
        return nullptr;
    }
    for (std::size_t i = SlotOf(ip, p);; i = (i + 1) & (m_entries.size() - 1)) {
        const Entry& e = m_entries[i];
        if (e.p == p && e.ip == ip) {
            return &e.failure;
        }
        if (e.p < 0) {
            return nullptr;
        }
    }
}

// Into the entry of the same place, or the first free one on its probe sequence.
void FailureMemo::Place(const Entry& entry) {
    std::size_t i = SlotOf(entry.ip, entry.p);
    while (m_entries[i].p >= 0 && !(m_entries[i].p == entry.p && m_entries[i].ip == entry.ip)) {
        i = (i + 1) & (m_entries.size() - 1);
    }
    m_used += m_entries[i].p < 0 ? 1 : 0;
    m_entries[i] = entry;
}

void FailureMemo::Remember(std::size_t ip, std::ptrdiff_t p, Failure failure) {
    if (2 * (m_used + 1) > m_entries.size()) {
        std::vector<Entry> old;
        old.swap(m_entries);
        try {
            m_entries.resize(std::max<std::size_t>(256, 2 * old.size()));
        } catch (const std::bad_alloc&) {
            m_entries.swap(old);
            return;
        }
        m_used = 0;
        for (const Entry& e : old) {
            if (e.p >= 0) {
                Place(e);
            }
        }
    }
    Place(Entry{p, ip, failure});
}

} // namespace tessaly::pattern_detail
