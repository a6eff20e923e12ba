#include "pattern/GreedyFrontier.h"

#include <new>

namespace tessaly::pattern_detail {

GreedyFrontier* GreedyFrontiers::Of(std::size_t head, std::ptrdiff_t length) {
    for (Loop& loop : m_loops) {
        if (loop.head == head) {
            return &loop.frontier;
        }
    }
    try {
        m_loops.push_back(Loop{head, GreedyFrontier(length)});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return &m_loops.back().frontier;
}

} // namespace tessaly::pattern_detail
