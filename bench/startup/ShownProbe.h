// Start-up probe shared by the two bench programs: prints "SHOWN" when the window is first
// painted, then, after a second of idling, "RSS <kB>" (resident set) and quits.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>

class ShownProbe : public QObject {
public:
    explicit ShownProbe(QWidget* window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_shown) {
            m_shown = true;
            std::printf("SHOWN\n");
            std::fflush(stdout);
            QTimer::singleShot(1000, qApp, [] {
                std::printf("RSS %ld\n", ResidentKb());
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return false;
    }

private:
    static long ResidentKb() {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toLong();
        }
        return -1;
    }

    bool m_shown = false;
};
