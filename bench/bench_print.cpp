// Printing speed: `tavlin print` of 10,000- and 100,000-entry listings into a PDF, side by side
// with headless Chromium's --print-to-pdf of the same files (a peer for timing only; skipped
// when no chromium is installed). Each run is a fresh process; prints median wall times and the
// ratio.
//
//   bench_print [--runs N] [--skip-large]
#include "BenchArgs.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A bookmark export of `count` entries in folders of 1,000.
void writeBookmarks(const std::string& path, int count) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n",
               f);
    for (int i = 0; i < count; ++i) {
        if (i % 1000 == 0) {
            std::fprintf(f, "<DT><H3>Folder %d</H3>\n<DL><p>\n", i / 1000);
        }
        std::fprintf(
            f,
            "<DT><A HREF=\"https://site%d.example.com/path/%d/index.html\">Title %06d about the entry</A>\n",
            i % 977, i, i);
        if (i % 1000 == 999 || i + 1 == count) {
            std::fputs("</DL><p>\n", f);
        }
    }
    std::fputs("</DL>\n", f);
    std::fclose(f);
}

// Median wall time of a shell command over `runs` runs, in milliseconds; negative when it failed.
double medianMs(const std::string& command, int runs) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
            return -1;
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int pdfPages(const std::string& pdf) {
    std::FILE* p = ::popen(("pdfinfo " + pdf + " 2>/dev/null | sed -n 's/^Pages: *//p'").c_str(), "r");
    int pages = -1;
    if (p && std::fscanf(p, "%d", &pages) != 1) {
        pages = -1;
    }
    if (p) {
        ::pclose(p);
    }
    return pages;
}

std::string chromiumCommand(const std::string& html, const std::string& pdf, const std::string& profile) {
    return "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
           "--disable-background-networking --disable-component-update --disable-sync --no-pdf-header-footer "
           "--user-data-dir=" +
           profile + " --print-to-pdf=" + pdf + " file://" + html;
}

} // namespace

int main(int argc, char** argv) {
    const auto [runs, skipLarge] = parseBenchArgs(argc, argv, 3);
    const fs::path dir = fs::temp_directory_path() / ("tavlin-bench-print-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const bool haveChromium = std::system("command -v chromium >/dev/null 2>&1") == 0;
    std::printf("%-9s %6s %12s %12s %8s\n", "entries", "pages", "tavlin ms", "chromium ms", "ratio");
    for (int entries : {10000, 100000}) {
        if (skipLarge && entries > 10000) {
            continue;
        }
        const std::string base = (dir / std::to_string(entries)).string();
        writeBookmarks(base + ".html", entries);
        if (std::system(
                (std::string(TAVLIN_EXE) + " convert " + base + ".html -o " + base + ".htm >/dev/null")
                    .c_str()) != 0) {
            std::fprintf(stderr, "cannot convert %s\n", (base + ".html").c_str());
            return 1;
        }
        const double ours =
            medianMs(std::string(TAVLIN_EXE) + " print " + base + ".htm -o " + base + ".pdf", runs);
        double theirs = -1;
        if (haveChromium) {
            // A new empty profile for every run, as the peer's own start costs include it.
            theirs = medianMs("rm -rf " + base + ".profile && " +
                                  chromiumCommand(base + ".htm", base + ".chromium.pdf", base + ".profile"),
                              runs);
        }
        std::printf("%-9d %6d %12.0f %12.0f %8s\n", entries, pdfPages(base + ".pdf"), ours, theirs,
                    ours > 0 && theirs > 0 ? (std::to_string(theirs / ours).substr(0, 5) + "x").c_str()
                                           : "-");
        std::printf("          chromium printed %d pages\n", pdfPages(base + ".chromium.pdf"));
    }
    fs::remove_all(dir);
    return 0;
}
