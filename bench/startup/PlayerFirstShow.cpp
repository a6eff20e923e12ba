// The first switch to the player page, run as the program runs it: once the main window has been
// shown and has settled, its play-page button is clicked. Prints "PLAYER_SHOWN <ms>" (click to the
// page's first paint having reached the window), "WINDOW same|new" (whether the main window kept
// its native window), "MOVIE_SHOWN <ms>" (click to the movie's own window being drawn on) and quits.
#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <memory>

namespace {

constexpr int kSettleMs = 1500;

class FirstShowProbe : public QObject {
public:
    explicit FirstShowProbe(tessaly::CorvaneDlg& window) : m_window(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_windowShown) {
            m_windowShown = true;
            QTimer::singleShot(kSettleMs, this, [this] { Click(); });
        } else if (m_clicked.isValid() && event->type() == QEvent::Paint && !m_pageShown &&
                   watched == m_window.playerPage()) {
            m_pageShown = true;
            // Painting ends with the flush to the window; the next turn of the loop comes after it.
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return false;
    }

private:
    void Click() {
        m_nativeWindow = m_window.winId();
        qApp->installEventFilter(this);
        m_clicked.start();
        m_window.playPageButton()->click();
    }

    void Report() {
        std::printf("PLAYER_SHOWN %.1f\n", m_clicked.nsecsElapsed() / 1e6);
        std::printf("WINDOW %s\n", m_window.winId() == m_nativeWindow ? "same" : "new");
        std::fflush(stdout);
        WaitForMovie();
    }

    void WaitForMovie() {
        const QList<QWindow*> inner = m_window.windowHandle()->findChildren<QWindow*>();
        if (inner.isEmpty() || !inner.first()->isExposed()) {
            QTimer::singleShot(5, this, [this] { WaitForMovie(); });
            return;
        }
        std::printf("MOVIE_SHOWN %.1f\n", m_clicked.nsecsElapsed() / 1e6);
        std::fflush(stdout);
        QApplication::exit(0);
    }

    tessaly::CorvaneDlg& m_window;
    QElapsedTimer m_clicked;
    WId m_nativeWindow = 0;
    bool m_windowShown = false;
    bool m_pageShown = false;
};

class ProbedApp : public tessaly::CorvaneApp {
protected:
    void MainWindowCreated(QDialog& window) override {
        m_probe = std::make_unique<FirstShowProbe>(static_cast<tessaly::CorvaneDlg&>(window));
    }

private:
    std::unique_ptr<FirstShowProbe> m_probe;
};

} // namespace

int main(int argc, char** argv) {
    return ProbedApp().Run(argc, argv);
}
