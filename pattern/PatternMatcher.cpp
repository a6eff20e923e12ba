// Pattern matcher: placeholder bodies so that callers can build against the interface.
#include "pattern/PatternMatcher.h"

namespace tessaly {

MatchContext::MatchContext() : m_stack(kInitialStackRoom) {}

ParseError PatternMatcher::Parse(const char16_t* pattern) {
    m_program.clear();
    m_groupCount = 0;
    m_slotCount = 0;
    m_lastError = ParseInvalidInput;
    return m_lastError;
}

bool PatternMatcher::Match(const char16_t* subject, MatchContext* context) const { return false; }

} // namespace tessaly
