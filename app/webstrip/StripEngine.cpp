// The strip's engine switches and profile.
#include "app/webstrip/StripEngine.h"

#include <QWebEngineProfile>

namespace tessaly {
namespace {

constexpr char kFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

} // namespace

QByteArray StripEngineSwitches() {
    // One page needs one renderer process: an error page or a later navigation reuses it
    // rather than starting another. The other switches tried for memory (one process for all,
    // no zygote, low-end device mode, no GPU, no JIT) either saved little against the sandbox and
    // isolation they give up, or cost more than they saved.
    return QByteArrayLiteral("--renderer-process-limit=1");
}

void PrepareStripEngine() {
    const QByteArray theirs = qgetenv(kFlagsVariable);
    const QByteArray ours = StripEngineSwitches();
    if (theirs.contains(ours))
        return;
    // The engine takes the last of a repeated switch: the user's own come after ours and win.
    qputenv(kFlagsVariable, theirs.isEmpty() ? ours : ours + ' ' + theirs);
}

QWebEngineProfile* CreateStripProfile(QObject* parent) {
    // A profile without a storage name is off the record: nothing goes to disk.
    auto* profile = new QWebEngineProfile(parent);
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    return profile;
}

} // namespace tessaly
