#pragma once

namespace tavlin {

// Runs a subcommand (`tavlin convert ...`, `tavlin render ...`); returns its exit status.
// argv[1] is the subcommand's name.
int runCommandLine(int argc, char** argv);

// True when argv names a subcommand rather than asking for the window.
bool isCommandLine(int argc, char** argv);

} // namespace tavlin
