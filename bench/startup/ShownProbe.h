// Start-up probe shared by the two bench programs: prints "PAINTING" when the window's first paint
// begins and "SHOWN" once that first frame is whole (every child painted, the frame handed to the
// window system: the first moment the user sees the window as it is); then, after a second of
// idling, "RSS <kB>" (resident set) and "PSS idle <kB> <processes>" (the whole process tree) and
// quits; or, given a follow-up, runs that instead of idling.
#pragma once

#include "TreePss.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>

class ShownProbe : public QObject {
public:
    explicit ShownProbe(QWidget* window, std::function<void()> afterShown = {})
        : m_afterShown(std::move(afterShown)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_shown) {
            m_shown = true;
            std::printf("PAINTING\n");
            std::fflush(stdout);
            // The window's own paint comes first; its children and the flush follow in the same
            // pass, before the event loop turns again.
            QTimer::singleShot(0, qApp, [this] { FrameShown(); });
        }
        return false;
    }

private:
    void FrameShown() {
        std::printf("SHOWN\n");
        std::fflush(stdout);
        if (m_afterShown) {
            m_afterShown();
            return;
        }
        QTimer::singleShot(1000, qApp, [] {
            const bench::TreeMemory tree = bench::TreePss();
            std::printf("RSS %ld\nPSS idle %ld %d\n", ResidentKb(), tree.pssKb, tree.processes);
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }

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

    std::function<void()> m_afterShown;
    bool m_shown = false;
};
