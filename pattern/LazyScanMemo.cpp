#include "pattern/LazyScanMemo.h"

#include <algorithm>
#include <limits>
#include <new>

namespace tessaly::pattern_detail {

void LazyScanMemo::Clear() {
    m_scans.clear();
    m_untabledCount = 0;
    m_chain.clear();
    m_used = false;
}

LazyScanMemo::Table* LazyScanMemo::Find(std::size_t head) {
    for (Scans& scans : m_scans) {
        if (scans.head == head) {
            return &scans.ends;
        }
    }
    return nullptr;
}

std::uint64_t LazyScanMemo::GoneThrough(std::size_t head) const {
    const auto end = m_untabled.begin() + static_cast<std::ptrdiff_t>(m_untabledCount);
    const auto loop =
        std::find_if(m_untabled.begin(), end, [head](const Untabled& u) { return u.head == head; });
    return loop == end ? 0 : loop->positions;
}

void LazyScanMemo::WentThrough(std::size_t head, std::uint64_t positions) {
    m_used = true;
    const auto end = m_untabled.begin() + static_cast<std::ptrdiff_t>(m_untabledCount);
    const auto loop =
        std::find_if(m_untabled.begin(), end, [head](const Untabled& u) { return u.head == head; });
    if (loop != end) {
        loop->positions += positions;
    } else if (m_untabledCount < m_untabled.size()) {
        *loop = Untabled{head, positions};
        ++m_untabledCount;
    }
}

LazyScanMemo::Table* LazyScanMemo::Create(std::size_t head, std::size_t positions) {
    m_used = true;
    try {
        m_scans.push_back(Scans{head, Table(positions)});
        m_chain.reserve(64);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return &m_scans.back().ends;
}

void LazyScanMemo::Settle(Table& table, const ScanEnd& end) const {
    if (table.m_ends.size() == std::numeric_limits<std::uint32_t>::max()) {
        return;
    }
    try {
        table.m_ends.push_back(end);
    } catch (const std::bad_alloc&) {
        return;
    }
    const auto n = static_cast<std::uint32_t>(table.m_ends.size());
    for (const Stretch& stretch : m_chain) {
        std::fill(table.m_endOf.data() + stretch.from, table.m_endOf.data() + stretch.to + 1, n);
    }
}

} // namespace tessaly::pattern_detail
