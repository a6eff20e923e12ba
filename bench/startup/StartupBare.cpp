// A bare Qt dialog of the same size: the yardstick for the program's start-up. Given "label", it
// shows one line of Chinese text as well: what the first text of any window costs.
#include "ShownProbe.h"

#include <QDialog>
#include <QLabel>
#include <cstring>

int main(int argc, char** argv) {
    const bool label = argc > 1 && std::strcmp(argv[1], "label") == 0;
    QApplication app(argc, argv);
    QDialog dlg;
    dlg.setFixedSize(779, 551);
    if (label)
        (new QLabel(QStringLiteral("视频网页地址："), &dlg))->move(20, 20);
    ShownProbe probe(&dlg);
    dlg.show();
    return app.exec();
}
