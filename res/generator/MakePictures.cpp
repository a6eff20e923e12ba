// Draws the program's pictures for plain screens (window skin, page-button tabs, banner, icons)
// into res/. Run by hand after changing a picture (res/Pictures.cpp): tessaly_make_pictures <res
// folder>. The output is committed.
#include "res/Pictures.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path) {
    if (image.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Text needs a font database; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <res folder>\n", argv[0]);
        return 2;
    }
    const QString res = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    // Bitmaps are 24-bit, as the button and the window copy them without alpha.
    for (int id : {129, 134, 135, 136, 137, 138, 139, 146})
        ok &= Save(tessaly::res::DrawPicture(id, 1).convertToFormat(QImage::Format_RGB888),
                   QStringLiteral("%1/bitmaps/%2.bmp").arg(res).arg(id));
    ok &= Save(tessaly::res::DrawPicture(128, 1), QStringLiteral("%1/icons/128.png").arg(res));
    // The installed program's icon in the desktop's icon theme, one picture per usual size.
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok &= Save(tessaly::res::DrawMark(size), QStringLiteral("%1/linux/icons/%2.png").arg(res).arg(size));
    for (int id = 140; id <= 144; ++id)
        ok &= Save(tessaly::res::DrawPicture(id, 1), QStringLiteral("%1/icons/%2.png").arg(res).arg(id));
    return ok ? 0 : 1;
}
