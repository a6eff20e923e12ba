// bench_pattern: times our matcher against PCRE2 (interpreter, JIT) and std::wregex on the same
// inputs, compiled once per case; reports "RESULT <case> <peer> <ours/peer time ratio>" from the
// medians of repeated runs (one run per peer on the adversarial pages), whether the peers agree
// with us, and our absolute medians. Then an adversarial search for slow pages ("c-worst-found"),
// the timing of known crafted pages, and how soon a running match leaves after a stop request.
#include "AdversarialSearch.h"
#include "BenchInputs.h"
#include "Peers.h"
#include "pattern/PatternMatcher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pthread.h>
#include <stop_token>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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
    L"<title>([\\s\\S]*?)/"
    L"title>[\\s\\S]+[&](video_id=(?:[\\s\\S]*?))[&](?:[\\s\\S]*?)[&](t=(?:[\\s\\S]*?))[&]",
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

std::vector<std::unique_ptr<Peer>> MakePeers(const Patterns& patterns, bool withWregex) {
    std::vector<std::unique_ptr<Peer>> peers;
    peers.push_back(MakeOurs(patterns.ours));
    peers.push_back(MakePcre2(patterns.pcre2, false));
    peers.push_back(MakePcre2(patterns.pcre2, true));
    if (withWregex) {
        peers.push_back(MakeWregex(patterns.wregex));
    }
    return peers;
}

void PrintMedian(const Case& c, double median, const std::vector<Outcome>& outcomes) {
    std::size_t matches = 0;
    for (const Outcome& o : outcomes) {
        matches += o.empty() ? 0 : 1;
    }
    std::printf("MEDIAN %s ours %.3f ms per pass of %zu inputs (%.2f us each, %zu matched)\n", c.name.c_str(),
                median * 1e3, c.inputs.size(), median * 1e6 / static_cast<double>(c.inputs.size()), matches);
    std::fflush(stdout);
}

// Every peer in this process; runs alternate between the peers, so that load from elsewhere on
// the machine hits all alike.
void RunCase(const Case& c, bool withWregex) {
    std::vector<std::unique_ptr<Peer>> peers = MakePeers(c.patterns, withWregex);
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
    for (std::size_t k = 1; k < peers.size(); ++k) {
        std::size_t agree = 0;
        for (std::size_t i = 0; i < c.inputs.size(); ++i) {
            agree += outcomes[k][i] == outcomes[0][i] ? 1 : 0;
        }
        std::printf("RESULT %s %s %.3f\n", c.name.c_str(), peers[k]->Name().c_str(), medians[0] / medians[k]);
        std::printf("  agree %s %s %zu/%zu\n", c.name.c_str(), peers[k]->Name().c_str(), agree,
                    c.inputs.size());
    }
    PrintMedian(c, medians[0], outcomes[0]);
}

// Ours in this process; each peer for one pass in a child process that gets `budget` seconds,
// since on some adversarial pages the peers run for minutes or hours.
void RunAdversarialCase(const Case& c, bool withWregex, unsigned budget) {
    std::vector<std::unique_ptr<Peer>> peers = MakePeers(c.patterns, withWregex);
    std::vector<Outcome> ours(c.inputs.size());
    peers[0]->Prepare(c.inputs);
    std::vector<double> times;
    for (int run = 0; run < c.runs; ++run) {
        times.push_back(Pass(*peers[0], c.inputs.size(), ours));
    }
    const double median = Median(times);
    for (std::size_t k = 1; k < peers.size(); ++k) {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            alarm(budget);
            peers[k]->Prepare(c.inputs);
            std::vector<Outcome> outcomes(c.inputs.size());
            const double seconds = Pass(*peers[k], c.inputs.size(), outcomes);
            const int agree = outcomes == ours ? 1 : 0;
            const std::string report = std::to_string(seconds) + " " + std::to_string(agree);
            (void)!write(fds[1], report.c_str(), report.size());
            _exit(0);
        }
        close(fds[1]);
        char buffer[64] = {};
        const ssize_t got = read(fds[0], buffer, sizeof buffer - 1);
        close(fds[0]);
        waitpid(child, nullptr, 0);
        double seconds = 0;
        int agree = 0;
        if (got > 0 && std::sscanf(buffer, "%lf %d", &seconds, &agree) == 2) {
            std::printf("RESULT %s %s %.6f\n", c.name.c_str(), peers[k]->Name().c_str(), median / seconds);
            std::printf("  agree %s %s %d/1 (peer %.3f s)\n", c.name.c_str(), peers[k]->Name().c_str(), agree,
                        seconds);
        } else {
            std::printf("RESULT %s %s < %.6f (peer stopped after %u s)\n", c.name.c_str(),
                        peers[k]->Name().c_str(), median / budget, budget);
        }
        std::fflush(stdout);
    }
    PrintMedian(c, median, ours);
}

struct Options {
    bool withWregex = true;
    unsigned budget = 20;
    double searchSeconds = 20;
    std::string saveWorst; // a folder to write the worst pages found into
    bool searchOnly = false;
    std::string profile; // a case whose inputs only ours matches, for a profiler
    int passes = 200;
};

std::u16string Repeat(const std::u16string& piece, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

// Pages that held the plain interpreter for minutes and seconds.
std::vector<NamedPage> CraftedPages() {
    return {
        {"crafted-1",
         Repeat(u"<title>", 292) + Repeat(u"/title>x", 256) + Repeat(u"&video_id=", 409) + u"&yx&&t=c&"},
        {"crafted-2", Repeat(u"<title>", 389) + u"/title>&video_id=&&t=&" + Repeat(u"&video_id=", 544)},
    };
}

void Save(const Options& options, const std::string& name, const std::u16string& page) {
    if (options.saveWorst.empty()) {
        return;
    }
    std::ofstream(options.saveWorst + "/" + name, std::ios::binary) << std::string(page.begin(), page.end());
}

void RunSearch(const Options& options) {
    for (const NamedPage& page : CraftedPages()) {
        std::uint64_t steps = 0;
        bool matched = false;
        const double ms = TimeMatch(kExtraction.ours, page.text, 3, &steps, &matched);
        std::printf("RESULT c-%s ms %.3f\n  steps %llu, matched %d\n", page.name.c_str(), ms,
                    static_cast<unsigned long long>(steps), matched ? 1 : 0);
    }
    struct Target {
        std::string name;
        std::u16string pattern;
        std::vector<std::u16string> pieces;
        double share;
    };
    // Each pattern's literals in its own order (the search's seeds mostly keep that order), and a
    // few units that stand between them.
    const Target targets[] = {
        {"extraction",
         kExtraction.ours,
         {u"<title>", u"x", u"<", u"/title>", u"&", u"video_id=", u"=", u"t=", u"?", u"http://",
          u"youtube.com/"},
         0.75},
        {"address",
         kAddress.ours,
         {u"ab", u"x", u"http://", u"youtube", u".", u"com/", u"/", u"?", u"&"},
         0.25},
    };
    SearchResult worst;
    for (const Target& t : targets) {
        const SearchResult r =
            SearchWorstPage(t.pattern, t.pieces, options.searchSeconds * t.share, 20261207);
        std::printf(
            "RESULT c-worst-found-%s ms %.3f\n  steps %llu, matched %d, %llu pages tried, %zu units: %s\n",
            t.name.c_str(), r.ms, static_cast<unsigned long long>(r.steps), r.matched ? 1 : 0,
            static_cast<unsigned long long>(r.evaluated), r.worstPage.size(), r.shape.c_str());
        std::fflush(stdout);
        Save(options, "worst-" + t.name, r.worstPage);
        if (r.ms > worst.ms) {
            worst = r;
        }
    }
    std::printf("RESULT c-worst-found ms %.3f\nRESULT c-worst-found steps %llu\n  shape: %s\n", worst.ms,
                static_cast<unsigned long long>(worst.steps), worst.shape.c_str());
}

// How long a match without a step limit goes on after its stop is requested.
void RunStopLatency() {
    PatternMatcher matcher;
    matcher.Parse(u"(.+)+x");
    const std::u16string subject = u"x" + std::u16string(400, u'a');
    MatchContext context;
    context.SetStepLimit(0);
    std::stop_source source;
    context.SetStopToken(source.get_token());
    std::chrono::steady_clock::time_point ended;
    std::thread match([&] {
        matcher.Match(subject.c_str(), &context);
        ended = std::chrono::steady_clock::now();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto requested = std::chrono::steady_clock::now();
    source.request_stop();
    match.join();
    std::printf("RESULT c-stop-latency ms %.3f\n",
                std::chrono::duration<double, std::milli>(ended - requested).count());
}

// Ours alone over one case's inputs, so that a profiler sees nothing else.
void RunProfile(const Options& options) {
    const bool address = options.profile == "a-address";
    const std::unique_ptr<Peer> ours = MakeOurs(address ? kAddress.ours : kExtraction.ours);
    std::vector<std::u16string> inputs;
    if (address) {
        inputs = Addresses();
    } else if (options.profile == "b-extraction") {
        inputs = WatchPages();
    }
    for (const NamedPage& page : AdversarialPages()) {
        if (options.profile == "c-" + page.name) {
            inputs.push_back(page.text);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no case %s\n", options.profile.c_str());
        return;
    }
    std::vector<Outcome> outcomes(inputs.size());
    ours->Prepare(inputs);
    std::vector<double> times;
    for (int pass = 0; pass < options.passes; ++pass) {
        times.push_back(Pass(*ours, inputs.size(), outcomes));
    }
    PrintMedian({options.profile, {}, inputs, options.passes}, Median(times), outcomes);
}

void* Main(void* arg) {
    const Options& options = *static_cast<Options*>(arg);
    if (!options.profile.empty()) {
        RunProfile(options);
        return nullptr;
    }
    if (options.searchOnly) {
        RunSearch(options);
        RunStopLatency();
        return nullptr;
    }
    RunCase({"a-address", kAddress, Addresses(), 15}, options.withWregex);
    RunCase({"b-extraction", kExtraction, WatchPages(), 15}, options.withWregex);
    for (const NamedPage& page : AdversarialPages()) {
        RunAdversarialCase({"c-" + page.name, kExtraction, {page.text}, 3}, options.withWregex,
                           options.budget);
    }
    RunSearch(options);
    RunStopLatency();
    return nullptr;
}

} // namespace
} // namespace tessaly::bench

int main(int argc, char** argv) {
    // --no-wregex leaves out std::wregex; --budget=N gives each peer N seconds per adversarial page;
    // --search=N runs the search for slow pages N seconds; --save-worst=DIR writes the worst into DIR;
    // --search-only skips the comparison with the peers; --profile=CASE (a-address, b-extraction or
    // a crafted page's c- case) matches only that case's inputs with ours, --passes=N times (200),
    // for a profiler.
    tessaly::bench::Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-wregex") == 0) {
            options.withWregex = false;
        } else if (std::strncmp(argv[i], "--budget=", 9) == 0) {
            options.budget = static_cast<unsigned>(std::atoi(argv[i] + 9));
        } else if (std::strncmp(argv[i], "--search=", 9) == 0) {
            options.searchSeconds = std::atof(argv[i] + 9);
        } else if (std::strncmp(argv[i], "--save-worst=", 13) == 0) {
            options.saveWorst = argv[i] + 13;
        } else if (std::strcmp(argv[i], "--search-only") == 0) {
            options.searchOnly = true;
        } else if (std::strncmp(argv[i], "--profile=", 10) == 0) {
            options.profile = argv[i] + 10;
        } else if (std::strncmp(argv[i], "--passes=", 9) == 0) {
            options.passes = std::max(1, std::atoi(argv[i] + 9));
        } else {
            std::fprintf(stderr,
                         "usage: %s [--no-wregex] [--budget=seconds] [--search=seconds] [--save-worst=dir] "
                         "[--search-only] [--profile=CASE [--passes=N]]\n",
                         argv[0]);
            return 2;
        }
    }
    // std::regex recurses per subject unit: give it a deep stack.
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, std::size_t{1} << 30);
    pthread_t thread;
    if (pthread_create(&thread, &attr, tessaly::bench::Main, &options) != 0) {
        return 1;
    }
    pthread_join(thread, nullptr);
    return 0;
}
