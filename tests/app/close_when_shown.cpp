// The program as it runs, closing its main window through the window's own close as soon as it
// runs. It first says whether its single-instance lock was there ("LOCKED 1" or "LOCKED 0") and
// what a message box's standard buttons read ("BUTTONS <ok> <cancel>"), and the faces its text and
// the application's have ("FACES <window's>|<application's>").
#include "app/CorvaneApp.h"
#include "app/InstanceLock.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

class ClosingApp : public tessaly::CorvaneApp {
protected:
    void MainWindowCreated(QDialog& window) override {
        const QString lock = tessaly::InstanceLock::PathFor(QString::fromLatin1(kInstanceName));
        std::printf("LOCKED %d\n", QFileInfo::exists(lock) ? 1 : 0);
        QMessageBox box(QMessageBox::NoIcon, {}, {}, QMessageBox::Ok | QMessageBox::Cancel);
        std::printf("BUTTONS %s %s\n", box.button(QMessageBox::Ok)->text().toUtf8().constData(),
                    box.button(QMessageBox::Cancel)->text().toUtf8().constData());
        std::printf("FACES %s|%s\n", QFontInfo(window.font()).family().toUtf8().constData(),
                    QFontInfo(QApplication::font()).family().toUtf8().constData());
        std::fflush(stdout);
        QTimer::singleShot(0, &window, &QWidget::close);
    }
};

} // namespace

int main(int argc, char** argv) {
    return ClosingApp().Run(argc, argv);
}
