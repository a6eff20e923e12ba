// The system's font configuration, read ahead of the window's first text, and the face that stands
// in here for the Windows faces the windows name.
#pragma once

#include <QString>

namespace tessaly {

// Reads the font configuration and opens its caches for the whole process, the first and largest
// part of the first text's cost, and returns the family the configuration chooses for Simplified
// Chinese sans-serif text: empty where none covers it, or where fonts are not configured this way.
// Any thread, once, before the first font is used.
QString LoadFontConfiguration();

// Makes the faces the windows name ("宋体", "MS Shell Dlg") and the application's default font that
// family, so that the Chinese text has the same face, sizes and Simplified forms whatever the
// desktop's language. Main thread, before the first window; an empty family changes nothing.
void UseChineseFace(const QString& family);

} // namespace tessaly
