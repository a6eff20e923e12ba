#include "pattern/LazyScanMemo.h"

#include <algorithm>
#include <new>

namespace tessaly::pattern_detail {

LazyScanMemo::Table* LazyScanMemo::Find(std::size_t head) {
    for (Scans& scans : m_scans) {
        if (scans.head == head) {
            return &scans.ends;
        }
    }
    return nullptr;
}

LazyScanMemo::Table* LazyScanMemo::Create(std::size_t head, std::size_t positions) {
    try {
        m_scans.push_back(Scans{head, Table(positions)});
        m_chain.reserve(64);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return &m_scans.back().ends;
}

void LazyScanMemo::Settle(Table& table, const ScanEnd& end) const {
    for (const Stretch& stretch : m_chain) {
        std::fill(table.begin() + stretch.from, table.begin() + stretch.to + 1, end);
    }
}

} // namespace tessaly::pattern_detail
