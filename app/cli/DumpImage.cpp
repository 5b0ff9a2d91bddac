// `tavlin dump --image`: the type, size and frames of a picture, and optionally the composed
// picture as a PNG with its transparent pixels transparent.
#include "app/cli/DumpImage.h"

#include "images/BmpReader.h"
#include "images/GIFImage.h"
#include "images/ImageError.h"
#include "images/ImageLoader.h"
#include "images/ImageTypes.h"
#include "images/JpegReader.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtImageDecoder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace tavlin {

namespace {

struct Options {
    int frame = 1;
    std::string output;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--frame" || arg == "-o") && i + 1 < argc) {
            if (arg == "-o") {
                o.output = argv[++i];
                continue;
            }
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 1 || n > 256) {
                return std::nullopt;
            }
            o.frame = int(n);
            continue;
        }
        return std::nullopt;
    }
    return o;
}

int fail(const std::string& reason) {
    std::printf("error: %s\n", reason.c_str());
    return 1;
}

bool writePng(const Bitmap& picture, const std::string& path) {
    if (!QtCanvas::toQImage(picture).save(QString::fromStdString(path), "PNG")) {
        std::fprintf(stderr, "tavlin dump: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

int dumpGif(ImageType type, const std::string& bytes, const Options& o) {
    TGIFImage gif;
    if (!gif.LoadFromStream(bytes)) {
        return fail(gif.ErrorText);
    }
    std::printf("%s %dx%d frames=%d loop=%d transparent=%d\n", imageTypeName(type), gif.Width, gif.Height,
                gif.FrameCount(), gif.LoopCount, gif.IsTransparent ? 1 : 0);
    for (int i = 1; i <= gif.FrameCount(); ++i) {
        const TgfFrame& f = gif.Frame(i);
        const std::string transparent = f.HasTransparent ? std::to_string(f.TransparentIndex) : "-";
        std::printf("frame %d: %d,%d %dx%d delay=%d disposal=%d transparent=%s interlaced=%d local=%d\n", i,
                    f.Left, f.Top, f.Width, f.Height, f.Delay, f.Disposal, transparent.c_str(),
                    f.Interlaced ? 1 : 0, f.LocalBits);
    }
    if (o.output.empty()) {
        return 0;
    }
    if (o.frame > gif.FrameCount()) {
        std::fprintf(stderr, "tavlin dump: the picture has %d frames\n", gif.FrameCount());
        return 2;
    }
    for (int n = 2; n <= o.frame; ++n) {
        gif.SetCurrentFrame(n);
    }
    return writePng(gif.CompositeWithMask(), o.output) ? 0 : 1;
}

} // namespace

int dumpImage(const std::string&, const std::string& bytes, int argc, char** argv) {
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: tavlin dump --image FILE [--frame N] [-o OUT.png]\n");
        return 2;
    }
    QtImageDecoder::install();
    const ImageType type = sniffImageType(std::string_view(bytes).substr(0, 11));
    if (type == ImageType::GIF87a || type == ImageType::GIF89a) {
        return dumpGif(type, bytes, *options);
    }
    if (type == ImageType::Unknown) {
        return fail("Unknown picture type");
    }
    Bitmap picture;
    try {
        picture = decodePicture(bytes);
    } catch (const EImageError& e) {
        return fail(e.what());
    } catch (const std::bad_alloc&) {
        return fail("Out of memory");
    }
    std::printf("%s %dx%d frames=1 transparent=%d\n", imageTypeName(type), picture.width(), picture.height(),
                picture.hasAlpha ? 1 : 0);
    if (options->output.empty()) {
        return 0;
    }
    if (options->frame > 1) {
        std::fprintf(stderr, "tavlin dump: the picture has 1 frame\n");
        return 2;
    }
    return writePng(picture, options->output) ? 0 : 1;
}

} // namespace tavlin
