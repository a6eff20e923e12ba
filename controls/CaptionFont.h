// The caption font of one button state, made from a logical-font height and a face name.
#pragma once

#include <QFont>
#include <QString>

namespace tessaly {

// The program's Chinese face, by the name its windows know it by: a face whose character cell is
// exactly its em. Another face stands in for it here.
inline const QString kSongTi = QStringLiteral("宋体");

// Face names are cut to 31 characters, the platform's limit.
constexpr int kMaxFaceNameLength = 31;

// height < 0: character height of -height pixels; height > 0: cell height (ascent + descent) of
// height pixels; 0: the default size. Normal weight, antialiased.
QFont MakeCaptionFont(int height, const QString& faceName);

// How far below the top of its character cell a line of font has its baseline: the face's ascent,
// but for "宋体", whose cell is its em, where the em box of the Chinese face standing in for it
// fills the cell (that face's own cell is taller, and its ascent would set the text below).
qreal CellAscent(const QFont& font);

// The logical-font height of font as drawn on a screen of dpi dots per inch (negative: character height).
int LogicalFontHeight(const QFont& font, int dpi);

} // namespace tessaly
