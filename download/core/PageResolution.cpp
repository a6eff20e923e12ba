// Page resolution: the address check, the extraction of title and stream parameters, the file
// name, the stream address and the local path. Both patterns are compiled afresh per call.
#include "download/core/PageResolution.h"

#include "pattern/PatternMatcher.h"

#include <algorithm>
#include <cstdint>

namespace tessaly {
namespace {

// "." is left unescaped throughout: it matches any one code unit, the dot of the domain too.
constexpr char16_t kAddressPattern[] = u"http://([a-zA-Z0-9][a-zA-Z0-9][a-zA-Z0-9]?.)?youtube.com/.+\\?.+";

// Groups: 0 the title up to and including the "<" of its closing tag, 1 the "video_id=" item,
// 2 the "t=" item; one "&"-separated item between them is skipped.
constexpr char16_t kExtractionPattern[] =
    u"<title>{.*?}/title>.+[\\&]{video_id=(.*?)}[\\&](.*?)[\\&]{t=(.*?)}[\\&]";

// A group longer than this ends the extraction (a title therefore keeps at most 79 units).
constexpr std::ptrdiff_t kMaxGroupUnits = 80;
constexpr std::uint32_t kExtractionGroups = 3;

constexpr std::size_t kMinAddressUnits = 8;
constexpr std::size_t kHostSearchStart = 8;
constexpr std::size_t kMinHostEnd = 10;

void RemoveAll(std::u16string& text, char16_t unit) {
    std::erase(text, unit);
}

// One left-to-right pass, each replacement resuming after the text it wrote.
void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::u16string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

} // namespace

bool IsWatchPageAddress(std::u16string_view text) {
    PatternMatcher matcher;
    if (matcher.Parse(kAddressPattern) != ParseOk)
        return false;
    const std::u16string subject(text); // the matcher reads up to a terminating 0
    MatchContext context;
    return matcher.Match(subject.c_str(), &context);
}

ResolveResult ExtractVideoFields(std::u16string_view pageText, std::stop_token stop) {
    ResolveResult result;
    PatternMatcher matcher;
    if (matcher.Parse(kExtractionPattern) != ParseOk)
        return result;
    const std::u16string subject(pageText);
    MatchContext context;
    context.SetStopToken(std::move(stop));
    if (!matcher.Match(subject.c_str(), &context))
        return result;

    const std::u16string_view text(subject);
    for (std::uint32_t i = 0; i < context.GroupCount(); ++i) {
        const MatchGroup& group = context.Group(i);
        const std::ptrdiff_t length = group.Length();
        if (context.GroupCount() < kExtractionGroups || length > kMaxGroupUnits)
            break;
        result.success = true;
        const std::u16string_view captured =
            group.IsPresent()
                ? text.substr(static_cast<std::size_t>(group.start), static_cast<std::size_t>(length))
                : std::u16string_view();
        if (i == 0) {
            if (!captured.empty())
                result.title.append(captured.substr(0, captured.size() - 1));
        } else if (i == 1) {
            result.query.append(captured);
        } else if (i == 2) {
            result.query.append(u"&");
            result.query.append(captured);
        }
    }
    return result;
}

std::u16string MakeVideoFileName(std::u16string_view title) {
    std::u16string name(title);
    name.append(u".flv");
    RemoveAll(name, u'\\');
    RemoveAll(name, u'/');
    std::replace(name.begin(), name.end(), u':', u' ');
    for (const char16_t unit : std::u16string_view(u"*?|\"<>;"))
        RemoveAll(name, unit);
    return name;
}

std::optional<std::u16string> BuildStreamAddress(std::u16string_view pageAddress, std::u16string_view query) {
    if (pageAddress.size() < kMinAddressUnits)
        return std::nullopt;
    const std::size_t hostEnd = pageAddress.find(u'/', kHostSearchStart);
    if (hostEnd == std::u16string_view::npos || hostEnd < kMinHostEnd)
        return std::nullopt;
    std::u16string address(pageAddress.substr(0, hostEnd));
    address.append(u"/get_video?");
    address.append(query);
    return address;
}

std::u16string JoinFolderPath(std::u16string_view folder, std::u16string_view fileName) {
    std::u16string path(folder);
    path.push_back(u'/');
    ReplaceAll(path, u"//", u"/");
    path.append(fileName);
    return path;
}

} // namespace tessaly
