// Conversion speed and memory, side by side with copying the same file.
//
// Generates a 100,000-entry, 500-folder bookmark export, then runs each task in a fresh
// process of this program (so that peak memory is the task's own): copying the file,
// converting it unsorted, and converting it sorted by title. Also a 200 MB single line and
// 100,000 nested folders. Prints median times over several runs and peak resident memory.
//
//   bench_convert [--runs N] [--skip-large]
#include "BenchArgs.h"
#include "app/convert/Bookmark.h"
#include "platform/Files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace tavlin;
namespace fs = std::filesystem;

// --- the export ---

std::string iconData(size_t n) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[(i * 37 + n) % 64];
    }
    return s;
}

// A Firefox-style export: 50 top folders of 9 subfolders each (500 folders), 200 entries per
// folder, every tenth entry with an icon, every twentieth with a description.
void writeExport(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
               "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n\n<DL><p>\n",
               f);
    const std::string icon = iconData(800);
    const char* words[] = {"travel", "Recipes", "linux", "Music", "news", "Garden", "maths", "Photos"};
    int entry = 0;
    int folder = 0;
    auto writeEntries = [&](const std::string& indent) {
        for (int k = 0; k < 200; ++k, ++entry) {
            const unsigned date = 1500000000u + unsigned(entry * 7919 % 200000000);
            std::fprintf(
                f,
                "%s<DT><A HREF=\"https://site%d.example.com/path/%d/index.html?ref=%d\" ADD_DATE=\"%u\" "
                "LAST_MODIFIED=\"%u\"%s%s%s>%s page %d about %s</A>\n",
                indent.c_str(), entry % 977, k, entry, date, date + 60,
                entry % 10 ? "" : " ICON=\"data:image/png;base64,", entry % 10 ? "" : icon.c_str(),
                entry % 10 ? "" : "\"", words[entry % 8], entry, words[(entry / 8) % 8]);
            if (entry % 20 == 0) {
                std::fprintf(f, "<DD>Description of entry %d\n", entry);
            }
        }
    };
    auto openFolder = [&](const std::string& indent) {
        std::fprintf(f, "%s<DT><H3 ADD_DATE=\"%d\" LAST_MODIFIED=\"%d\">%s folder %d</H3>\n%s<DL><p>\n",
                     indent.c_str(), 1400000000 + folder * 1000, 1400000000 + folder * 1000,
                     words[(folder * 3) % 8], folder, indent.c_str());
        ++folder;
    };
    for (int top = 0; top < 50; ++top) {
        openFolder("    ");
        writeEntries("        ");
        for (int sub = 0; sub < 9; ++sub) {
            openFolder("        ");
            writeEntries("            ");
            std::fputs("        </DL><p>\n", f);
        }
        std::fputs("    </DL><p>\n", f);
    }
    std::fputs("</DL>\n", f);
    std::fclose(f);
}

void writeLongLine(const std::string& path, size_t length) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("<TITLE>Long</TITLE>\n<DL><p>\n<DT><A HREF=\"https://long.example/\" ADD_DATE=\"1\">", f);
    const std::string block(1 << 20, 'x');
    for (size_t done = 0; done < length; done += block.size()) {
        std::fwrite(block.data(), 1, std::min(block.size(), length - done), f);
    }
    std::fputs("</A>\n</DL><p>\n", f);
    std::fclose(f);
}

void writeDeep(const std::string& path, int depth) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("<TITLE>Deep</TITLE>\n<DL><p>\n", f);
    for (int i = 0; i < depth; ++i) {
        std::fprintf(f, "<DT><H3 ADD_DATE=\"%d\">Folder %d</H3>\n<DL><p>\n", depth - i, i);
    }
    std::fputs("<DT><A HREF=\"https://deep.example/\">Bottom</A>\n", f);
    for (int i = 0; i < depth; ++i) {
        std::fputs("</DL><p>\n", f);
    }
    std::fclose(f);
}

// --- one task in a child process ---

int runTask(int argc, char** argv) {
    const std::string task = argv[2];
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    if (task == "copy") {
        ok = copyFileKeepingTime(argv[3], argv[4]);
    } else if (task == "convert") {
        ok = Convert(argv[3], argv[4], uint8_t(std::atoi(argv[5])), "Bench", "<B>", "</B>") ==
             ConvertStatus::Written;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f\n", ms);
    return ok ? 0 : 1;
}

struct Measure {
    double ms = 0;   // median
    long peakKb = 0; // largest over the runs
};

Measure measure(const std::string& self, const std::vector<std::string>& args, int runs) {
    std::vector<double> times;
    long peak = 0;
    for (int r = 0; r < runs; ++r) {
        std::vector<std::string> all = {self, "--child"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            std::perror("pipe");
            std::exit(1);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        pid_t pid = 0;
        if (posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            std::perror("posix_spawn");
            std::exit(1);
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        char buffer[64] = {};
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer - 1);
        ::close(pipeFds[0]);
        int status = 0;
        struct rusage usage {};
        ::wait4(pid, &status, 0, &usage);
        if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "task failed: %s\n", args[0].c_str());
            std::exit(1);
        }
        times.push_back(std::atof(buffer));
        peak = std::max(peak, usage.ru_maxrss);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], peak};
}

void report(const char* what, const Measure& m, const Measure& copy, double fileMb) {
    const double peakMb = double(m.peakKb) / 1024;
    std::printf("  %-28s %9.1f ms  %5.2fx copy   peak %7.1f MB  (goal %.1f MB: %s)\n", what, m.ms,
                m.ms / copy.ms, peakMb, 4 * fileMb + 30, peakMb < 4 * fileMb + 30 ? "met" : "MISSED");
}

void compare(const std::string& self, const char* title, const std::string& source, const fs::path& dir,
             int runs, const std::vector<std::pair<const char*, int>>& sorts) {
    const double fileMb = double(fs::file_size(source)) / (1 << 20);
    const std::string copyTo = (dir / "copy.html").string();
    const std::string listing = (dir / "tavl.htm").string();
    measure(self, {"copy", source, copyTo}, 1); // warm the page cache
    const Measure copy = measure(self, {"copy", source, copyTo}, runs);
    std::printf("%s: %.1f MB\n", title, fileMb);
    std::printf("  %-28s %9.1f ms               peak %7.1f MB\n", "copying the file", copy.ms,
                double(copy.peakKb) / 1024);
    for (const auto& [name, sort] : sorts) {
        report(name, measure(self, {"convert", source, listing, std::to_string(sort)}, runs), copy, fileMb);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        return runTask(argc, argv);
    }
    const auto [runs, skipLarge] = parseBenchArgs(argc, argv, 5);
    const std::string self = fs::canonical("/proc/self/exe").string();
    char pattern[] = "/tmp/tavlin-bench-XXXXXX";
    const fs::path dir = ::mkdtemp(pattern);

    const Measure idle = measure(self, {"idle"}, 1);
    std::printf("a process of this program doing nothing: peak %.1f MB\n\n", double(idle.peakKb) / 1024);

    const std::string exportFile = (dir / "bookmarks.html").string();
    writeExport(exportFile);
    compare(self, "100,000 entries in 500 folders", exportFile, dir, runs,
            {{"convert, unsorted", 0}, {"convert, sorted by title", 1}, {"convert, sorted by date", 2}});

    const std::string deepFile = (dir / "deep.html").string();
    writeDeep(deepFile, 100000);
    compare(self, "100,000 nested folders", deepFile, dir, runs, {{"convert, sorted by title", 1}});

    if (!skipLarge) {
        const std::string longFile = (dir / "long.html").string();
        writeLongLine(longFile, size_t(200) << 20);
        compare(self, "one 200 MB line", longFile, dir, std::min(runs, 3), {{"convert, unsorted", 0}});
    }
    fs::remove_all(dir);
    return 0;
}
