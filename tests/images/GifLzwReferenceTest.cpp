// Damaged LZW data decoded by the GIF reader and by a plain transcription of the decoding rules
// (a pixel at a time through the stack) must give the same pixels, or both fail.
#include "GifWriter.h"

#include "images/GIFImage.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

using namespace tavlin;

namespace {

// The rules as written: codes LSB first over the joined data, leading clear codes skipped, the
// 4096-entry table, the stack, and a chain of more than 4095 entries failing the picture.
std::optional<std::vector<uint8_t>> referenceDecode(const std::string& joined, int s, size_t count) {
    std::vector<uint8_t> out;
    size_t bit = 0;
    auto read = [&](int size) {
        if (bit + size_t(size) > joined.size() * 8) {
            return -1;
        }
        int code = 0;
        for (int i = 0; i < size; ++i, ++bit) {
            code |= ((uint8_t(joined[bit / 8]) >> (bit % 8)) & 1) << i;
        }
        return code;
    };
    const int clear = 1 << s, end = clear + 1;
    std::vector<int> suffix(4096, 0), prefix(4096, 0);
    int codeSize = 0, next = 0, maxCode = 0, old = 0, first = 0;
    auto reset = [&] {
        for (int i = 0; i < 4096; ++i) {
            suffix[size_t(i)] = i < clear ? i : 0;
            prefix[size_t(i)] = 0;
        }
        codeSize = s + 1;
        next = clear + 2;
        maxCode = 2 * clear;
    };
    auto start = [&] {
        int c;
        do {
            c = read(codeSize);
        } while (c == clear);
        if (c < 0 || c == end) {
            return false;
        }
        old = first = c;
        out.push_back(uint8_t(c));
        return true;
    };
    reset();
    bool more = start();
    while (more && out.size() < count) {
        int c = read(codeSize);
        if (c < 0 || c == end) {
            break;
        }
        if (c == clear) {
            reset();
            more = start();
            continue;
        }
        const int in = c;
        std::vector<uint8_t> stack;
        if (c >= next) {
            stack.push_back(uint8_t(first));
            c = old;
        }
        while (c >= clear) {
            if (stack.size() >= 4096) {
                return std::nullopt;
            }
            stack.push_back(uint8_t(suffix[size_t(c)]));
            c = prefix[size_t(c)];
        }
        first = suffix[size_t(c)];
        stack.push_back(uint8_t(first));
        if (stack.size() > 4096) {
            return std::nullopt;
        }
        if (next < 4096) {
            suffix[size_t(next)] = first;
            prefix[size_t(next)] = old;
            if (++next >= maxCode && maxCode < 4096) {
                maxCode *= 2;
                ++codeSize;
            }
        }
        old = in;
        out.insert(out.end(), stack.rbegin(), stack.rend());
    }
    out.resize(count, 0);
    return out;
}

} // namespace

TEST(GifLzwReference, DamagedDataDecodesAsTheRulesSay) {
    std::mt19937 rng(2024);
    std::vector<uint32_t> grey;
    for (uint32_t i = 0; i < 256; ++i) {
        grey.push_back(i * 0x010101u);
    }
    int failures = 0;
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + int(rng() % 60), h = 1 + int(rng() % 40);
        const int colours = 2 << (rng() % 8);
        std::vector<uint8_t> pixels;
        for (int i = 0; i < w * h; ++i) {
            pixels.push_back(uint8_t(rng() % 3 ? (i / 5) % colours : rng() % unsigned(colours)));
        }
        const int s = std::max(giftest::tableBits(size_t(colours)), 2);
        std::string lzw = giftest::lzwEncode(pixels, s);
        // Join the sub-blocks, damage the codes, then wrap them again.
        std::string joined;
        for (size_t at = 1; at < lzw.size() && lzw[at] != 0; at += 1 + uint8_t(lzw[at])) {
            joined += lzw.substr(at + 1, uint8_t(lzw[at]));
        }
        for (int flips = 1 + int(rng() % 4); flips > 0 && !joined.empty(); --flips) {
            joined[rng() % joined.size()] ^= char(1 << (rng() % 8));
        }
        giftest::CodeWriter blocks;
        for (char c : joined) {
            blocks.put(uint8_t(c), 8);
        }
        giftest::Gif g;
        g.width = w;
        g.height = h;
        g.globalTable = grey;
        giftest::Frame f;
        f.width = w;
        f.height = h;
        f.control = false;
        f.pixels = pixels;
        f.minCodeSize = s;
        g.frames.push_back(f);
        std::string bytes = giftest::encode(g);
        const size_t data = bytes.size() - 1 - lzw.size() + 1; // after the code-size byte
        bytes = bytes.substr(0, data) + blocks.blocks() + ";";

        const std::optional<std::vector<uint8_t>> expected = referenceDecode(joined, s, size_t(w * h));
        TGIFImage gif;
        const bool ok = gif.LoadFromStream(bytes);
        ASSERT_EQ(ok, expected.has_value()) << round << " " << gif.ErrorText;
        if (!ok) {
            ++failures;
            continue;
        }
        const Bitmap& pic = gif.Frame(1).Picture;
        for (int i = 0; i < w * h; ++i) {
            ASSERT_EQ(pic.pixel(i % w, i / w), 0xFF000000u | (*expected)[size_t(i)] * 0x010101u)
                << "round " << round << " pixel " << i;
        }
    }
    EXPECT_LT(failures, 150);
}
