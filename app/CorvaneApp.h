// Start-up: one running copy, the sockets layer, the organisation name, and the main window run
// modally until it closes. UI thread.
#pragma once

namespace tessaly {

class CorvaneApp {
public:
    // The single-instance lock's name and the organisation the settings belong to.
    static constexpr const char* kInstanceName = "{046355D9-BF93-4ed9-8E6A-FB4459CAE431}";
    static constexpr const char* kOrganisation = "VORLAN SOFTWARE";

    // Runs the program. A second copy returns 0 at once; otherwise the process ends here once
    // the main window has closed.
    int Run(int argc, char** argv);
};

} // namespace tessaly
