// The program as it runs, closing its main window through the window's own close as soon as it
// runs. It first says whether its single-instance lock was there ("LOCKED 1" or "LOCKED 0") and
// what a message box's standard buttons read ("BUTTONS <ok> <cancel>"), and the faces its text and
// the application's have ("FACES <window's>|<application's>").
// With TESSALY_TEST_ADDRESS and TESSALY_TEST_FOLDER set, it first downloads that address into that
// folder and closes once a line arrives on its standard input, answering the close question with
// OK, as a user closing during a download does; it then says how long the close took
// ("ENDED <ms>").
#include "app/CorvaneApp.h"
#include "app/InstanceLock.h"
#include "download/page/DownloaderDlg.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

QElapsedTimer g_sinceClose;

// Starts a download of address into folder, and closes the window on the next line of input.
void DownloadThenCloseOnInput(QDialog& window, const char* address, const char* folder) {
    tessaly::appSettings().SetDownloadFolder(QString::fromUtf8(folder).toStdU16String());
    auto* page = window.findChild<tessaly::DownloaderDlg*>();
    page->findChild<QLineEdit*>(QStringLiteral("url"))->setText(QString::fromUtf8(address));
    page->OnDownload();
    std::printf("TASKS %d\n", page->TaskCount());
    std::fflush(stdout);
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &window);
    QObject::connect(input, &QSocketNotifier::activated, &window, [&window, input] {
        input->setEnabled(false);
        // The close question's OK, as soon as it shows.
        auto* answer = new QTimer(&window);
        QObject::connect(answer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        answer->start(10);
        g_sinceClose.start();
        window.close();
    });
}

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
        const char* address = std::getenv("TESSALY_TEST_ADDRESS");
        const char* folder = std::getenv("TESSALY_TEST_FOLDER");
        if (address && folder)
            DownloadThenCloseOnInput(window, address, folder);
        else
            QTimer::singleShot(0, &window, &QWidget::close);
    }
};

} // namespace

int main(int argc, char** argv) {
    const int status = ClosingApp().Run(argc, argv);
    if (g_sinceClose.isValid())
        std::printf("ENDED %lld\n", static_cast<long long>(g_sinceClose.elapsed()));
    return status;
}
