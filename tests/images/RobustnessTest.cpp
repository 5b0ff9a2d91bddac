// Damaged copies of the sample pictures (bits flipped, bytes cut, inserted or overwritten with
// large values) must load or fail cleanly, never crash, hang or run out of memory.
#include "images/GIFImage.h"
#include "images/ImageError.h"
#include "images/ImageLoader.h"
#include "platform/Files.h"
#include "platform/qt/QtImageDecoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace tavlin;

namespace {

std::vector<std::string> samples() {
    std::vector<std::string> all;
    for (const char* dir : {"/fuzz/corpus/fuzz_gif", "/fuzz/corpus/fuzz_bmp_png", "/fuzz/corpus/fuzz_jpeg"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(TAVLIN_SOURCE_DIR) + dir)) {
            if (std::optional<std::string> bytes = readWholeFile(entry.path().string())) {
                all.push_back(*bytes);
            }
        }
    }
    return all;
}

std::string damaged(std::string bytes, std::mt19937& rng) {
    switch (rng() % 4) {
    case 0:
        for (int i = 0; i < 4 && !bytes.empty(); ++i) {
            bytes[rng() % bytes.size()] ^= char(1 << (rng() % 8));
        }
        break;
    case 1:
        bytes.resize(rng() % (bytes.size() + 1));
        break;
    case 2:
        bytes.insert(rng() % (bytes.size() + 1), std::string(1 + rng() % 8, char(rng())));
        break;
    default:
        if (bytes.size() > 2) {
            bytes[rng() % bytes.size()] = char(0xFF);
            bytes[rng() % bytes.size()] = char(0x7F);
        }
    }
    return bytes;
}

} // namespace

TEST(Robustness, DamagedPicturesLoadOrFailCleanly) {
    QtImageDecoder::install();
    const std::vector<std::string> originals = samples();
    ASSERT_GE(originals.size(), 10u);
    std::mt19937 rng(99);
    int loaded = 0;
    for (const std::string& original : originals) {
        for (int round = 0; round < 150; ++round) {
            const std::string bytes = damaged(original, rng);
            try {
                loaded += decodePicture(bytes).isEmpty() ? 0 : 1;
            } catch (const EImageError&) {
            }
            TGIFImage gif;
            if (gif.LoadFromStream(bytes)) {
                for (int n = 2; n <= gif.FrameCount() + 1; ++n) {
                    gif.SetCurrentFrame(n);
                }
            }
            int transparency = 1;
            (void)loadPictureStream(bytes, transparency);
        }
    }
    EXPECT_GT(loaded, 0);
}
