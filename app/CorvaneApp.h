// Start-up: one running copy, the sockets layer, the organisation name, and the main window run
// modally until it closes. UI thread.
#pragma once

class QDialog;

namespace tessaly {

class CorvaneApp {
public:
    // The single-instance lock's name and the organisation the settings belong to.
    static constexpr const char* kInstanceName = "{046355D9-BF93-4ed9-8E6A-FB4459CAE431}";
    static constexpr const char* kOrganisation = "VORLAN SOFTWARE";

    virtual ~CorvaneApp() = default;

    // Runs the program. A second copy returns 0 at once; otherwise the process ends here once
    // the main window has closed.
    int Run(int argc, char** argv);

protected:
    // The main window is made and about to run; nothing by default (the start-up benchmark
    // watches it here).
    virtual void MainWindowCreated(QDialog& /*window*/) {}
};

} // namespace tessaly
