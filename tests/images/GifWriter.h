#pragma once
// A small GIF writer for the tests: LZW compression as encoders write it, frames with local
// tables, graphic control blocks, interlacing and the looping extension.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace giftest {

inline void putLe16(std::string& s, int v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
}

// Codes packed least significant bit first, wrapped in sub-blocks of at most 255 bytes.
class CodeWriter {
public:
    void put(int code, int size) {
        acc_ |= uint32_t(code) << bits_;
        bits_ += size;
        while (bits_ >= 8) {
            bytes_.push_back(char(acc_ & 0xFF));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    std::string blocks() {
        if (bits_ > 0) {
            bytes_.push_back(char(acc_ & 0xFF));
            bits_ = 0;
        }
        std::string out;
        for (size_t i = 0; i < bytes_.size(); i += 255) {
            const size_t n = std::min<size_t>(255, bytes_.size() - i);
            out.push_back(char(n));
            out += bytes_.substr(i, n);
        }
        out.push_back(0);
        return out;
    }

private:
    std::string bytes_;
    uint32_t acc_ = 0;
    int bits_ = 0;
};

// The code-size byte and the sub-blocks of LZW data for the pixel indexes, in data order.
inline std::string lzwEncode(const std::vector<uint8_t>& pixels, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    CodeWriter out;
    int size = minCodeSize + 1;
    int next = clear + 2;
    std::unordered_map<uint32_t, int> table;
    auto emit = [&](int code) {
        out.put(code, size);
        if (next >= (1 << size) && size < 12) {
            ++size;
        }
    };
    emit(clear);
    std::string result(1, char(minCodeSize));
    if (pixels.empty()) {
        emit(end);
        return result + out.blocks();
    }
    int w = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = uint32_t(w) << 8 | pixels[i];
        if (auto it = table.find(key); it != table.end()) {
            w = it->second;
            continue;
        }
        emit(w);
        if (next < 4096) {
            table[key] = next++;
        } else {
            emit(clear);
            table.clear();
            next = clear + 2;
            size = minCodeSize + 1;
        }
        w = pixels[i];
    }
    emit(w);
    emit(end);
    return result + out.blocks();
}

struct Frame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;      // row-major, top row first
    std::vector<uint32_t> localTable; // 0xRRGGBB; empty: the global table
    bool control = true;
    int delayCs = 0;
    int disposal = 0;
    int transparent = -1;
    bool interlaced = false;
    int minCodeSize = 0; // 0: from the table size
};

struct Gif {
    std::string version = "89a";
    int width = 0;
    int height = 0;
    std::vector<uint32_t> globalTable; // 0xRRGGBB, a power of two entries (or none)
    std::optional<int> loop;
    std::string beforeFrames; // raw blocks placed before the first frame
    std::vector<Frame> frames;
    bool trailer = true;
};

inline int tableBits(size_t entries) {
    int bits = 1;
    while ((size_t(1) << bits) < entries) {
        ++bits;
    }
    return bits;
}

inline void putTable(std::string& s, const std::vector<uint32_t>& table) {
    const size_t n = size_t(1) << tableBits(table.size());
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = i < table.size() ? table[i] : 0;
        s.push_back(char(c >> 16));
        s.push_back(char(c >> 8));
        s.push_back(char(c));
    }
}

// The rows in the order an interlaced picture stores them.
inline std::vector<uint8_t> interlaceOrder(const std::vector<uint8_t>& pixels, int width, int height) {
    std::vector<uint8_t> out;
    const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& p : passes) {
        for (int y = p[0]; y < height; y += p[1]) {
            out.insert(out.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
        }
    }
    return out;
}

inline std::string frameBlocks(const Frame& f, int globalBits) {
    std::string s;
    if (f.control) {
        s += "\x21\xF9\x04";
        s.push_back(char((f.disposal << 2) | (f.transparent >= 0 ? 1 : 0)));
        putLe16(s, f.delayCs);
        s.push_back(char(f.transparent >= 0 ? f.transparent : 0));
        s.push_back(0);
    }
    s.push_back(0x2C);
    putLe16(s, f.left);
    putLe16(s, f.top);
    putLe16(s, f.width);
    putLe16(s, f.height);
    int bits = globalBits;
    uint8_t packed = f.interlaced ? 0x40 : 0;
    if (!f.localTable.empty()) {
        bits = tableBits(f.localTable.size());
        packed |= uint8_t(0x80 | (bits - 1));
    }
    s.push_back(char(packed));
    if (!f.localTable.empty()) {
        putTable(s, f.localTable);
    }
    const std::vector<uint8_t> data = f.interlaced ? interlaceOrder(f.pixels, f.width, f.height) : f.pixels;
    s += lzwEncode(data, f.minCodeSize ? f.minCodeSize : std::max(bits, 2));
    return s;
}

inline std::string encode(const Gif& g) {
    std::string s = "GIF" + g.version;
    putLe16(s, g.width);
    putLe16(s, g.height);
    const int bits = g.globalTable.empty() ? 0 : tableBits(g.globalTable.size());
    s.push_back(char(g.globalTable.empty() ? 0 : 0x80 | (bits - 1)));
    s.push_back(0);
    s.push_back(0);
    if (!g.globalTable.empty()) {
        putTable(s, g.globalTable);
    }
    if (g.loop) {
        s += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        putLe16(s, *g.loop);
        s.push_back(0);
    }
    s += g.beforeFrames;
    for (const Frame& f : g.frames) {
        s += frameBlocks(f, bits ? bits : 8);
    }
    if (g.trailer) {
        s.push_back(0x3B);
    }
    return s;
}

// A frame of the given size whose pixels come from f(x, y).
template <class F> Frame frameOf(int left, int top, int width, int height, F f) {
    Frame fr;
    fr.left = left;
    fr.top = top;
    fr.width = width;
    fr.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            fr.pixels.push_back(uint8_t(f(x, y)));
        }
    }
    return fr;
}

} // namespace giftest
