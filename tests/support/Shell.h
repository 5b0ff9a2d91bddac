#pragma once
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace tavlin::test {

struct ShellRun {
    int status = -1; // the exit status; -1 when the command did not exit
    std::string out; // what it wrote on standard output
};

// Runs a command line through the shell and collects its standard output.
inline ShellRun runShell(const std::string& command) {
    ShellRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace tavlin::test
