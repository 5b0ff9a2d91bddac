#pragma once

namespace tavlin {

// The subcommands; argv[0] is the subcommand's own name. Each returns the exit status.
int runConvertCommand(int argc, char** argv);
int runDumpCommand(int argc, char** argv);
int runRenderCommand(int argc, char** argv);
int runTextCommand(int argc, char** argv);
int runPrintCommand(int argc, char** argv);

// True when any argument after the subcommand's name is --help or -h.
bool asksForHelp(int argc, char** argv);

} // namespace tavlin
