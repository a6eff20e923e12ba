// Where the program's modules and data lie. A build folder holds them beside the program file; an
// installed copy keeps its modules in its private library folder and its movie and page in its
// data folder, both found relative to the program file, so any installation prefix works.
#pragma once

#include <QString>

namespace tessaly {

// The data folder of an installed copy (it holds the movie), or empty when this copy runs from a
// build folder. An installed copy never writes there, whoever runs it.
QString InstalledDataFolder();

// The full path of one of the program's modules.
QString ProgramModule(const char* fileName);

} // namespace tessaly
