// Draws the program's pictures in logical pixels onto images of any density.
#include "res/Pictures.h"

#include "res/Resources.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <cmath>

namespace tessaly::res {
namespace {

// An image of w x h logical pixels for the given density; a painter on it draws in logical pixels.
QImage Canvas(int w, int h, qreal scale, QImage::Format format) {
    QImage image(static_cast<int>(std::lround(w * scale)), static_cast<int>(std::lround(h * scale)), format);
    image.setDevicePixelRatio(scale);
    return image;
}

const QColor kPanelTop(22, 70, 128);
const QColor kPanelBottom(12, 44, 86);
const QColor kInk(12, 62, 113);
const QColor kMagenta(255, 0, 255);

// The program's mark: a rounded square with a play triangle over a download arrow.
void PaintMark(QPainter& p, const QRectF& r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, QColor(66, 165, 245));
    fill.setColorAt(1, QColor(21, 101, 192));
    p.setPen(QPen(QColor(255, 255, 255), r.width() / 24.0));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), r.width() / 5, r.width() / 5);
    const double w = r.width();
    const double x = r.left();
    const double y = r.top();
    QPolygonF play;
    play << QPointF(x + w * 0.34, y + w * 0.20) << QPointF(x + w * 0.34, y + w * 0.60)
         << QPointF(x + w * 0.70, y + w * 0.40);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(play);
    p.setBrush(QColor(255, 213, 79));
    p.drawRect(QRectF(x + w * 0.22, y + w * 0.72, w * 0.56, w * 0.08));
    p.restore();
}

struct TitleLine {
    int pixelSize;
    QRect rect;
    QString text;
};

// The program's name in heavy white with a lighter line below it, beside the mark. The name is
// the regular face struck twice, a pixel apart, as the pages' headings are: the windows draw these
// pictures for dense screens, and a bold Chinese face would map megabytes for two lines.
void PaintTitle(QPainter& p, const TitleLine& title, const TitleLine& below, const QColor& belowColour) {
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont face(QStringLiteral("Noto Sans CJK SC"));
    face.setPixelSize(title.pixelSize);
    face.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    p.setFont(face);
    p.setPen(QColor(255, 255, 255));
    p.drawText(title.rect, Qt::AlignLeft | Qt::AlignVCenter, title.text);
    p.drawText(title.rect.translated(1, 0), Qt::AlignLeft | Qt::AlignVCenter, title.text);
    QFont plain(QStringLiteral("Noto Sans CJK SC"));
    plain.setPixelSize(below.pixelSize);
    p.setFont(plain);
    p.setPen(belowColour);
    p.drawText(below.rect, Qt::AlignLeft | Qt::AlignVCenter, below.text);
}

// 129: the whole window skin, 778 x 550.
QImage Skin(qreal scale) {
    QImage image = Canvas(778, 550, scale, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, 778, 550), QColor(255, 255, 255));

    QLinearGradient band(0, 0, 0, 90);
    band.setColorAt(0, QColor(246, 250, 254));
    band.setColorAt(1, QColor(221, 234, 247));
    p.fillRect(QRect(200, 0, 578, 90), band);
    p.fillRect(QRect(200, 89, 578, 1), QColor(24, 141, 220));

    QLinearGradient panel(0, 0, 0, 550);
    panel.setColorAt(0, kPanelTop);
    panel.setColorAt(1, kPanelBottom);
    p.fillRect(QRect(0, 0, 200, 550), panel);
    p.fillRect(QRect(199, 0, 1, 550), QColor(9, 36, 70));

    PaintMark(p, QRectF(18, 22, 48, 48));
    PaintTitle(p, {26, QRect(74, 20, 124, 34), QStringLiteral("Tessaly")},
               {12, QRect(76, 52, 124, 20), QStringLiteral("视频下载 · 播放")}, QColor(190, 208, 222));
    p.fillRect(QRect(18, 92, 164, 1), QColor(60, 110, 170));
    p.fillRect(QRect(18, 236, 164, 1), QColor(60, 110, 170));
    return image;
}

// Cuts the rounded left corners: 4, 2, 1 and 1 magenta pixels on the rows nearest each corner.
void CutCorners(QImage& image) {
    const int h = image.height();
    const int cut[4] = {4, 2, 1, 1};
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < cut[row]; ++x) {
            image.setPixelColor(x, row, kMagenta);
            image.setPixelColor(x, h - 1 - row, kMagenta);
        }
    }
}

enum class Look { Shown, Hidden, Hover };
enum class Glyph { Download, Play };

// 134-139: a 173 x 27 tab that reaches the content area on its right edge. Only the picture for
// plain screens has its corners cut: a button takes its outline from that one, at every density.
QImage Tab(Look look, Glyph glyph, qreal scale) {
    QImage image = Canvas(173, 27, scale, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, 27);
    QColor edge;
    switch (look) {
    case Look::Shown:
        fill.setColorAt(0, QColor(255, 255, 255));
        fill.setColorAt(1, QColor(231, 241, 251));
        edge = QColor(120, 170, 220);
        break;
    case Look::Hidden:
        fill.setColorAt(0, QColor(150, 184, 218));
        fill.setColorAt(1, QColor(112, 152, 196));
        edge = QColor(70, 118, 170);
        break;
    case Look::Hover:
        fill.setColorAt(0, QColor(255, 248, 225));
        fill.setColorAt(1, QColor(253, 226, 160));
        edge = QColor(214, 160, 60);
        break;
    }
    p.fillRect(QRect(0, 0, 173, 27), fill);
    p.setPen(edge);
    p.drawLine(4, 0, 172, 0);
    p.drawLine(4, 26, 172, 26);
    p.drawLine(0, 4, 0, 22);
    p.drawPoint(2, 1);
    p.drawPoint(3, 1);
    p.drawPoint(1, 2);
    p.drawPoint(1, 3);
    p.drawPoint(2, 25);
    p.drawPoint(3, 25);
    p.drawPoint(1, 24);
    p.drawPoint(1, 23);

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(look == Look::Hidden ? QColor(40, 80, 130) : kInk);
    if (glyph == Glyph::Play) {
        QPolygonF play;
        play << QPointF(14, 8) << QPointF(14, 19) << QPointF(23, 13.5);
        p.drawPolygon(play);
    } else {
        QPolygonF arrow;
        arrow << QPointF(16, 6) << QPointF(21, 6) << QPointF(21, 12) << QPointF(24.5, 12) << QPointF(18.5, 19)
              << QPointF(12.5, 12) << QPointF(16, 12);
        p.drawPolygon(arrow);
        p.drawRect(QRectF(12.5, 20, 12, 1.6));
    }
    p.end();
    if (scale == 1)
        CutCorners(image);
    return image;
}

// 146: the banner of the web strip, 514 x 68.
QImage Banner(qreal scale) {
    QImage image = Canvas(514, 68, scale, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 514, 0);
    fill.setColorAt(0, QColor(21, 101, 192));
    fill.setColorAt(1, QColor(66, 165, 245));
    p.fillRect(QRect(0, 0, 514, 68), fill);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QPointF(470, 10), 60, 60);
    p.drawEllipse(QPointF(400, 70), 40, 40);
    PaintMark(p, QRectF(14, 10, 48, 48));
    PaintTitle(p, {22, QRect(76, 8, 420, 30), QStringLiteral("Tessaly 视频下载与播放")},
               {13, QRect(78, 38, 420, 22), QStringLiteral("粘贴网页地址，一键下载，随时播放")},
               QColor(227, 242, 253));
    return image;
}

QImage NewIcon(int size, qreal scale) {
    QImage image = Canvas(size, size, scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// A state icon's coloured disc over the whole icon, leaving the painter to draw its white mark.
void Disc(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(QColor(255, 255, 255), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// 140-144: the task states (analysing, failed, done, waiting, receiving), 16 x 16.
QImage StateIcon(int id, qreal scale) {
    QImage image = NewIcon(16, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (id) {
    case 140: // analysing: a magnifier
        p.setPen(QPen(QColor(21, 101, 192), 2));
        p.setBrush(QColor(187, 222, 251));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.setPen(QPen(QColor(21, 101, 192), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        break;
    case 141: // failed: a red disc with a cross
        Disc(p, QColor(211, 47, 47));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
        break;
    case 142: // done: a green disc with a tick
        Disc(p, QColor(56, 142, 60));
        p.drawPolyline(QPolygonF() << QPointF(4, 8.5) << QPointF(7, 11.5) << QPointF(12, 5));
        break;
    case 143: // waiting: a clock
        p.setPen(QPen(QColor(245, 124, 0), 1.5));
        p.setBrush(QColor(255, 243, 224));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(QColor(120, 60, 0), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
        break;
    case 144: // receiving: a blue disc with a downward arrow
        Disc(p, QColor(25, 118, 210));
        p.drawLine(QPointF(8, 3.5), QPointF(8, 11));
        p.drawPolyline(QPolygonF() << QPointF(4.5, 8) << QPointF(8, 11.5) << QPointF(11.5, 8));
        break;
    }
    return image;
}

} // namespace

QImage DrawMark(int size) {
    QImage image = NewIcon(size, 1);
    QPainter p(&image);
    PaintMark(p, QRectF(0, 0, size, size));
    return image;
}

QImage DrawPicture(int id, qreal scale) {
    switch (id) {
    case IDB_SKIN:
        return Skin(scale);
    case IDB_DOWNLOAD_PAGE_NORMAL:
        return Tab(Look::Shown, Glyph::Download, scale);
    case IDB_DOWNLOAD_PAGE_DISABLED:
        return Tab(Look::Hidden, Glyph::Download, scale);
    case IDB_DOWNLOAD_PAGE_HOVER:
        return Tab(Look::Hover, Glyph::Download, scale);
    case IDB_PLAY_PAGE_NORMAL:
        return Tab(Look::Shown, Glyph::Play, scale);
    case IDB_PLAY_PAGE_DISABLED:
        return Tab(Look::Hidden, Glyph::Play, scale);
    case IDB_PLAY_PAGE_HOVER:
        return Tab(Look::Hover, Glyph::Play, scale);
    case IDB_BANNER:
        return Banner(scale);
    case IDR_MAINFRAME: {
        // Drawn at its size in device pixels, as the desktop's icon sizes are.
        QImage image = DrawMark(static_cast<int>(std::lround(32 * scale)));
        image.setDevicePixelRatio(scale);
        return image;
    }
    case IDI_TASK_ANALYSING:
    case IDI_TASK_FAILED:
    case IDI_TASK_DONE:
    case IDI_TASK_WAITING:
    case IDI_TASK_RECEIVING:
        return StateIcon(id, scale);
    default:
        return {};
    }
}

} // namespace tessaly::res
