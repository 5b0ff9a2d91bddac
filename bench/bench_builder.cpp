// Parses and lays out converter listings of 1,000, 10,000 and 100,000 entries at 800 pixels on
// the real Qt canvas: time and peak memory of each, in a child process of its own so that the
// peaks do not mix. Beside it, in the same run, the tokenizer alone over the same bytes and Qt's
// rich-text engine (QTextDocument) laying out the same listing, as peers.
//   bench_builder [entries...]      (default 1000 10000 100000)
#include "app/convert/Bookmark.h"
#include "bench/BenchSupport.h"
#include "builder/HtmlParser.h"
#include "document/SectionList.h"
#include "platform/Files.h"
#include "platform/qt/QtCanvas.h"
#include "reader/HtmlReader.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tavlin;

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// A bookmark file as browsers export it: folders of 50 entries, a description on every 7th.
std::string BookmarkFile(int entries) {
    std::string out =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<TITLE>Bookmarks</TITLE>\r\n<H1>Bookmarks</H1>\r\n"
        "<DL><p>\r\n";
    for (int i = 0; i < entries; ++i) {
        if (i % 50 == 0) {
            if (i > 0) {
                out += "    </DL><p>\r\n";
            }
            out += "    <DT><H3 ADD_DATE=\"1600000000\">Folder " + std::to_string(i / 50) +
                   "</H3>\r\n    <DL><p>\r\n";
        }
        out += "        <DT><A HREF=\"https://www.example" + std::to_string(i % 977) + ".com/articles/" +
               std::to_string(i) + "/page.html\" ADD_DATE=\"" + std::to_string(1600000000 + i) +
               "\">Bookmark number " + std::to_string(i) + " with a title</A>\r\n";
        if (i % 7 == 0) {
            out += "<DD>A description of bookmark " + std::to_string(i) + "\r\n";
        }
    }
    out += "    </DL><p>\r\n</DL><p>\r\n";
    return out;
}

long RssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

struct Figures {
    double parseMs = 0;
    double layoutMs = 0;
    double tokenizeMs = 0;
    double qtMs = 0;
    long baseKb = 0;
    int height = 0;
};

// Runs in the child: the work whose peak memory is measured is ours only (the peer runs after
// the measurement, in a second child).
Figures Measure(const std::string& listing, const std::string& bytes, bool peer) {
    Figures f;
    ImageCanvas surface(1, 1);
    if (peer) {
        auto t0 = Clock::now();
        QTextDocument qt;
        qt.setHtml(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
        qt.setTextWidth(800);
        f.height = int(qt.documentLayout()->documentSize().height());
        f.qtMs = Millis(Clock::now() - t0);
        return f;
    }
    {
        auto t0 = Clock::now();
        THtmlReader reader;
        reader.UseSource(bytes);
        long symbols = 0;
        do {
            reader.NextToken();
            ++symbols;
        } while (reader.CurSym != symEof);
        f.tokenizeMs = Millis(Clock::now() - t0);
    }
    f.baseKb = RssKb();
    TSectionList doc;
    doc.SetDefaults("Times New Roman", "Courier New", 10, 5, 1, true, false, 0xC0C0C0, rgb(0, 0, 255),
                    rgb(128, 0, 128), rgb(0, 0, 255), 0, 12);
    auto t0 = Clock::now();
    const TParseResult parsed = ParseHtmlFromFile(doc, listing);
    auto t1 = Clock::now();
    int scrollWidth = 0;
    int counter = 0;
    f.height = doc.Layout(surface.canvas(), 0, 800, 600, scrollWidth, counter);
    auto t2 = Clock::now();
    f.parseMs = Millis(t1 - t0);
    f.layoutMs = Millis(t2 - t1);
    if (!parsed.Error.empty()) {
        std::fprintf(stderr, "parse stopped: %s\n", parsed.Error.c_str());
    }
    return f;
}

// Runs Measure in a child; returns its figures and its peak resident memory in kB.
bool InChild(const std::string& listing, const std::string& bytes, bool peer, Figures& figures,
             long& peakKb) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        const Figures f = Measure(listing, bytes, peer);
        const ssize_t written = write(pipeFds[1], &f, sizeof f);
        _exit(written == ssize_t(sizeof f) ? 0 : 1);
    }
    close(pipeFds[1]);
    const ssize_t got = read(pipeFds[0], &figures, sizeof figures);
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    peakKb = usage.ru_maxrss;
    return got == ssize_t(sizeof figures) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<int> sizes = bench::sizesFrom(argc, argv, {1000, 10000, 100000});
    const std::string dir = tempDirectory();
    std::printf("%9s %9s %9s %9s %9s %9s %10s %9s %9s %9s %9s %10s\n", "entries", "file kB", "tokens ms",
                "parse ms", "layout ms", "total ms", "ms/1000", "peak MB", "base MB", "budget MB", "Qt ms",
                "Qt peak MB");
    double previousTotal = 0;
    int previousSize = 0;
    for (const int entries : sizes) {
        const std::string source = dir + "/bench_builder_" + std::to_string(entries) + ".htm";
        const std::string listing = dir + "/bench_builder_" + std::to_string(entries) + "_listing.htm";
        {
            std::ofstream out(source, std::ios::binary);
            out << BookmarkFile(entries);
        }
        Convert(source, listing, 0, "Bench", "<B>", "</B>");
        const std::string bytes = readWholeFile(listing).value_or(std::string());
        Figures ours;
        Figures peer;
        long peakKb = 0;
        long peerKb = 0;
        // BENCH_NO_PEER=1 leaves the peer out (for profiling ours alone).
        const bool withPeer = !std::getenv("BENCH_NO_PEER");
        if (!InChild(listing, bytes, false, ours, peakKb) ||
            (withPeer && !InChild(listing, bytes, true, peer, peerKb))) {
            std::fprintf(stderr, "a measuring child failed\n");
            return 1;
        }
        const double total = ours.parseMs + ours.layoutMs;
        const double fileMb = double(bytes.size()) / (1024 * 1024);
        std::printf("%9d %9zu %9.1f %9.1f %9.1f %9.1f %10.2f %9.1f %9.1f %9.1f %9.1f %10.1f\n", entries,
                    bytes.size() / 1024, ours.tokenizeMs, ours.parseMs, ours.layoutMs, total,
                    total * 1000 / entries, peakKb / 1024.0, ours.baseKb / 1024.0, 4 * fileMb, peer.qtMs,
                    peerKb / 1024.0);
        if (previousSize > 0) {
            std::printf(
                "          growth x%.1f in entries gives x%.2f in time; ours/Qt %.2f; ours/tokens %.1f\n",
                double(entries) / previousSize, total / previousTotal, total / peer.qtMs,
                total / ours.tokenizeMs);
        }
        previousTotal = total;
        previousSize = entries;
        std::remove(source.c_str());
        std::remove(listing.c_str());
    }
    return 0;
}
