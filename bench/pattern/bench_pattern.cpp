// bench_pattern: times our matcher against PCRE2 (interpreter, JIT) and std::wregex on the same
// inputs, compiled once per case; reports "RESULT <case> <peer> <ours/peer time ratio>" from the
// medians of repeated runs, whether the peers agree with us, and our absolute medians.
#include "BenchInputs.h"
#include "Peers.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace tessaly::bench {
namespace {

struct Case {
    std::string name;
    Patterns patterns;
    std::vector<std::u16string> inputs;
    int runs;
};

const Patterns kAddress = {
    u"http://([a-zA-Z0-9][a-zA-Z0-9][a-zA-Z0-9]?.)?youtube.com/.+\\?.+",
    "http://(?:[a-zA-Z0-9][a-zA-Z0-9][a-zA-Z0-9]?.)?youtube.com/.+\\?.+",
    L"http://(?:[a-zA-Z0-9][a-zA-Z0-9][a-zA-Z0-9]?[\\s\\S])?youtube[\\s\\S]com/[\\s\\S]+\\?[\\s\\S]+",
};

const Patterns kExtraction = {
    u"<title>{.*?}/title>.+[\\&]{video_id=(.*?)}[\\&](.*?)[\\&]{t=(.*?)}[\\&]",
    "<title>(.*?)/title>.+[&](video_id=(?:.*?))[&](?:.*?)[&](t=(?:.*?))[&]",
    L"<title>([\\s\\S]*?)/title>[\\s\\S]+[&](video_id=(?:[\\s\\S]*?))[&](?:[\\s\\S]*?)[&](t=(?:[\\s\\S]*?))[&]",
};

// Seconds for one pass over all inputs; the outcomes of the last pass are kept.
double Pass(Peer& peer, std::size_t count, std::vector<Outcome>& outcomes) {
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        outcomes[i] = peer.Match(i);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void RunCase(const Case& c, bool withWregex) {
    std::vector<std::unique_ptr<Peer>> peers;
    peers.push_back(MakeOurs(c.patterns.ours));
    peers.push_back(MakePcre2(c.patterns.pcre2, false));
    peers.push_back(MakePcre2(c.patterns.pcre2, true));
    if (withWregex) {
        peers.push_back(MakeWregex(c.patterns.wregex));
    }
    // Runs alternate between the peers, so that load from elsewhere on the machine hits all alike.
    std::vector<std::vector<double>> times(peers.size());
    std::vector<std::vector<Outcome>> outcomes(peers.size(), std::vector<Outcome>(c.inputs.size()));
    for (const std::unique_ptr<Peer>& peer : peers) {
        peer->Prepare(c.inputs);
    }
    for (int run = 0; run < c.runs; ++run) {
        for (std::size_t k = 0; k < peers.size(); ++k) {
            times[k].push_back(Pass(*peers[k], c.inputs.size(), outcomes[k]));
        }
    }
    std::vector<double> medians;
    for (const std::vector<double>& t : times) {
        medians.push_back(Median(t));
    }
    std::size_t matches = 0;
    for (const Outcome& o : outcomes[0]) {
        matches += o.empty() ? 0 : 1;
    }
    for (std::size_t k = 1; k < peers.size(); ++k) {
        std::size_t agree = 0;
        for (std::size_t i = 0; i < c.inputs.size(); ++i) {
            agree += outcomes[k][i] == outcomes[0][i] ? 1 : 0;
        }
        std::printf("RESULT %s %s %.3f\n", c.name.c_str(), peers[k]->Name().c_str(), medians[0] / medians[k]);
        std::printf("  agree %s %s %zu/%zu\n", c.name.c_str(), peers[k]->Name().c_str(), agree, c.inputs.size());
    }
    std::printf("MEDIAN %s ours %.3f ms per pass of %zu inputs (%.2f us each, %zu matched)\n", c.name.c_str(),
                medians[0] * 1e3, c.inputs.size(), medians[0] * 1e6 / static_cast<double>(c.inputs.size()), matches);
    std::fflush(stdout);
}

void* Main(void* arg) {
    const bool withWregex = *static_cast<bool*>(arg);
    RunCase({"a-address", kAddress, Addresses(), 15}, withWregex);
    RunCase({"b-extraction", kExtraction, WatchPages(), 15}, withWregex);
    for (const NamedPage& page : AdversarialPages()) {
        RunCase({"c-" + page.name, kExtraction, {page.text}, 3}, withWregex);
    }
    return nullptr;
}

} // namespace
} // namespace tessaly::bench

int main(int argc, char** argv) {
    // --no-wregex leaves out std::wregex, whose adversarial runs take long.
    bool withWregex = !(argc > 1 && std::strcmp(argv[1], "--no-wregex") == 0);
    // std::regex recurses per subject unit: give it a deep stack.
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, std::size_t{1} << 30);
    pthread_t thread;
    if (pthread_create(&thread, &attr, tessaly::bench::Main, &withWregex) != 0) {
        return 1;
    }
    pthread_join(thread, nullptr);
    return 0;
}
