// Deterministic generation of the benchmark's inputs (fixed seeds, ASCII only, so one byte is
// one code unit and a page of 8191 units is a page of 8191 bytes).
#include "BenchInputs.h"

#include <random>

namespace tessaly::bench {
namespace {

constexpr std::size_t kPageUnits = 8191;

std::u16string U(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

class Random {
public:
    explicit Random(unsigned seed) : m_rng(seed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    std::string Word(int length, const char* alphabet) {
        const std::string letters(alphabet);
        std::string out;
        for (int i = 0; i < length; ++i) {
            out += letters[static_cast<std::size_t>(Below(static_cast<int>(letters.size())))];
        }
        return out;
    }
    std::string Id() { return Word(11, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_"); }

private:
    std::mt19937 m_rng;
};

// Repeats a piece until the page would exceed its size, after a head and before a tail.
std::u16string Fill(const std::string& head, const std::string& piece, const std::string& tail) {
    std::string page = head;
    while (page.size() + piece.size() + tail.size() <= kPageUnits) {
        page += piece;
    }
    return U(page + tail);
}

} // namespace

std::vector<std::u16string> Addresses() {
    Random r(1);
    std::vector<std::u16string> out;
    for (int i = 0; i < 10000; ++i) {
        const std::string id = r.Id();
        std::string a;
        switch (i % 12) {
        case 0:
            a = "http://www.youtube.com/watch?v=" + id;
            break;
        case 1:
            a = "http://youtube.com/watch?v=" + id + "&feature=related";
            break;
        case 2:
            a = "http://uk.youtube.com/watch?v=" + id + "&hl=en-GB";
            break;
        case 3:
            a = "see this one: http://www.youtube.com/watch?v=" + id + " it is great";
            break;
        case 4:
            a = "http://www.youtube.com/watch?v=" + id + "&list=" + r.Word(18, "ABCDEFGHIJ0123456789");
            break;
        case 5:
            a = "http://de.youtube.com/watch?feature=player_embedded&v=" + id;
            break;
        case 6:
            a = "http://www.youtube.com/watch";
            break;
        case 7:
            a = "http://www.example.com/watch?v=" + id;
            break;
        case 8:
            a = "https://www.youtube.com/watch?v=" + id;
            break;
        case 9:
            a = "http://vimeo.com/" + r.Word(8, "0123456789") + "?autoplay=1";
            break;
        case 10:
            a = "www.youtube.com/watch?v=" + id;
            break;
        default:
            a = "hello, have a look at the holiday photos at http://m.youtube.com/user/" +
                r.Word(8, "abcdefgh");
            break;
        }
        out.push_back(U(a));
    }
    return out;
}

std::vector<std::u16string> WatchPages() {
    Random r(2);
    std::vector<std::u16string> out;
    for (int n = 0; n < 40; ++n) {
        std::string page =
            "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html lang=\"en\">\n<head>\n"
            "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">\n"
            "<title>YouTube - " +
            r.Word(8 + r.Below(30), "abcdefghij klmnopqrstuvwxyz") + "</title>\n";
        // Scripts, styles and links with the odd "&" in their addresses.
        while (page.size() < 6200 + static_cast<std::size_t>(r.Below(600))) {
            switch (r.Below(4)) {
            case 0:
                page += "<link rel=\"stylesheet\" href=\"/css/base_all-vfl" + r.Word(5, "0123456789") +
                        ".css?a=1&b=" + r.Word(3, "0123456789") + "\" type=\"text/css\">\n";
                break;
            case 1:
                page += "<script type=\"text/javascript\">var " + r.Word(6, "abcdefgh") + " = {'" +
                        r.Word(8, "abcdefgh") + "': " + r.Word(4, "0123456789") +
                        ", 'lang': 'en'};</script>\n";
                break;
            case 2:
                page += "<a href=\"/results?search_query=" + r.Word(7, "abcdefgh") +
                        "&search=tag\" class=\"hLink\">" + r.Word(9, "abcdefgh ") + "</a>\n";
                break;
            default:
                page += "<div id=\"" + r.Word(6, "abcdefgh") + "\" class=\"" + r.Word(10, "abcdefgh-") +
                        "\"></div>\n";
                break;
            }
        }
        page += "<embed src=\"/player2.swf\" flashvars=\"hl=en&sk=" + r.Word(20, "abcdefghijklmnop0123") +
                "&fs=1&video_id=" + r.Id() + "&l=" + r.Word(3, "0123456789") +
                "&fmt_map=34%2F0%2F9%2F0%2F115" + "&t=" + r.Word(32, "abcdefghijklmnopqrstuvwxyzABCDEF-_") +
                "&plid=" + r.Word(16, "ABCDEFabcdef0123") + "&sdetail=p%3A" + r.Word(12, "abcdef") +
                "&eurl=&iurl=http%3A%2F%2Fi.ytimg.com%2Fvi%2Fdefault.jpg\">\n";
        while (page.size() < kPageUnits - 80) {
            page += "<div class=\"" + r.Word(12, "abcdefgh-") + "\">" + r.Word(20, "abcdefgh ") + "</div>\n";
        }
        page.resize(kPageUnits - 1, ' ');
        out.push_back(U(page));
    }
    return out;
}

std::vector<NamedPage> AdversarialPages() {
    std::vector<NamedPage> out;
    out.push_back({"amp-flood", Fill("<title>t</title>x", "&", "")});
    // Every "video_id=" item is a candidate and every "&" after it an end for both lazy loops,
    // but the final "t=" item has no closing "&".
    out.push_back({"video-ids-no-close", Fill("<title>t</title>x", "&video_id=1", "&t=2")});
    out.push_back({"items-no-close", Fill("<title>t</title>x", "&video_id=&o=", "&t=2")});
    out.push_back({"amp-then-video-ids", Fill("<title>t</title>x&video_id=1", "&", "&t=2")});
    // Every "<title>" is a start, and from each the lazy title loop runs to the end of the page.
    out.push_back({"titles-no-end", Fill("", "<title>", "")});
    out.push_back({"titles-late-end", Fill("", "<title>", "/title>")});
    out.push_back({"titles-late-items", Fill("", "<title>", "/title>x&video_id=1&t=2")});
    // Every start position of the first half runs the lazy title loop to the one end of title and
    // then gives back ".+" over all the "video_id=" items of the second half.
    std::string half;
    while (half.size() < kPageUnits / 2) {
        half += "<title>";
    }
    out.push_back({"titles-then-video-ids", Fill(half + "/title>x", "&video_id=1", "&t=2")});
    out.push_back({"titles-then-amps", Fill(half + "/title>x&video_id=1", "&", "&t=2")});
    out.push_back({"title-then-ids-and-items", Fill("<title>t/title>x", "&video_id=&t=", "")});
    // A fifth of title pairs, each a start whose lazy title loop ends at once, then items with no
    // "t=" at all, or with one that is never closed, or closed at the very end.
    std::string pairs;
    while (pairs.size() + 14 <= kPageUnits / 5) {
        pairs += "<title>/title>";
    }
    out.push_back({"title-pairs-then-ids", Fill(pairs, "&video_id=a&b", "")});
    out.push_back({"title-pairs-then-ids-open-t", Fill(pairs, "&video_id=a&b", "&t=2")});
    out.push_back({"title-pairs-then-ids-closed-t", Fill(pairs, "&video_id=a&b", "&t=2&")});
    // A match at the start, followed by a flood of items that almost make a second one.
    out.push_back({"match-then-ids", Fill("<title>a/title>x&video_id=1&b&t=2&", "&video_id=a", "")});
    out.push_back(
        {"match-then-ids-and-items", Fill("<title>a/title>x&video_id=1&b&t=2&", "&video_id=a&b&t", "")});
    out.push_back(
        {"titles-then-match-then-ids", Fill(half + "/title>x&video_id=1&b&t=2&", "&video_id=a", "")});
    return out;
}

} // namespace tessaly::bench
