// The memory benchmark's day in the program's life, driven from its first paint: idle for a while,
// the strip's page arrives, then clips are played on the player page, each followed by a switch
// back to the download page. Prints "PSS <phase> <kB> <processes> <anonymous kB>" for the whole
// process tree at each step, then quits. UI thread.
#pragma once

#include "TreePss.h"
#include "app/CorvaneDlg.h"
#include "app/webstrip/WebStrip.h"
#include "download/page/PageMessages.h"
#include "settings/AppSettings.h"
#include "ui/PostedMessage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace bench {

class MemoryScenario : public QObject {
public:
    static constexpr int kIdleMs = 5000;   // start-up settles
    static constexpr int kSettleMs = 3000; // after a page arrives or is left
    static constexpr int kStripTimeoutMs = 90000;

    MemoryScenario(tessaly::CorvaneDlg& window, int clipMs, QStringList clips)
        : m_window(window), m_clipMs(clipMs), m_clips(std::move(clips)) {}

    // From the first paint of the main window.
    void Begin() {
        m_sinceStart.start();
        QTimer::singleShot(kIdleMs, this, [this] {
            Report("start");
            WaitForStrip();
        });
    }

private:
    static void Report(const char* phase) {
        const TreeMemory tree = TreePss();
        std::printf("PSS %s %ld %d %ld\n", phase, tree.pssKb, tree.processes, tree.anonKb);
        std::fflush(stdout);
    }

    static void Quit(int code) {
        std::fflush(stdout);
        QApplication::exit(code);
    }

    void WaitForStrip() {
        auto* strip = qobject_cast<tessaly::WebStrip*>(m_window.webStrip());
        if (strip != nullptr && strip->state() == tessaly::WebStrip::State::Page) {
            QTimer::singleShot(kSettleMs, this, [this] {
                Report("strip");
                Play(0);
            });
        } else if (m_sinceStart.elapsed() > kStripTimeoutMs) {
            std::printf("FAILED the strip never showed its page\n");
            Quit(1);
        } else {
            QTimer::singleShot(250, this, [this] { WaitForStrip(); });
        }
    }

    // As the download page's Play does: the file into the slot, then the message to the window.
    void Play(int clip) {
        if (clip == m_clips.size()) {
            Quit(0);
            return;
        }
        tessaly::appSettings().setFileToPlay(m_clips[clip].toStdU16String());
        tessaly::PostMessage(&m_window, tessaly::WM_PLAY_FILE);
        QTimer::singleShot(m_clipMs + 2000, this, [this, clip] {
            m_window.downloadPageButton()->click();
            QTimer::singleShot(kSettleMs, this, [this, clip] {
                Report("after-play");
                Play(clip + 1);
            });
        });
    }

    tessaly::CorvaneDlg& m_window;
    int m_clipMs;
    QStringList m_clips;
    QElapsedTimer m_sinceStart;
};

} // namespace bench
