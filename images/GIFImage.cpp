#include "images/GIFImage.h"

#include "images/Display.h"
#include "images/Dither.h"
#include "images/ImageError.h"
#include "platform/Files.h"
#include "platform/System.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tavlin {

namespace {

constexpr const char* kCorrupt = "Corrupt GIF Image";
constexpr int kMaxFrames = 256;
constexpr int kTableSize = 4096;

} // namespace

// Reads the bytes of the file being parsed; every read is bounds-checked.
class GifCursor {
public:
    explicit GifCursor(std::string_view data) : d_(reinterpret_cast<const uint8_t*>(data.data())), size_(data.size()) {}

    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    bool atEnd() const { return pos_ >= size_; }
    bool has(size_t n) const { return size_ - pos_ >= n; }
    uint8_t peek() const { return d_[pos_]; }
    uint8_t byte() { return d_[pos_++]; }
    int le16At(size_t at) const { return d_[at] | d_[at + 1] << 8; }
    const uint8_t* here() const { return d_ + pos_; }
    void skip(size_t n) { pos_ += std::min(n, size_ - pos_); }

    // Sub-blocks (a length byte and that many bytes) up to and including the zero length.
    void skipSubBlocks() {
        while (!atEnd()) {
            const uint8_t n = byte();
            if (n == 0) {
                return;
            }
            skip(n);
        }
    }
    std::string readSubBlocks() {
        std::string text;
        while (!atEnd()) {
            const uint8_t n = byte();
            if (n == 0) {
                break;
            }
            const size_t take = std::min<size_t>(n, size_ - pos_);
            text.append(reinterpret_cast<const char*>(here()), take);
            skip(take);
        }
        return text;
    }

    // LZW codes, least significant bit first, read across the sub-blocks of one frame.
    void beginCodes() {
        blockEnd_ = pos_;
        bits_ = 0;
        bitCount_ = 0;
        ended_ = false;
    }
    int code(int codeSize) {
        while (bitCount_ < codeSize) {
            if (pos_ < blockEnd_) {
                bits_ |= uint32_t(d_[pos_++]) << bitCount_;
                bitCount_ += 8;
                continue;
            }
            if (ended_ || atEnd()) {
                ended_ = true;
                return -1;
            }
            const uint8_t n = byte();
            if (n == 0) {
                ended_ = true;
                return -1;
            }
            blockEnd_ = pos_ + std::min<size_t>(n, size_ - pos_);
        }
        const int c = int(bits_ & ((1u << codeSize) - 1));
        bits_ >>= codeSize;
        bitCount_ -= codeSize;
        return c;
    }
    // Passes over what is left of the frame's data, up to its zero-length block.
    void endCodes() {
        if (!ended_) {
            pos_ = std::max(pos_, blockEnd_);
            skipSubBlocks();
            ended_ = true;
        }
    }

private:
    const uint8_t* d_;
    size_t size_;
    size_t pos_ = 0;
    size_t blockEnd_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    bool ended_ = true;
};

namespace {

// The rows of a frame in the order its data delivers them.
std::vector<int> rowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) {
            rows.push_back(y);
        }
        return rows;
    }
    static constexpr int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& pass : kPasses) {
        for (int y = pass[0]; y < height; y += pass[1]) {
            rows.push_back(y);
        }
    }
    return rows;
}

// Decodes one frame's LZW data into pixel indexes, a byte each, rows top-down.
class LzwDecoder {
public:
    LzwDecoder(GifCursor& in, uint8_t* pixels, int width, int height, bool interlaced)
        : in_(in), pixels_(pixels), width_(width), rows_(rowOrder(height, interlaced)) {}

    void run() {
        if (in_.atEnd()) {
            return;
        }
        const int minCodeSize = in_.byte();
        in_.beginCodes();
        if (minCodeSize > 11) {
            throw EImageError(kCorrupt); // codes would pass 12 bits
        }
        clear_ = 1 << minCodeSize;
        end_ = clear_ + 1;
        initialSize_ = minCodeSize + 1;
        for (int i = 0; i < clear_; ++i) {
            suffix_[size_t(i)] = uint8_t(i);
        }
        resetTable();
        decode();
        in_.endCodes();
    }

private:
    void resetTable() {
        // Only the entries made since the last reset are dirty; the rest are still zero.
        for (int i = clear_ + 2; i < next_; ++i) {
            suffix_[size_t(i)] = 0;
            prefix_[size_t(i)] = 0;
        }
        codeSize_ = initialSize_;
        next_ = clear_ + 2;
        maxCode_ = 2 * clear_;
    }

    void push(uint8_t value) {
        if (sp_ >= kTableSize) {
            throw EImageError(kCorrupt);
        }
        stack_[size_t(sp_++)] = value;
    }

    // The first code after the start or a clear code: a pixel by itself. False at the end.
    bool startString() {
        int c;
        do {
            c = in_.code(codeSize_);
        } while (c == clear_);
        if (c < 0 || c == end_) {
            return false;
        }
        old_ = c;
        first_ = uint8_t(c);
        push(first_);
        return true;
    }

    void decode() {
        sp_ = 0;
        if (!startString() || !flush()) {
            return;
        }
        for (;;) {
            const int code = in_.code(codeSize_);
            if (code < 0 || code == end_) {
                return;
            }
            if (code == clear_) {
                resetTable();
                if (!startString() || !flush()) {
                    return;
                }
                continue;
            }
            int c = code;
            if (c >= next_) {
                push(first_);
                c = old_;
            }
            while (c >= clear_) {
                push(suffix_[size_t(c)]);
                c = prefix_[size_t(c)];
            }
            first_ = suffix_[size_t(c)];
            push(first_);
            if (next_ < kTableSize) {
                suffix_[size_t(next_)] = first_;
                prefix_[size_t(next_)] = uint16_t(old_);
                ++next_;
                if (next_ >= maxCode_ && maxCode_ < kTableSize) {
                    maxCode_ *= 2;
                    ++codeSize_;
                }
            }
            old_ = code;
            if (!flush()) {
                return;
            }
        }
    }

    // Moves the stacked string into the rows; false once the last row is full.
    bool flush() {
        while (sp_ > 0) {
            if (row_ >= rows_.size()) {
                sp_ = 0;
                return false;
            }
            uint8_t* out = pixels_ + size_t(rows_[row_]) * size_t(width_);
            const int n = std::min(sp_, width_ - x_);
            for (int i = 0; i < n; ++i) {
                out[x_ + i] = stack_[size_t(sp_ - 1 - i)];
            }
            sp_ -= n;
            x_ += n;
            if (x_ == width_) {
                x_ = 0;
                ++row_;
            }
        }
        return row_ < rows_.size();
    }

    GifCursor& in_;
    uint8_t* pixels_;
    int width_;
    std::vector<int> rows_;
    size_t row_ = 0;
    int x_ = 0;
    int clear_ = 0;
    int end_ = 0;
    int initialSize_ = 0;
    int codeSize_ = 0;
    int next_ = 0;
    int maxCode_ = 0;
    int old_ = 0;
    uint8_t first_ = 0;
    int sp_ = 0;
    std::array<uint8_t, kTableSize> suffix_{};
    std::array<uint16_t, kTableSize> prefix_{};
    std::array<uint8_t, kTableSize> stack_{};
};

uint32_t pixelOf(const uint8_t* table, int index) {
    const uint8_t* e = table + size_t(index) * 3;
    return 0xFF000000u | uint32_t(e[0]) << 16 | uint32_t(e[1]) << 8 | e[2];
}

// The table's colours as pixels; on an 8-bit screen (without dithering) each becomes the nearest
// colour of the display palette.
std::array<uint32_t, 256> framePixels(const uint8_t* table, bool mapToDisplay) {
    std::array<uint32_t, 256> pixels{};
    std::optional<TFastColorLookup> lookup;
    if (mapToDisplay) {
        lookup.emplace(displayPalette());
    }
    for (int i = 0; i < 256; ++i) {
        pixels[size_t(i)] = pixelOf(table, i);
        if (lookup) {
            const uint32_t p = pixels[size_t(i)];
            lookup->Lookup(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), pixels[size_t(i)]);
        }
    }
    return pixels;
}

void copyRect(const Bitmap& from, int fx, int fy, Bitmap& to, int tx, int ty, int w, int h) {
    for (int y = 0; y < h; ++y) {
        std::memcpy(to.row(ty + y) + tx, from.row(fy + y) + fx, size_t(w) * 4);
    }
}

void copyMaskRect(const Mask& from, int fx, int fy, Mask& to, int tx, int ty, int w, int h) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            to.setTransparent(tx + x, ty + y, from.isTransparent(fx + x, fy + y));
        }
    }
}

void fillMaskRect(Mask& mask, const Rect& r, bool transparent) {
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            mask.setTransparent(x, y, transparent);
        }
    }
}

} // namespace

TGIFImage::TGIFImage() : clock_(tickCountMs) {}

TGIFImage::TGIFImage(const TGIFImage& o)
    : Empty(o.Empty), HeaderOnly(o.HeaderOnly), Width(o.Width), Height(o.Height), ColourBits(o.ColourBits),
      GlobalTable(o.GlobalTable), IsTransparent(o.IsTransparent), IsAnimated(o.IsAnimated), Frames(o.Frames),
      LoopCount(o.LoopCount), Speed(o.Speed), Animate(o.Animate), SkipNextStep(o.SkipNextStep),
      LastStepTime(o.LastStepTime), CurrentDelay(o.CurrentDelay), ShowIt(o.ShowIt), Visible(o.Visible),
      Dither(o.Dither), LastDrawRect(o.LastDrawRect), IsCopy(true), clock_(o.clock_) {
    if (!Empty && !HeaderOnly && !Frames.empty()) {
        StartComposite();
        ComposeFrame(1);
    }
}

bool TGIFImage::LoadFromFile(const std::string& name, bool headerOnly) {
    std::optional<std::string> bytes = readWholeFile(name);
    if (!bytes) {
        ErrorText = "Can't locate file: " + name;
        return false;
    }
    Data = std::move(*bytes);
    HeaderOnly = headerOnly;
    return Parse();
}

bool TGIFImage::LoadFromStream(std::string_view data, bool headerOnly) {
    Data.assign(data.data(), data.size());
    HeaderOnly = headerOnly;
    return Parse();
}

void TGIFImage::Reset() {
    Frames.clear();
    Composite = Bitmap();
    CompositeMask.reset();
    CurrentFrame = 1;
    LoopCount = 1;
    Iteration = 1;
    SkipNextStep = true;
    ColourBits = 0;
    IsTransparent = false;
    IsAnimated = false;
    Empty = true;
    GlobalTable.fill(0);
    ErrorText.clear();
    framePixels_ = 0;
}

bool TGIFImage::Parse() {
    Reset();
    bool ok = false;
    try {
        GifCursor in(Data);
        ParseBlocks(in);
        if (Frames.empty()) {
            throw EImageError("GIF has no image");
        }
        if (!HeaderOnly) {
            StartComposite();
        }
        IsAnimated = Frames.size() > 1;
        Empty = false;
        if (!HeaderOnly) {
            ComposeFrame(1);
        }
        ok = true;
    } catch (const EImageError& e) {
        ErrorText = e.what();
    } catch (const std::bad_alloc&) {
        ErrorText = "Failed to allocate memory for GIF DIB";
    }
    if (!ok) {
        Frames.clear();
        Composite = Bitmap();
        CompositeMask.reset();
        Empty = true;
    }
    Data.clear();
    Data.shrink_to_fit();
    return ok;
}

void TGIFImage::StartComposite() {
    Composite = Bitmap(Width, Height, 0xFF000000u);
    CompositeMask.reset();
    if (IsTransparent) {
        CompositeMask.emplace(Width, Height);
        CompositeMask->fill(true);
    }
}

void TGIFImage::ParseBlocks(GifCursor& in) {
    if (!in.has(13) || std::memcmp(in.here(), "GIF", 3) != 0) {
        throw EImageError("Not a GIF image");
    }
    Width = in.le16At(6);
    Height = in.le16At(8);
    const uint8_t packed = in.here()[10];
    in.skip(13);
    if (packed & 0x80) {
        ColourBits = (packed & 7) + 1;
        const size_t bytes = size_t(3) << ColourBits;
        std::memcpy(GlobalTable.data(), in.here(), std::min(bytes, in.size() - in.pos()));
        in.skip(bytes);
    }
    if (pictureTooLarge(std::max(Width, 1), std::max(Height, 1), Data.size())) {
        throw EImageError("Picture too large");
    }
    std::array<uint8_t, 6> control{};
    bool haveControl = false;
    std::string comment;
    while (!in.atEnd()) {
        const uint8_t lead = in.peek();
        if (lead == 0x3B) { // trailer
            break;
        }
        if (lead == 0x2C) {
            if (int(Frames.size()) >= kMaxFrames || !ReadFrame(in, haveControl ? &control : nullptr)) {
                break;
            }
            TgfFrame& f = Frames.back();
            ColourBits = std::max(ColourBits, f.LocalBits);
            IsTransparent = IsTransparent || f.HasTransparent;
            f.Comment = std::move(comment);
            comment.clear();
            haveControl = false;
            continue;
        }
        if (lead != 0x21 || !in.has(2)) {
            break; // anything else ends the picture
        }
        const uint8_t label = in.here()[1];
        if (label == 0x01) { // plain text: not shown
            in.skip(2);
            in.skipSubBlocks();
        } else if (label == 0xF9) { // graphic control
            in.skip(2);
            control.fill(0);
            if (!in.atEnd()) {
                const uint8_t n = in.byte();
                control[0] = n;
                for (size_t i = 1; i <= 4 && i <= n && !in.atEnd(); ++i) {
                    control[i] = in.byte();
                }
                in.skip(n > 4 ? n - 4 : 0);
                in.skipSubBlocks();
            }
            haveControl = true;
        } else if (label == 0xFE) { // comment
            in.skip(2);
            comment += in.readSubBlocks();
        } else if (label == 0xFF) { // application
            in.skip(2);
            if (in.has(15) && in.peek() == 11 && std::memcmp(in.here() + 1, "NETSCAPE2.0", 11) == 0) {
                in.skip(12);
                if (in.has(4) && in.peek() >= 3) {
                    LoopCount = in.le16At(in.pos() + 2);
                }
            }
            in.skipSubBlocks();
        } else {
            break; // an extension of another kind ends the picture
        }
    }
}

bool TGIFImage::ReadFrame(GifCursor& in, const std::array<uint8_t, 6>* control) {
    if (!in.has(10)) {
        return false;
    }
    const size_t at = in.pos();
    TgfFrame f;
    f.Left = in.le16At(at + 1);
    f.Top = in.le16At(at + 3);
    f.Width = in.le16At(at + 5);
    f.Height = in.le16At(at + 7);
    const uint8_t packed = in.here()[9];
    in.skip(10);
    if (packed & 0x80) {
        f.LocalBits = (packed & 7) + 1;
        const size_t bytes = size_t(3) << f.LocalBits;
        if (!in.has(bytes)) {
            return false;
        }
        f.LocalTable.assign(in.here(), in.here() + bytes);
        in.skip(bytes);
    }
    f.Interlaced = packed & 0x40;
    if (control) {
        const uint8_t flags = (*control)[1];
        const int disposal = (flags >> 2) & 7;
        f.Disposal = disposal == 0 || disposal == 1 || disposal == 3 ? disposal : 2;
        f.Delay = ((*control)[2] | (*control)[3] << 8) * 10;
        f.HasTransparent = flags & 1;
        f.TransparentIndex = (*control)[4];
    }
    if (f.HasTransparent) {
        const std::array<uint8_t, 768> table = TableOf(f);
        const uint8_t* e = table.data() + f.TransparentIndex * 3;
        f.TransparentRGB = rgb(e[0], e[1], e[2]);
    }
    // Stop before a frame that would make the picture larger than its data allows.
    const int width = std::max(Width, f.Left + f.Width);
    const int height = std::max(Height, f.Top + f.Height);
    const long long frameArea = (long long)f.Width * f.Height;
    if (framePixels_ + frameArea + (long long)width * height > pictureBudget(Data.size())) {
        return false;
    }
    framePixels_ += frameArea;
    Width = width;
    Height = height;
    if (HeaderOnly || frameArea == 0) {
        if (!in.atEnd()) {
            in.byte(); // code size
        }
        in.skipSubBlocks();
    } else {
        DecodeFramePixels(in, f);
    }
    while (!in.atEnd() && in.peek() == 0) {
        in.byte(); // stray block terminators
    }
    Frames.push_back(std::move(f));
    return true;
}

std::array<uint8_t, 768> TGIFImage::TableOf(const TgfFrame& f) const {
    if (!f.LocalBits) {
        return GlobalTable;
    }
    std::array<uint8_t, 768> table{};
    std::copy(f.LocalTable.begin(), f.LocalTable.end(), table.begin());
    return table;
}

void TGIFImage::DecodeFramePixels(GifCursor& in, TgfFrame& f) {
    std::vector<uint8_t> indexes(size_t(f.Width) * size_t(f.Height), 0);
    LzwDecoder(in, indexes.data(), f.Width, f.Height, f.Interlaced).run();

    const std::array<uint8_t, 768> table = TableOf(f);
    const bool mapToDisplay = screenColorClass() == 8 && !Dither;
    std::array<uint32_t, 256> colours = framePixels(table.data(), mapToDisplay);
    if (f.HasTransparent) {
        colours[size_t(f.TransparentIndex)] = 0xFF000000u;
        f.Mask.emplace(f.Width, f.Height);
    }
    f.Picture = Bitmap(f.Width, f.Height);
    for (int y = 0; y < f.Height; ++y) {
        const uint8_t* src = indexes.data() + size_t(y) * size_t(f.Width);
        uint32_t* row = f.Picture.row(y);
        for (int x = 0; x < f.Width; ++x) {
            row[x] = colours[src[x]];
        }
        if (f.Mask) {
            for (int x = 0; x < f.Width; ++x) {
                if (src[x] == f.TransparentIndex) {
                    f.Mask->setTransparent(x, y, true);
                }
            }
        }
    }
    if (Dither) {
        f.Picture = ReduceColors(f.Picture, displayPalette());
    }
}

void TGIFImage::DisposeFrame(int n) {
    if (n < 1 || n > FrameCount() || Composite.isEmpty()) {
        return;
    }
    TgfFrame& f = Frame(n);
    const Rect r = f.rect();
    if (f.Disposal == 2) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::fill(Composite.row(y) + r.left, Composite.row(y) + r.right, 0xFF000000u);
        }
        if (CompositeMask) {
            fillMaskRect(*CompositeMask, r, true);
        }
    } else if (f.Disposal == 3 && !f.SavedPicture.isEmpty()) {
        copyRect(f.SavedPicture, 0, 0, Composite, r.left, r.top, f.Width, f.Height);
        if (CompositeMask && f.SavedMask) {
            copyMaskRect(*f.SavedMask, 0, 0, *CompositeMask, r.left, r.top, f.Width, f.Height);
        }
    }
}

void TGIFImage::ComposeFrame(int n) {
    if (n < 1 || n > FrameCount() || Composite.isEmpty()) {
        return;
    }
    TgfFrame& f = Frame(n);
    if (f.Picture.isEmpty()) {
        return;
    }
    if (f.Disposal == 3) {
        f.SavedPicture = Bitmap(f.Width, f.Height);
        copyRect(Composite, f.Left, f.Top, f.SavedPicture, 0, 0, f.Width, f.Height);
        if (CompositeMask) {
            f.SavedMask.emplace(f.Width, f.Height);
            copyMaskRect(*CompositeMask, f.Left, f.Top, *f.SavedMask, 0, 0, f.Width, f.Height);
        }
    }
    if (!f.Mask) {
        copyRect(f.Picture, 0, 0, Composite, f.Left, f.Top, f.Width, f.Height);
        if (CompositeMask) {
            fillMaskRect(*CompositeMask, f.rect(), false);
        }
        return;
    }
    // Opaque pixels replace what is there; transparent ones keep it.
    for (int y = 0; y < f.Height; ++y) {
        const uint32_t* src = f.Picture.row(y);
        uint32_t* dst = Composite.row(f.Top + y) + f.Left;
        for (int x = 0; x < f.Width; ++x) {
            if (!f.Mask->isTransparent(x, y)) {
                dst[x] = src[x];
                if (CompositeMask) {
                    CompositeMask->setTransparent(f.Left + x, f.Top + y, false);
                }
            }
        }
    }
}

Bitmap TGIFImage::CompositeWithMask() const {
    Bitmap b = Composite;
    if (CompositeMask) {
        b.mask = CompositeMask;
    }
    return b;
}

void TGIFImage::Draw(Canvas& canvas, int x, int y, int width, int height) {
    if (Empty || HeaderOnly || Frames.empty() || !Visible || Composite.isEmpty()) {
        return;
    }
    LastDrawRect = {x, y, x + width, y + height};
    ShowIt = true;
    const Rect source{0, 0, Composite.width(), Composite.height()};
    if (!Frame(1).HasTransparent || !CompositeMask) {
        canvas.drawBitmap(Composite, source, LastDrawRect);
        return;
    }
    // The mask travels with the composite for the draw: transparent pixels show what is beneath.
    Composite.mask = std::move(CompositeMask);
    canvas.drawBitmap(Composite, source, LastDrawRect);
    CompositeMask = std::move(Composite.mask);
    Composite.mask.reset();
}

int TGIFImage::DelayOf(int n) const {
    const int speed = std::max(Speed, 1);
    return std::max(int((long long)Frame(n).Delay * 100 / speed), 1);
}

bool TGIFImage::Step() {
    if (!Animate || Empty || HeaderOnly || Frames.empty()) {
        return false;
    }
    const uint32_t now = clock_();
    if (now - LastStepTime < uint32_t(CurrentDelay)) {
        return false;
    }
    LastStepTime = now;
    if (LoopCount > 0 && CurrentFrame == FrameCount()) {
        if (Iteration >= LoopCount) {
            Animate = false;
            return false;
        }
        ++Iteration;
    }
    bool changed = false;
    if (SkipNextStep) {
        SkipNextStep = false;
    } else {
        DisposeFrame(CurrentFrame);
        CurrentFrame = CurrentFrame >= FrameCount() ? 1 : CurrentFrame + 1;
        ComposeFrame(CurrentFrame);
        changed = true;
    }
    CurrentDelay = DelayOf(CurrentFrame);
    return changed;
}

void TGIFImage::SetAnimate(bool on) {
    Animate = on;
    if (on) {
        Iteration = 1;
        if (FrameCount() > 1) {
            CurrentDelay = DelayOf(CurrentFrame);
            LastStepTime = clock_();
        }
    }
}

void TGIFImage::SetCurrentFrame(int n) {
    if (n == CurrentFrame || Frames.empty()) {
        return;
    }
    DisposeFrame(CurrentFrame);
    CurrentFrame = n > FrameCount() ? 1 : n <= 0 ? FrameCount() : n;
    ComposeFrame(CurrentFrame);
}

std::optional<Bitmap> TGIFImage::FirstFrameBitmap() const {
    if (Empty || HeaderOnly || Frames.empty()) {
        return std::nullopt;
    }
    return Frame(1).Picture;
}

std::optional<Mask> TGIFImage::FirstFrameMask() const {
    if (!IsTransparent || Empty || HeaderOnly || Frames.empty() || !Frame(1).Mask) {
        return std::nullopt;
    }
    return Frame(1).Mask;
}

std::optional<Bitmap> TGIFImage::FlattenedBitmap() const {
    if (Empty || HeaderOnly || Frames.empty()) {
        return std::nullopt;
    }
    const TgfFrame& f = Frame(1);
    Bitmap flat = f.Picture;
    if (f.Mask) {
        const uint32_t background = Bitmap::fromColor(f.TransparentRGB);
        for (int y = 0; y < flat.height(); ++y) {
            for (int x = 0; x < flat.width(); ++x) {
                if (f.Mask->isTransparent(x, y)) {
                    flat.setPixel(x, y, background);
                }
            }
        }
    }
    return flat;
}

} // namespace tavlin
