// How the strip's web engine is set up for a small page in a program that sits open for hours:
// the engine's start-up switches and the strip's profile, kept in this one place. Browser module;
// UI thread.
#pragma once

#include <QByteArray>

class QObject;
class QWebEngineProfile;

namespace tessaly {

// The engine's switches for the strip, as the engine reads them from its flags variable.
QByteArray StripEngineSwitches();

// Puts StripEngineSwitches() into the engine's flags variable, before any the user has set there.
// Has effect only before the engine has started, that is, before the first browser is made.
void PrepareStripEngine();

// A profile kept off the record, with no HTTP cache and no cookies kept: the strip shows one page
// once, so nothing it loads is worth keeping, in memory or on disk. Owned by parent.
QWebEngineProfile* CreateStripProfile(QObject* parent);

} // namespace tessaly
