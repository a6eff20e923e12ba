// The benchmark's inputs, generated deterministically: addresses for the address check, realistic
// watch pages and adversarial pages for the extraction pattern.
#pragma once

#include <string>
#include <vector>

namespace tessaly::bench {

// About 10,000 addresses, half of them watch-page addresses, half refused.
std::vector<std::u16string> Addresses();

// Realistic pages of just under 8 KiB: a title, scripts, many "&"-separated parameters, the
// "video_id=" and "t=" items near the end.
std::vector<std::u16string> WatchPages();

// Adversarial pages of just under 8 KiB, each with its name.
struct NamedPage {
    std::string name;
    std::u16string text;
};
std::vector<NamedPage> AdversarialPages();

} // namespace tessaly::bench
