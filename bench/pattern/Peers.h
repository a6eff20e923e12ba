// The matchers the benchmark compares: ours, PCRE2 (16-bit; interpreter and JIT) and std::wregex
// (each UTF-16 unit widened to one wchar_t). Each prepares its inputs once and then matches one.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::bench {

// Whole match and groups as start/end pairs (-1 when absent); empty when there is no match.
using Outcome = std::vector<std::ptrdiff_t>;

class Peer {
public:
    virtual ~Peer() = default;
    virtual std::string Name() const = 0;
    virtual void Prepare(const std::vector<std::u16string>& inputs) = 0;
    virtual Outcome Match(std::size_t input) = 0;
};

// The same search in each peer's syntax.
struct Patterns {
    std::u16string ours;
    std::string pcre2;   // compiled with PCRE2_DOTALL, so "." is any unit like ours
    std::wstring wregex; // ECMAScript; "[\s\S]" stands for our "."
};

std::unique_ptr<Peer> MakeOurs(const std::u16string& pattern);
std::unique_ptr<Peer> MakePcre2(const std::string& pattern, bool jit);
std::unique_ptr<Peer> MakeWregex(const std::wstring& pattern);

} // namespace tessaly::bench
