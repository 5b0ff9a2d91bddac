#pragma once
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tavlin::test {

struct ProgramRun {
    int status = -1; // the exit status, or 128 + the signal that ended it; -1 when it did not start
    std::string out;
    std::string err;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The words as a null-terminated argument or environment list; the words must outlive it.
inline std::vector<char*> pointers(std::vector<std::string>& words) {
    std::vector<char*> list;
    for (std::string& w : words) {
        list.push_back(w.data());
    }
    list.push_back(nullptr);
    return list;
}

// This process's environment with `settings` ("NAME=value") in place of what it says of them.
inline std::vector<std::string> environmentWith(const std::vector<std::string>& settings) {
    std::vector<std::string> env = settings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& s : settings) {
            replaced = replaced || entry.compare(0, s.find('=') + 1, s, 0, s.find('=') + 1) == 0;
        }
        if (!replaced) {
            env.push_back(entry);
        }
    }
    return env;
}

// Runs a program (args[0], searched on PATH when it has no '/') to its end, with what it writes
// to standard output and standard error caught through files in `scratch`, a writable folder.
// `settings` ("NAME=value") change its environment.
inline ProgramRun runProgram(std::vector<std::string> args, const std::string& scratch,
                             const std::vector<std::string>& settings = {}) {
    std::vector<char*> argv = pointers(args);
    std::vector<std::string> env = environmentWith(settings);
    std::vector<char*> envp = pointers(env);
    const std::string outPath = scratch + "/.run-stdout";
    const std::string errPath = scratch + "/.run-stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ProgramRun run;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int wstatus = 0;
        ::waitpid(pid, &wstatus, 0);
        run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readBytes(outPath);
    run.err = readBytes(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return run;
}

} // namespace tavlin::test
