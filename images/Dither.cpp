#include "images/Dither.h"

#include "images/BmpReader.h"
#include "images/ImageError.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace tavlin {

namespace {

void putLe16(std::string& s, uint32_t v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
}
void putLe32(std::string& s, uint32_t v) {
    putLe16(s, v & 0xFFFF);
    putLe16(s, v >> 16);
}

} // namespace

TDIBReader::TDIBReader(const Bitmap& source)
    : source_(source), width_(source.width()), height_(source.height()) {
    if (source.isEmpty()) {
        throw EImageError("Bitmap image is not valid");
    }
    row_.resize(size_t(width_) * 3);
}

const uint8_t* TDIBReader::Row(int y) {
    if (y < 0 || y >= height_) {
        throw EImageError("Scan line index out of range");
    }
    const uint32_t* src = source_.row(y);
    uint8_t* out = row_.data();
    for (int x = 0; x < width_; ++x, out += 3) {
        out[0] = uint8_t(src[x]);
        out[1] = uint8_t(src[x] >> 8);
        out[2] = uint8_t(src[x] >> 16);
    }
    return row_.data();
}

TDIBWriter::TDIBWriter(int width, int height, int bitsPerPixel, const Palette& palette)
    : width_(width), height_(height), bits_(bitsPerPixel) {
    if (bits_ != 1 && bits_ != 4 && bits_ != 8 && bits_ != 24) {
        throw EImageError("Invalid pixel format");
    }
    if (width_ <= 0 || height_ <= 0) {
        throw EImageError("Bitmap image is not valid");
    }
    rowBytes_ = int((size_t(width_) * size_t(bits_) + 31) / 32 * 4);
    try {
        pixels_.assign(size_t(rowBytes_) * size_t(height_), 0);
    } catch (const std::bad_alloc&) {
        throw EImageError("Failed to allocate memory for GIF DIB");
    }
    putLe32(info_, 40);
    putLe32(info_, uint32_t(width_));
    putLe32(info_, uint32_t(height_)); // positive: rows bottom-up
    putLe16(info_, 1);
    putLe16(info_, uint32_t(bits_));
    putLe32(info_, 0); // no compression
    putLe32(info_, uint32_t(pixels_.size()));
    putLe32(info_, 0);
    putLe32(info_, 0);
    putLe32(info_, 0);
    putLe32(info_, 0);
    if (bits_ <= 8) {
        const size_t entries = size_t(1) << bits_;
        for (size_t i = 0; i < entries; ++i) {
            const uint32_t c = i < palette.size() ? palette[i] : 0;
            info_.push_back(char(uint8_t(c)));
            info_.push_back(char(uint8_t(c >> 8)));
            info_.push_back(char(uint8_t(c >> 16)));
            info_.push_back(0);
        }
    }
}

uint8_t* TDIBWriter::Row(int y) {
    if (pixels_.empty()) {
        throw EImageError("Image has no DIB");
    }
    if (y < 0 || y >= height_) {
        throw EImageError("Scan line index out of range");
    }
    return pixels_.data() + size_t(height_ - 1 - y) * size_t(rowBytes_);
}

std::string TDIBWriter::BmpImage() const {
    std::string image;
    const size_t infoSize = info_.size();
    image.reserve(14 + infoSize + pixels_.size());
    image += "BM";
    putLe32(image, uint32_t(14 + infoSize + pixels_.size()));
    putLe16(image, 0);
    putLe16(image, 0);
    putLe32(image, uint32_t(14 + infoSize));
    image += info_;
    image.append(reinterpret_cast<const char*>(pixels_.data()), pixels_.size());
    return image;
}

Bitmap TDIBWriter::Finish() const {
    const std::string image = BmpImage();
    try {
        return readBmp(image);
    } catch (const EImageError&) {
        throw EImageError("Failed to create DIB from Bitmap");
    }
}

TColorLookup::TColorLookup(const Palette& palette) : palette_(palette) {
    if (palette_.size() > 256) {
        palette_.resize(256);
    }
    if (palette_.empty()) {
        throw EImageError("Bitmap image is not valid");
    }
    for (uint32_t c : palette_) {
        entries_.push_back({uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
}

int TColorLookup::nearest(uint8_t red, uint8_t green, uint8_t blue) const {
    int best = 0;
    int bestDistance = 196608; // larger than any distance
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        const int distance = std::abs(e.r - red) + std::abs(e.g - green) + std::abs(e.b - blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return best;
}

int TColorLookup::Lookup(uint8_t red, uint8_t green, uint8_t blue, uint32_t& colour) {
    const int index = nearest(red, green, blue);
    colour = palette_[size_t(index)];
    return index;
}

TFastColorLookup::TFastColorLookup(const Palette& palette) : TColorLookup(palette), table_(32 * 32 * 32, -1) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        int16_t& cell = table_[size_t((e.b >> 3) * 1024 + (e.g >> 3) * 32 + (e.r >> 3))];
        if (cell == kUnknown) {
            cell = int16_t(i);
        } else if (cell >= 0 && palette_[size_t(cell)] != palette_[i]) {
            cell = kShared;
        }
    }
}

TFloydSteinbergEngine::TFloydSteinbergEngine(int width, TFastColorLookup& lookup)
    : TDitherEngine(width, lookup) {
    for (Channel& c : channels_) {
        c.errors.assign(size_t(width) + 2, 0);
    }
}

struct TFloydSteinbergEngine::Running {
    int* e[3];
    int current[3];
    int below[3];
    int belowPrevious[3];
    int direction;
    int column;
};

TFloydSteinbergEngine::Running TFloydSteinbergEngine::load() {
    Running r{};
    for (size_t i = 0; i < 3; ++i) {
        Channel& c = channels_[i];
        r.e[i] = c.errors.data() + c.at;
        r.current[i] = c.Current;
        r.below[i] = c.Below;
        r.belowPrevious[i] = c.BelowPrevious;
    }
    r.direction = Direction;
    r.column = Column;
    return r;
}

void TFloydSteinbergEngine::store(const Running& r) {
    for (size_t i = 0; i < 3; ++i) {
        Channel& c = channels_[i];
        c.at = int(r.e[i] - c.errors.data());
        c.Current = r.current[i];
        c.Below = r.below[i];
        c.BelowPrevious = r.belowPrevious[i];
    }
    Column = r.column;
}

namespace {

// One pixel of Floyd-Steinberg diffusion: the pixel plus the error carried to it, clamped, is
// looked up; its error goes 7/16 to the next pixel and 3, 5 and 1 sixteenths to the row below.
template <class Running>
[[gnu::always_inline]] inline int ditherPixel(Running& r, TFastColorLookup& lookup, const int (&in)[3]) {
    int value[3];
    for (int i = 0; i < 3; ++i) {
        const int v = in[i] + (r.e[i][r.direction] + r.current[i] + 8) / 16;
        value[i] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
    uint32_t q = 0;
    const int index = lookup.Lookup(uint8_t(value[0]), uint8_t(value[1]), uint8_t(value[2]), q);
    r.column += r.direction;
    const int quantised[3] = {int(uint8_t(q >> 16)), int(uint8_t(q >> 8)), int(uint8_t(q))};
    for (int i = 0; i < 3; ++i) {
        const int err = value[i] - quantised[i];
        r.e[i][0] = r.belowPrevious[i] + 3 * err;
        r.belowPrevious[i] = r.below[i] + 5 * err;
        r.below[i] = err;
        r.current[i] = 7 * err;
        r.e[i] += r.direction;
    }
    return index;
}

} // namespace

int TFloydSteinbergEngine::Dither(uint8_t red, uint8_t green, uint8_t blue) {
    Running r = load();
    const int in[3] = {red, green, blue};
    const int index = ditherPixel(r, lookup_, in);
    store(r);
    return index;
}

void TFloydSteinbergEngine::DitherRow(const uint8_t* bgr, uint8_t* indexes) {
    Running r = load();
    for (int x = r.column; x >= 0 && x < Width; x = r.column) {
        const uint8_t* p = bgr + size_t(x) * 3;
        const int in[3] = {p[2], p[1], p[0]};
        indexes[x] = uint8_t(ditherPixel(r, lookup_, in));
    }
    store(r);
}

void TFloydSteinbergEngine::NextLine() {
    for (Channel& c : channels_) {
        c.errors[size_t(c.at)] = c.BelowPrevious;
        c.Current = c.Below = c.BelowPrevious = 0;
    }
    const bool wasLeftToRight = Direction > 0;
    Direction = -Direction;
    Column = wasLeftToRight ? Width - 1 : 0;
    for (Channel& c : channels_) {
        c.at = wasLeftToRight ? Width + 1 : 0;
    }
}

Bitmap ReduceColors(const Bitmap& source, const Palette& palette) {
    TDIBReader reader(source);
    TFastColorLookup lookup(palette);
    TFloydSteinbergEngine engine(reader.Width(), lookup);
    TDIBWriter writer(reader.Width(), reader.Height(), 8, palette);
    for (int y = 0; y < reader.Height(); ++y) {
        engine.DitherRow(reader.Row(y), writer.Row(y));
        engine.NextLine();
    }
    return writer.Finish();
}

std::optional<Bitmap> DitherToDisplay(const Bitmap& source) {
    if (source.isEmpty()) {
        return std::nullopt;
    }
    const Palette& palette = screenPalette();
    if (palette.empty()) {
        return source;
    }
    Bitmap result = ReduceColors(source, palette);
    result.mask = source.mask;
    if (source.hasAlpha) {
        result.hasAlpha = true;
        for (size_t i = 0; i < result.pixels().size(); ++i) {
            result.pixels()[i] = (result.pixels()[i] & 0xFFFFFFu) | (source.pixels()[i] & 0xFF000000u);
        }
    }
    return result;
}

} // namespace tavlin
