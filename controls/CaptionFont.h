// The caption font of one button state, made from a logical-font height and a face name.
#pragma once

#include <QFont>
#include <QString>

namespace tessaly {

// Face names are cut to 31 characters, the platform's limit.
constexpr int kMaxFaceNameLength = 31;

// height < 0: character height of -height pixels; height > 0: cell height (ascent + descent) of
// height pixels; 0: the default size. Normal weight, antialiased.
QFont MakeCaptionFont(int height, const QString& faceName);

// The logical-font height of font as drawn on a screen of dpi dots per inch (negative: character height).
int LogicalFontHeight(const QFont& font, int dpi);

} // namespace tessaly
