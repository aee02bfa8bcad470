#pragma once
// The command line and the standard streams of a command-line program.
#include <string>
#include <vector>

namespace hakomaru::sys {

// The arguments after the program's name, as UTF-8. POSIX systems hand them
// over as they were typed; Windows hands `argv` over in its ANSI code page,
// where every character outside it is lost, so there they are read from the
// wide command line instead and `argv` is not used.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Makes the standard streams carry the program's bytes unchanged: on
// Windows they are switched to binary mode (no CR added before each LF, no
// Ctrl+Z taken as the end of input), and a console among them is set to
// UTF-8 while the program runs, so that Japanese text shows as written, and
// given back its own code page at exit. Nothing to do on POSIX systems.
void useByteStandardStreams();

} // namespace hakomaru::sys
