// `tavlin print FILE -o OUT.pdf [--pages FROM-TO] [--header TEXT] [--footer TEXT]
// [--margins L,R,T,B]`: prints a file as the main window's Print does (the same print job, page
// header and footer), into a PDF, without a display.
#include "app/cli/Commands.h"

#include "app/cli/Headless.h"
#include "app/cli/LeaveForExit.h"
#include "app/print/HeaderFooter.h"
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "viewer/HeadlessView.h"
#include "viewer/PrintJob.h"

#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPrinter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace tavlin {

namespace {

constexpr const char* kPrintUsage =
    "usage: tavlin print FILE -o OUT.pdf [--pages FROM-TO] [--header TEXT] [--footer TEXT]\n"
    "                    [--margins L,R,T,B]\n"
    "\n"
    "Prints FILE as the main window's Print does, into a PDF file (A4, or Letter where the\n"
    "locale measures in inches).\n"
    "\n"
    "  -o OUT.pdf        the PDF file to write\n"
    "  --pages FROM-TO   print only pages FROM to TO (counted from 1; default: all)\n"
    "  --header TEXT     the page header; #PAGENUM, #TIMESTAMP and #FILENAME are replaced\n"
    "  --footer TEXT     the page footer, the same way\n"
    "  --margins L,R,T,B the left, right, top and bottom margins in centimetres (default 2.0 each)\n"
    "  -h, --help        show this help\n";

struct PrintOptions {
    std::string input;
    std::string output;
    int fromPage = 1;
    int toPage = kLastPage;
    std::string header;
    std::string footer;
    TPrintMargins margins;
};

bool parsePage(std::string_view text, int& page) {
    const std::string copy(text);
    char* end = nullptr;
    const long value = std::strtol(copy.c_str(), &end, 10);
    if (copy.empty() || *end != '\0' || value < 1 || value > 999999) {
        return false;
    }
    page = int(value);
    return true;
}

// "FROM-TO" with 1 <= FROM <= TO; what is wrong with it, empty when nothing is.
std::string parsePages(std::string_view text, PrintOptions& options) {
    const size_t dash = text.find('-');
    if (dash == std::string_view::npos || !parsePage(text.substr(0, dash), options.fromPage) ||
        !parsePage(text.substr(dash + 1), options.toPage)) {
        return "--pages wants FROM-TO with page numbers from 1, not \"" + std::string(text) + "\"";
    }
    if (options.fromPage > options.toPage) {
        return "--pages " + std::string(text) + " is empty: FROM is after TO";
    }
    return {};
}

// "L,R,T,B" in centimetres, each a number from 0 to 100.
std::string parseMargins(std::string_view text, TPrintMargins& margins) {
    double* fields[] = {&margins.Left, &margins.Right, &margins.Top, &margins.Bottom};
    const std::string copy(text);
    const char* at = copy.c_str();
    for (size_t i = 0; i < 4; ++i) {
        char* end = nullptr;
        const double value = std::strtod(at, &end);
        const char expected = i < 3 ? ',' : '\0';
        if (end == at || *end != expected || !std::isfinite(value) || value < 0 || value > 100) {
            return "--margins wants four centimetres from 0 to 100 as L,R,T,B, not \"" + copy + "\"";
        }
        *fields[i] = value;
        at = end + 1;
    }
    return {};
}

std::string parseArguments(int argc, char** argv, PrintOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::string problem;
        if (arg == "-o" && hasValue) {
            options.output = argv[++i];
        } else if (arg == "--pages" && hasValue) {
            problem = parsePages(argv[++i], options);
        } else if (arg == "--margins" && hasValue) {
            problem = parseMargins(argv[++i], options.margins);
        } else if (arg == "--header" && hasValue) {
            options.header = argv[++i];
        } else if (arg == "--footer" && hasValue) {
            options.footer = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && options.input.empty()) {
            options.input = arg;
        } else {
            problem = "unexpected argument \"" + std::string(arg) + "\"";
        }
        if (!problem.empty()) {
            return problem;
        }
    }
    if (options.input.empty()) {
        return "no file to print";
    }
    return options.output.empty() ? "no output file given (-o OUT.pdf)" : "";
}

// A PDF printer whose printable area is the whole sheet: a file has no unprintable edge.
void setUpPdf(QPrinter& printer, const QString& file) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    const bool inches = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    printer.setPageSize(QPageSize(inches ? QPageSize::Letter : QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "tavlin print: %s\n", message.c_str());
    return 1;
}

// Prints the pages asked for; what went wrong, empty when they were printed.
std::string runJob(TPrintJob& job, const PrintOptions& options) {
    int last = 0;
    try {
        job.Print(options.fromPage, options.toPage, last);
    } catch (const std::exception& error) {
        return error.what();
    }
    if (last == 0) {
        return "nothing to print: " + options.input + " shows nothing";
    }
    if (last < options.fromPage) {
        return "nothing printed: page " + std::to_string(options.fromPage) + " is beyond the end of " +
               options.input + ", which has " + std::to_string(last) + (last == 1 ? " page" : " pages");
    }
    std::printf("wrote %s: pages %d to %d\n", options.output.c_str(), options.fromPage, last);
    return {};
}

int print(THeadlessView& view, const PrintOptions& options) {
    try {
        view.LoadFile(options.input);
    } catch (const std::exception& error) {
        return fail(error.what());
    }
    // The PDF grows under another name and takes its own only when whole.
    const QString output = QFile::decodeName(options.output.c_str());
    const QString partial = output + ".partial";
    QFile probe(partial);
    if (!probe.open(QIODevice::WriteOnly)) {
        return fail("cannot write " + options.output + ": " + probe.errorString().toStdString());
    }
    probe.close();
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, partial);

    TPrintJob job(view.Document(), printer);
    job.Margins = options.margins;
    job.Title = toUtf8(view.LoadResult().Title, view.Document().CharSet);
    job.OnPrintHeader = [&options](QPainter& canvas, int page, int, int, bool&) {
        DrawPageHeader(canvas, PageMarkText(options.header, page, options.input));
    };
    job.OnPrintFooter = [&options](QPainter& canvas, int page, int, int, bool&) {
        DrawPageFooter(canvas, PageMarkText(options.footer, page, options.input));
    };
    const std::string problem = runJob(job, options);
    if (!problem.empty()) {
        QFile::remove(partial);
        return fail(problem);
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        QFile::remove(partial);
        return fail("cannot write " + options.output);
    }
    return 0;
}

} // namespace

int runPrintCommand(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kPrintUsage, stdout);
            return 0;
        }
    }
    PrintOptions options;
    const std::string problem = parseArguments(argc, argv, options);
    if (!problem.empty()) {
        std::fprintf(stderr, "tavlin print: %s\n\n%s", problem.c_str(), kPrintUsage);
        return 2;
    }
    return runHeadless([&options] {
        auto view = std::make_unique<THeadlessView>();
        const int status = print(*view, options);
        LeaveForExit(std::move(view));
        return status;
    });
}

} // namespace tavlin
