// The benchmark's peers.
#define PCRE2_CODE_UNIT_WIDTH 16
#include "Peers.h"

#include "pattern/PatternMatcher.h"

#include <pcre2.h>
#include <regex>
#include <stdexcept>

namespace tessaly::bench {
namespace {

class Ours final : public Peer {
public:
    explicit Ours(const std::u16string& pattern) {
        if (m_matcher.Parse(pattern.c_str()) != ParseOk) {
            throw std::runtime_error("our pattern does not compile");
        }
    }
    std::string Name() const override { return "ours"; }
    void Prepare(const std::vector<std::u16string>& inputs) override { m_inputs = &inputs; }
    Outcome Match(std::size_t input) override {
        if (!m_matcher.Match((*m_inputs)[input].c_str(), &m_context)) {
            return {};
        }
        Outcome out{m_context.WholeMatch().start, m_context.WholeMatch().end};
        for (std::uint32_t n = 0; n < m_context.GroupCount(); ++n) {
            out.push_back(m_context.Group(n).start);
            out.push_back(m_context.Group(n).end);
        }
        return out;
    }

private:
    PatternMatcher m_matcher;
    MatchContext m_context;
    const std::vector<std::u16string>* m_inputs = nullptr;
};

class Pcre2 final : public Peer {
public:
    Pcre2(const std::string& pattern, bool jit) : m_jit(jit) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        const std::u16string wide(pattern.begin(), pattern.end());
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(wide.c_str()), wide.size(), PCRE2_DOTALL, &error,
                               &offset, nullptr);
        if (m_code == nullptr || (jit && pcre2_jit_compile(m_code, PCRE2_JIT_COMPLETE) != 0)) {
            throw std::runtime_error("PCRE2 pattern does not compile");
        }
        m_data = pcre2_match_data_create_from_pattern(m_code, nullptr);
        // No early give-up on the adversarial pages: every peer runs each search to its end.
        m_context = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(m_context, UINT32_MAX);
        pcre2_set_depth_limit(m_context, UINT32_MAX);
        pcre2_set_heap_limit(m_context, UINT32_MAX);
    }
    ~Pcre2() override {
        pcre2_match_context_free(m_context);
        pcre2_match_data_free(m_data);
        pcre2_code_free(m_code);
    }
    std::string Name() const override { return m_jit ? "pcre2-jit" : "pcre2-interp"; }
    void Prepare(const std::vector<std::u16string>& inputs) override { m_inputs = &inputs; }
    Outcome Match(std::size_t input) override {
        const std::u16string& s = (*m_inputs)[input];
        const int rc = pcre2_match(m_code, reinterpret_cast<PCRE2_SPTR>(s.c_str()), s.size(), 0,
                                   m_jit ? 0 : PCRE2_NO_JIT, m_data, m_context);
        if (rc <= 0) {
            return {};
        }
        const PCRE2_SIZE* v = pcre2_get_ovector_pointer(m_data);
        Outcome out;
        for (std::uint32_t i = 0; i < pcre2_get_ovector_count(m_data); ++i) {
            const bool set = i < static_cast<std::uint32_t>(rc) && v[2 * i] != PCRE2_UNSET;
            out.push_back(set ? static_cast<std::ptrdiff_t>(v[2 * i]) : -1);
            out.push_back(set ? static_cast<std::ptrdiff_t>(v[2 * i + 1]) : -1);
        }
        return out;
    }

private:
    bool m_jit;
    pcre2_code* m_code = nullptr;
    pcre2_match_data* m_data = nullptr;
    pcre2_match_context* m_context = nullptr;
    const std::vector<std::u16string>* m_inputs = nullptr;
};

class Wregex final : public Peer {
public:
    explicit Wregex(const std::wstring& pattern) : m_regex(pattern, std::regex::ECMAScript) {}
    std::string Name() const override { return "std-wregex"; }
    void Prepare(const std::vector<std::u16string>& inputs) override {
        m_inputs.clear();
        for (const std::u16string& s : inputs) {
            m_inputs.emplace_back(s.begin(), s.end());
        }
    }
    Outcome Match(std::size_t input) override {
        const std::wstring& s = m_inputs[input];
        std::wsmatch m;
        if (!std::regex_search(s, m, m_regex)) {
            return {};
        }
        Outcome out;
        for (std::size_t i = 0; i < m.size(); ++i) {
            out.push_back(m[i].matched ? m.position(i) : -1);
            out.push_back(m[i].matched ? m.position(i) + m.length(i) : -1);
        }
        return out;
    }

private:
    std::wregex m_regex;
    std::vector<std::wstring> m_inputs;
};

} // namespace

std::unique_ptr<Peer> MakeOurs(const std::u16string& pattern) {
    return std::make_unique<Ours>(pattern);
}
std::unique_ptr<Peer> MakePcre2(const std::string& pattern, bool jit) {
    return std::make_unique<Pcre2>(pattern, jit);
}
std::unique_ptr<Peer> MakeWregex(const std::wstring& pattern) {
    return std::make_unique<Wregex>(pattern);
}

} // namespace tessaly::bench
