// The player control as a screen reader sees it: the movie's window lies inside it as a window of
// its own, which the widgets' accessibility tree does not reach, so the control gives the movie's
// root item (its controls with their roles and names) as its one child. UI thread.
#pragma once

namespace tessaly {

// Makes every player control answer for its movie; once per process, before the first control is
// asked for.
void InstallMovieAccessibility();

} // namespace tessaly
