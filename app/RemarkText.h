// The trademark remark, shown in the About box and on the main window's side panel.
// Lines are separated by carriage returns only, as the window's text drawing breaks them.
#pragma once

#include <QString>

class QPainter;
class QRect;

namespace tessaly {

// About box: heading, one sentence, an empty line, the tool's independence.
inline QString AboutRemarkText() {
    return QStringLiteral("备注:\rYouTube 是同名网站 youtube.com 的注册商标。\r\r"
                          "本软件是独立于 YouTube 开发的辅助下载工具。");
}

// Side panel: the same content broken to fit 140 pixels, an empty line between lines.
inline QString PanelRemarkText() {
    return QStringLiteral("备注:\r\rYouTube是同名视频网站\r\rwww.youtube.com 的\r\r注册商标；本软件是独\r\r"
                          "立开发的辅助下载工具。");
}

// Draws text whose lines end at carriage returns, one line every lineStep pixels, top-left
// aligned, no wrapping, clipped to r.
void DrawCrText(QPainter& painter, const QRect& r, const QString& text, int lineStep);

} // namespace tessaly
