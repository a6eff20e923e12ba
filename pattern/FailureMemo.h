// Runs from memo points that failed, by (instruction, position): where each failed, and at what
// depth of the plain interpreter's stack it was reached. A run from a memo point depends on the
// position alone, so reached there again at no greater depth it fails alike, at the same place.
#pragma once

#include <cstddef>
#include <vector>

namespace tessaly::pattern_detail {

class FailureMemo {
public:
    struct Failure {
        std::ptrdiff_t exit = 0; // where the run failed
        std::size_t vdepth = 0;  // the plain depth it was reached at
    };

    // The failure remembered for the run from `ip` at p, if any.
    const Failure* Find(std::size_t ip, std::ptrdiff_t p) const;

    // A newer record for the same place replaces the old: it was reached at a greater depth (else
    // the old one had been used), so it covers more. Without memory for it, nothing is remembered.
    void Remember(std::size_t ip, std::ptrdiff_t p, Failure failure);

    // Forgets everything and gives the table's memory back.
    void Clear() { *this = FailureMemo{}; }

private:
    struct Entry {
        std::ptrdiff_t p = -1; // -1: free
        std::size_t ip = 0;
        Failure failure;
    };

    std::size_t SlotOf(std::size_t ip, std::ptrdiff_t p) const;
    void Place(const Entry& entry);

    std::vector<Entry> m_entries; // open addressing; a power of two in size once used
    std::size_t m_used = 0;
};

} // namespace tessaly::pattern_detail
