// The system's font configuration, read ahead of the window's first text. Any thread, once, before
// the first font is used.
#pragma once

namespace tessaly {

// Reads the font configuration and opens its caches for the whole process, the first and largest
// part of the first text's cost. Does nothing where the fonts are not configured this way.
void LoadFontConfiguration();

} // namespace tessaly
