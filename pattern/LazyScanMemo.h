// Where a lazy loop's scan for what follows it ended, by the position the scan began at, one table
// per loop. The attempts from one position follow one chain, so every position on it ends alike:
// a scan notes the positions it attempts and settles them all with the end it reaches.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaly::pattern_detail {

class LazyScanMemo {
public:
    // All the rest's tests pass at `end`, or the loop's own unit fails at `end` after the last
    // attempt began at `attempt`.
    struct ScanEnd {
        static constexpr std::ptrdiff_t kUnknown = -1;
        static constexpr std::ptrdiff_t kPassed = -2;
        std::ptrdiff_t attempt = kUnknown;
        std::ptrdiff_t end = 0;
    };
    // Per position of the subject, the number of its end among those settled (0 while unknown):
    // a new table is cleared and a stretch filled as plain memory is, many positions at a time.
    class Table {
    public:
        explicit Table(std::size_t positions) : m_endOf(positions) {}
        ScanEnd At(std::size_t position) const {
            const std::uint32_t n = m_endOf[position];
            return n == 0 ? ScanEnd{} : m_ends[n - 1];
        }

    private:
        friend class LazyScanMemo;
        std::vector<std::uint32_t> m_endOf;
        std::vector<ScanEnd> m_ends;
    };

    // Short scans are not worth a table: a loop takes one once its scans have gone through this
    // many positions (ScanTableAfter says how many for a match that does not backtrack much yet).
    static constexpr std::uint64_t kAfterAttempts = 32;
    // How many positions the scans of the loop headed at `head` went through before it had a
    // table (those of kAfterAttempts or more); loops past the first few count from each scan's
    // start.
    std::uint64_t GoneThrough(std::size_t head) const;
    void WentThrough(std::size_t head, std::uint64_t positions);

    // The table of the loop headed at `head`; null when it has none.
    Table* Find(std::size_t head);
    // A new table for `positions` positions; null without memory for it (the scan then goes on
    // without).
    Table* Create(std::size_t head, std::size_t positions);

    void BeginScan() { m_chain.clear(); }
    // The scan attempted the positions from `from` to `to` (those before `to` were skipped, as
    // they lead to it).
    void Attempted(std::ptrdiff_t from, std::ptrdiff_t to) { m_chain.push_back({from, to}); }
    // Every position the scan attempted since it began ends at `end` (without memory for one more
    // end, they stay unknown).
    void Settle(Table& table, const ScanEnd& end) const;

    // Whether a loop has a table or a count of positions gone through.
    bool Used() const { return m_used; }
    // Forgets every loop's table and count, giving the tables' memory back.
    void Clear();

private:
    struct Scans {
        std::size_t head;
        Table ends;
    };
    std::vector<Scans> m_scans;
    struct Untabled {
        std::size_t head = 0;
        std::uint64_t positions = 0;
    };
    std::array<Untabled, 4> m_untabled;
    std::size_t m_untabledCount = 0;
    struct Stretch {
        std::ptrdiff_t from;
        std::ptrdiff_t to;
    };
    std::vector<Stretch> m_chain;
    bool m_used = false;
};

} // namespace tessaly::pattern_detail
