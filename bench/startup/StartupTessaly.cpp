// The program's own start-up, run as the program runs it, with the probe on the main window.
// "bench_startup_tessaly memory <clip ms> <clip>..." runs the memory scenario instead.
#include "MemoryScenario.h"
#include "ShownProbe.h"
#include "app/CorvaneApp.h"

#include <QDialog>
#include <cstring>
#include <memory>

namespace {

class ProbedApp : public tessaly::CorvaneApp {
public:
    ProbedApp(int clipMs, QStringList clips) : m_clipMs(clipMs), m_clips(std::move(clips)) {}

protected:
    void MainWindowCreated(QDialog& window) override {
        if (m_clipMs == 0) {
            m_probe = std::make_unique<ShownProbe>(&window);
            return;
        }
        m_scenario = std::make_unique<bench::MemoryScenario>(static_cast<tessaly::CorvaneDlg&>(window),
                                                             m_clipMs, m_clips);
        m_probe = std::make_unique<ShownProbe>(&window, [this] { m_scenario->Begin(); });
    }

private:
    int m_clipMs;
    QStringList m_clips;
    std::unique_ptr<bench::MemoryScenario> m_scenario;
    std::unique_ptr<ShownProbe> m_probe;
};

} // namespace

int main(int argc, char** argv) {
    int clipMs = 0;
    QStringList clips;
    // The scenario's words are the benchmark's, not the program's: the program sees none of them.
    if (argc > 2 && std::strcmp(argv[1], "memory") == 0) {
        clipMs = std::atoi(argv[2]);
        for (int i = 3; i < argc; ++i)
            clips << QString::fromLocal8Bit(argv[i]);
        argc = 1;
    }
    return ProbedApp(clipMs, clips).Run(argc, argv);
}
