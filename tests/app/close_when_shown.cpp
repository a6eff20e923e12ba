// The program as it runs, closing its main window through the window's own close as soon as it
// runs; it first says whether its single-instance lock was there: "LOCKED 1" or "LOCKED 0".
#include "app/CorvaneApp.h"
#include "app/InstanceLock.h"

#include <QDialog>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

namespace {

class ClosingApp : public tessaly::CorvaneApp {
protected:
    void MainWindowCreated(QDialog& window) override {
        const QString lock = tessaly::InstanceLock::PathFor(QString::fromLatin1(kInstanceName));
        std::printf("LOCKED %d\n", QFileInfo::exists(lock) ? 1 : 0);
        std::fflush(stdout);
        QTimer::singleShot(0, &window, &QWidget::close);
    }
};

} // namespace

int main(int argc, char** argv) {
    return ClosingApp().Run(argc, argv);
}
