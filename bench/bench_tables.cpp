// Tables against Qt's rich-text engine, side by side in one run: loading and laying out a data
// table of 2,000 and of 20,000 rows of 6 columns, and 10 tables nested in each other, at 800
// pixels; then one screen painted in the middle of the big table.
//
//   bench_tables [ROWS...]      (default: 2000 20000)
#include "bench/BenchApp.h"
#include "bench/BenchSupport.h"
#include "platform/qt/QtCanvas.h"
#include "viewer/HeadlessView.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 800;
constexpr int kScreenHeight = 600;

using bench::bestOf;

// A data table as report pages make them: a header row and rows of six cells of words and numbers.
std::string dataTable(int rows) {
    std::string html =
        "<HTML><BODY><TABLE BORDER=1 CELLPADDING=2>\n<TR><TH>Id</TH><TH>Name</TH><TH>Place</TH>"
        "<TH>Amount</TH><TH>Date</TH><TH>Note</TH></TR>\n";
    for (int r = 0; r < rows; ++r) {
        const std::string n = std::to_string(r);
        html += "<TR><TD>" + n + "</TD><TD>Customer " + n + "</TD><TD>Town " + std::to_string(r % 97) +
                "</TD><TD ALIGN=right>" + std::to_string(r * 37 % 10000) + ".00</TD><TD>2024-0" +
                std::to_string(r % 9 + 1) + "-1" + std::to_string(r % 10) +
                "</TD><TD>a short note</TD></TR>\n";
    }
    return html + "</TABLE></BODY></HTML>\n";
}

std::string nestedTables(int depth) {
    std::string html = "<HTML><BODY>";
    for (int i = 0; i < depth; ++i) {
        html += "<TABLE BORDER=1><TR><TD>level " + std::to_string(i) + "</TD><TD>";
    }
    html += "innermost text";
    for (int i = 0; i < depth; ++i) {
        html +=
            "</TD></TR><TR><TD COLSPAN=2>under level " + std::to_string(depth - 1 - i) + "</TD></TR></TABLE>";
    }
    return html + "</BODY></HTML>\n";
}

struct Result {
    double ours = 0;
    double theirs = 0;
};

Result compare(const QTemporaryDir& dir, const std::string& name, const std::string& html, int runs) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary) << html;
    tavlin::THeadlessView view;
    int ourHeight = 0;
    Result r;
    r.ours = bestOf(runs, [&] {
        view.LoadFile(path);
        ourHeight = view.Layout(kWidth, kScreenHeight);
    });
    const QString text = QString::fromStdString(html);
    QTextDocument qt;
    double qtHeight = 0;
    r.theirs = bestOf(runs, [&] {
        qt.setHtml(text);
        qt.setTextWidth(kWidth);
        qtHeight = qt.documentLayout()->documentSize().height();
    });
    std::printf("%-24s load + layout: viewer %9.1f ms (height %d)   QTextDocument %9.1f ms (height %.0f)"
                "   QTextDocument / viewer = %.1fx\n",
                name.c_str(), r.ours, ourHeight, r.theirs, qtHeight, r.theirs / r.ours);
    if (ourHeight > kScreenHeight) {
        const double paint = bestOf(10, [&] {
            QImage buffer(kWidth, kScreenHeight, QImage::Format_RGB32);
            QPainter painter(&buffer);
            tavlin::QtCanvas canvas(painter);
            view.PaintBand(canvas, kWidth, kScreenHeight, ourHeight / 2);
        });
        std::printf("%-24s one %dx%d screen in the middle: %.3f ms\n", "", kWidth, kScreenHeight, paint);
    }
    return r;
}

} // namespace

int main(int argc, char** argv) {
    const bench::OffscreenApp app("bench_tables");
    QTemporaryDir dir;
    const std::vector<int> sizes = bench::sizesFrom(argc, argv, {2000, 20000});
    std::vector<Result> results;
    for (int rows : sizes) {
        results.push_back(
            compare(dir, "rows-" + std::to_string(rows) + ".htm", dataTable(rows), rows > 5000 ? 2 : 3));
    }
    compare(dir, "nested-10.htm", nestedTables(10), 3);
    if (results.size() >= 2) {
        std::printf("\nviewer: %d rows take %.1fx the time of %d rows; QTextDocument: %.1fx\n", sizes[1],
                    results[1].ours / results[0].ours, sizes[0], results[1].theirs / results[0].theirs);
    }
    return 0;
}
