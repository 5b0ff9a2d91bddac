// Pictures in a page: 10,000 IMG tags naming 20 distinct pictures (BMP, JPEG and PNG files),
// loaded and laid out at 800 pixels, side by side with the same page without the tags and with
// the tags shown as placeholders (images off). Each run starts with an empty cache, so every
// picture is decoded once per run, and the cache must end up with 20 entries.
//
//   bench_images [IMAGES]      (default: 10000)
#include "bench/BenchSupport.h"
#include "document/SectionList.h"
#include "images/ImageCache.h"
#include "platform/qt/QtImageDecoder.h"
#include "platform/qt/QtSystemInfo.h"
#include "viewer/HeadlessView.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDistinct = 20;

using bench::bestOf;

// Twenty pictures of 64 x 48 pixels, each of its own colours, in the three formats read.
void writePictures(const QString& dir) {
    const char* formats[] = {"BMP", "JPG", "PNG"};
    for (int i = 0; i < kDistinct; ++i) {
        QImage picture(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                picture.setPixel(x, y, qRgb((x * 4 + i * 12) & 255, (y * 5 + i * 7) & 255, (i * 13) & 255));
            }
        }
        const char* format = formats[i % 3];
        picture.save(dir + QString("/p%1.%2").arg(i).arg(QString(format).toLower()), format);
    }
}

std::string page(int images, bool withTags) {
    const char* extensions[] = {"bmp", "jpg", "png"};
    std::string html = "<html><body>\n";
    for (int i = 0; i < images; ++i) {
        const int p = i % kDistinct;
        html += "<p>Entry " + std::to_string(i) + " with a few words";
        if (withTags) {
            html += " <img src=\"p" + std::to_string(p) + "." + extensions[p % 3] +
                    "\" width=32 height=24 alt=\"Picture\">";
        }
        html += " and some more text after it.</p>\n";
    }
    return html + "</body></html>\n";
}

std::string writePage(const QString& dir, const char* name, const std::string& html) {
    const std::string path = (dir + "/" + name).toStdString();
    std::ofstream(path, std::ios::binary) << html;
    return path;
}

// Loads and lays out the file in a fresh view (an empty cache); returns the cache's entries.
int loadAndLayOut(const std::string& path, bool viewImages) {
    tavlin::TViewerSettings settings;
    settings.ViewImages = viewImages;
    tavlin::THeadlessView view(settings);
    view.LoadFile(path);
    view.Layout(800, 600);
    const auto& cache = view.Document().Pictures.Cache;
    return cache ? cache->Count() : 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tavlin::QtSystemInfo system;
    tavlin::setSystemInfo(&system);
    tavlin::QtImageDecoder::install();
    const int images = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;

    QTemporaryDir dir;
    writePictures(dir.path());
    const std::string plain = writePage(dir.path(), "plain.htm", page(images, false));
    const std::string tagged = writePage(dir.path(), "pictures.htm", page(images, true));

    int entries = 0;
    const double none = bestOf(5, [&] { loadAndLayOut(plain, true); });
    const double placeholders = bestOf(5, [&] { loadAndLayOut(tagged, false); });
    const double pictures = bestOf(5, [&] { entries = loadAndLayOut(tagged, true); });
    std::printf("%d IMG tags of %d pictures, load and layout at 800 px, best of 5:\n", images, kDistinct);
    std::printf("  without the tags     %8.1f ms\n", none);
    std::printf("  placeholders         %8.1f ms  (%.2fx)\n", placeholders, placeholders / none);
    std::printf("  pictures             %8.1f ms  (%.2fx)  cache entries %d\n", pictures, pictures / none,
                entries);
    tavlin::setSystemInfo(nullptr);
    return entries == kDistinct ? 0 : 1;
}
