// GIF decoding, ours beside giflib (DGifSlurp, then every frame mapped to 32-bit pixels), on
// large single frames and on many-frame animations; and Floyd-Steinberg dithering of a
// 4-megapixel picture to the 8-bit display palette. Items are pixels: items_per_second gives
// megapixels per second when divided by a million.
#include "tests/images/GifWriter.h"

#include "images/Display.h"
#include "images/Dither.h"
#include "images/GIFImage.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>

namespace {

std::vector<uint32_t> rampTable() {
    std::vector<uint32_t> t;
    for (uint32_t i = 0; i < 256; ++i) {
        t.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 255));
    }
    return t;
}

// A photo-like frame: smooth shapes with some noise, 256 colours.
giftest::Frame photoFrame(int left, int top, int w, int h, int seed, int transparent) {
    std::mt19937 rng{unsigned(seed)};
    giftest::Frame f = giftest::frameOf(left, top, w, h, [&](int x, int y) {
        const double v = 128 + 60 * std::sin(x * 0.02 + seed) + 50 * std::cos(y * 0.03 - seed);
        return int(v + double(rng() % 8)) & 255;
    });
    f.transparent = transparent;
    f.delayCs = 5;
    f.disposal = 1;
    return f;
}

std::string singleFrameGif(int w, int h) {
    giftest::Gif g;
    g.width = w;
    g.height = h;
    g.globalTable = rampTable();
    g.frames.push_back(photoFrame(0, 0, w, h, 1, -1));
    return giftest::encode(g);
}

std::string animationGif(int w, int h, int frames) {
    giftest::Gif g;
    g.width = w;
    g.height = h;
    g.globalTable = rampTable();
    g.loop = 0;
    g.frames.push_back(photoFrame(0, 0, w, h, 0, -1));
    for (int i = 1; i < frames; ++i) {
        g.frames.push_back(photoFrame((i * 13) % (w / 2), (i * 7) % (h / 2), w / 2, h / 2, i, 0));
    }
    return giftest::encode(g);
}

const std::string& sample(int which) {
    static const std::string large = singleFrameGif(2000, 2000);
    static const std::string wide = singleFrameGif(4000, 1000);
    static const std::string anim = animationGif(400, 300, 100);
    static const std::string manySmall = animationGif(120, 90, 250);
    switch (which) {
    case 0:
        return large;
    case 1:
        return wide;
    case 2:
        return anim;
    default:
        return manySmall;
    }
}

int64_t framePixels(const std::string& bytes) {
    tavlin::TGIFImage gif;
    gif.LoadFromStream(bytes, true);
    int64_t n = 0;
    for (const tavlin::TgfFrame& f : gif.Frames) {
        n += int64_t(f.Width) * f.Height;
    }
    return n;
}

void BM_OursDecode(benchmark::State& state) {
    const std::string& bytes = sample(int(state.range(0)));
    for (auto _ : state) {
        tavlin::TGIFImage gif;
        if (!gif.LoadFromStream(bytes)) {
            state.SkipWithError("decode failed");
        }
        benchmark::DoNotOptimize(gif.Frames.back().Picture.pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * framePixels(bytes));
}

struct MemoryReader {
    const std::string* bytes;
    size_t at = 0;
};

int readFromMemory(GifFileType* file, GifByteType* out, int n) {
    auto* r = static_cast<MemoryReader*>(file->UserData);
    const size_t take = std::min(size_t(n), r->bytes->size() - r->at);
    std::memcpy(out, r->bytes->data() + r->at, take);
    r->at += take;
    return int(take);
}

void BM_GiflibDecode(benchmark::State& state) {
    const std::string& bytes = sample(int(state.range(0)));
    for (auto _ : state) {
        MemoryReader reader{&bytes};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, readFromMemory, &error);
        if (!file || DGifSlurp(file) != GIF_OK) {
            state.SkipWithError("giflib failed");
            break;
        }
        std::vector<std::vector<uint32_t>> frames;
        for (int i = 0; i < file->ImageCount; ++i) {
            const SavedImage& image = file->SavedImages[i];
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(file, i, &gcb);
            uint32_t colours[256] = {};
            for (int c = 0; map && c < map->ColorCount && c < 256; ++c) {
                const GifColorType& e = map->Colors[c];
                colours[c] = 0xFF000000u | uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue;
            }
            if (gcb.TransparentColor >= 0) {
                colours[gcb.TransparentColor & 255] = 0;
            }
            const size_t n = size_t(image.ImageDesc.Width) * size_t(image.ImageDesc.Height);
            std::vector<uint32_t> pixels(n);
            for (size_t p = 0; p < n; ++p) {
                pixels[p] = colours[image.RasterBits[p]];
            }
            frames.push_back(std::move(pixels));
        }
        benchmark::DoNotOptimize(frames.back().data());
        DGifCloseFile(file, &error);
    }
    state.SetItemsProcessed(state.iterations() * framePixels(bytes));
}

// Arguments: 0 a 2000x2000 frame, 1 a 4000x1000 frame, 2 100 frames of 400x300 (mostly 200x150
// with transparency), 3 250 frames of 120x90.
BENCHMARK(BM_OursDecode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibDecode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_DitherToDisplayPalette(benchmark::State& state) {
    tavlin::Bitmap picture(2048, 2048);
    std::mt19937 rng(5);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const uint32_t r = uint32_t(x / 8), g = uint32_t(y / 8),
                           b = uint32_t((x + y) / 16 + rng() % 16) & 255;
            picture.setPixel(x, y, 0xFF000000u | r << 16 | g << 8 | b);
        }
    }
    for (auto _ : state) {
        tavlin::Bitmap reduced = tavlin::ReduceColors(picture, tavlin::displayPalette());
        benchmark::DoNotOptimize(reduced.pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(picture.width()) * picture.height());
}
BENCHMARK(BM_DitherToDisplayPalette)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
