// The program's own start-up, run as the program runs it, with the probe on the main window.
#include "ShownProbe.h"
#include "app/CorvaneApp.h"

#include <QDialog>
#include <memory>

namespace {

class ProbedApp : public tessaly::CorvaneApp {
protected:
    void MainWindowCreated(QDialog& window) override { m_probe = std::make_unique<ShownProbe>(&window); }

private:
    std::unique_ptr<ShownProbe> m_probe;
};

} // namespace

int main(int argc, char** argv) {
    return ProbedApp().Run(argc, argv);
}
