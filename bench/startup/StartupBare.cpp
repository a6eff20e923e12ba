// A bare Qt dialog of the same size: the yardstick for the program's start-up.
#include "ShownProbe.h"

#include <QDialog>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dlg;
    dlg.setFixedSize(779, 551);
    ShownProbe probe(&dlg);
    dlg.show();
    return app.exec();
}
