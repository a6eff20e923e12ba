// The main window's two skinned page buttons (1009 download page, 1010 player page), configured
// with their pictures, key colours, captions and fonts. UI thread.
#pragma once

#include <QRect>

class QAbstractButton;
class QWidget;

namespace tessaly {

enum class PageButton { Download, Play };

// Creates and configures the button of one page at rect (client pixels of parent).
QAbstractButton* CreatePageButton(QWidget* parent, PageButton which, const QRect& rect);
// Shows the Disabled picture in the Normal state (the hidden page's button); repaints when ready.
void SetAlternateNormal(QAbstractButton* button, bool on);
// Whether the Normal state currently shows the Disabled picture.
bool AlternateNormal(const QAbstractButton* button);

} // namespace tessaly
