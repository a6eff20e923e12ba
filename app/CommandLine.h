// The options the program answers before it connects to a display: --help and --version print
// their text and end the program, so they work on a console, over ssh or in a package's checks.
#pragma once

#include <optional>
#include <ostream>

namespace tessaly {

// The exit code when the command line asks only for a text (written to out), else nothing: the
// program starts, and the remaining arguments are Qt's.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out);

} // namespace tessaly
