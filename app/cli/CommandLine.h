#pragma once
#include <string>

namespace tavlin {

// Runs a subcommand (`tavlin convert ...`, `tavlin render ...`); returns its exit status.
// argv[1] is the subcommand's name.
int runCommandLine(int argc, char** argv);

// True when argv names a subcommand or an option rather than asking for the window.
bool isCommandLine(int argc, char** argv);

// The file `tavlin FILE` asks the window to open, as an absolute path; empty when none is given.
std::string fileToOpen(int argc, char** argv);

} // namespace tavlin
