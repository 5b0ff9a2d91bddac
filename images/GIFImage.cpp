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
    explicit GifCursor(std::string_view data)
        : d_(reinterpret_cast<const uint8_t*>(data.data())), size_(data.size()) {}

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
    // Appends the bytes of the sub-blocks up to the zero length (or the end of the file).
    template <class Bytes> void appendSubBlocks(Bytes& out) {
        while (!atEnd()) {
            const uint8_t n = byte();
            if (n == 0) {
                break;
            }
            const size_t take = std::min<size_t>(n, size_ - pos_);
            out.insert(out.end(), here(), here() + take);
            skip(take);
        }
    }

    // The data sub-blocks of one frame joined, up to and including the zero-length block (or
    // the end of the file), followed by 4 zero bytes so codes can be read 32 bits at a time.
    std::vector<uint8_t> joinSubBlocks() {
        std::vector<uint8_t> joined;
        appendSubBlocks(joined);
        joined.resize(joined.size() + 4, 0);
        return joined;
    }

private:
    const uint8_t* d_;
    size_t size_;
    size_t pos_ = 0;
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

// Codes of the joined data, least significant bit first; -1 past the end.
class CodeReader {
public:
    explicit CodeReader(const std::vector<uint8_t>& data) : d_(data.data()), bits_((data.size() - 4) * 8) {}
    int read(int size) {
        if (pos_ + size_t(size) > bits_) {
            pos_ = bits_;
            return -1;
        }
        const uint8_t* p = d_ + (pos_ >> 3);
        const uint32_t word =
            uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        const int code = int((word >> (pos_ & 7)) & ((1u << size) - 1));
        pos_ += size_t(size);
        return code;
    }

private:
    const uint8_t* d_;
    size_t bits_;
    size_t pos_ = 0;
};

// Decodes one frame's LZW data into pixel indexes, a byte each, in the order the data gives
// them. Strings of a sound table are written straight into place; once a code names an entry
// not yet made (which only damaged data does), strings go through a stack as long as that
// table lives, and a chain of more than 4095 entries is reported as a corrupt picture.
class LzwDecoder {
public:
    LzwDecoder(const std::vector<uint8_t>& data, int minCodeSize, uint8_t* out, size_t count)
        : codes_(data), base_(out), out_(out), remaining_(count) {
        clear_ = 1 << minCodeSize;
        end_ = clear_ + 1;
        initialSize_ = minCodeSize + 1;
        for (int i = 0; i < clear_; ++i) {
            suffix_[size_t(i)] = uint8_t(i);
            length_[size_t(i)] = 1;
        }
        next_ = clear_ + 2;
        resetTable();
    }

    // The hot loop keeps its state in locals: pixels are written through a byte pointer, which
    // would otherwise oblige the compiler to reload every member after each write.
    void run() {
        if (!startString()) {
            return;
        }
        const int clear = clear_;
        const int end = end_;
        uint8_t* const base = base_;
        uint8_t* out = out_;
        size_t remaining = remaining_;
        int next = next_, codeSize = codeSize_, maxCode = maxCode_, old = old_;
        uint8_t first = first_;
        uint32_t oldPosition = oldPosition_;
        bool sound = sound_;
        auto save = [&] {
            out_ = out;
            remaining_ = remaining;
            next_ = next;
            codeSize_ = codeSize;
            maxCode_ = maxCode;
            old_ = old;
            first_ = first;
            oldPosition_ = oldPosition;
            sound_ = sound;
        };
        auto restore = [&] {
            out = out_;
            remaining = remaining_;
            next = next_;
            codeSize = codeSize_;
            maxCode = maxCode_;
            old = old_;
            first = first_;
            oldPosition = oldPosition_;
            sound = sound_;
        };
        while (remaining > 0) {
            const int code = codes_.read(codeSize);
            if (code < 0 || code == end) {
                break;
            }
            if (code == clear) {
                save();
                resetTable();
                const bool more = startString();
                restore();
                if (!more) {
                    break;
                }
                continue;
            }
            uint32_t startPosition = 0;
            const bool pending = code == next;
            const int c = pending ? old : code;
            const size_t length = length_[size_t(c)];
            if (sound && code <= next && length + (pending ? 1 : 0) <= remaining) {
                uint8_t* start = out;
                if (c < clear) {
                    *out = suffix_[size_t(c)];
                } else {
                    copyRun(out, base + position_[size_t(c)], length);
                }
                out += length;
                remaining -= length;
                if (pending) {
                    *out++ = first;
                    --remaining;
                } else {
                    first = *start;
                }
                startPosition = uint32_t(start - base);
            } else {
                sound = sound && code <= next;
                save();
                writeThroughStack(code);
                restore();
            }
            if (next < kTableSize) {
                suffix_[size_t(next)] = first;
                prefix_[size_t(next)] = uint16_t(old);
                length_[size_t(next)] = uint16_t(std::min<int>(length_[size_t(old)] + 1, kTableSize));
                position_[size_t(next)] = oldPosition;
                ++next;
                if (next >= maxCode && maxCode < kTableSize) {
                    maxCode *= 2;
                    ++codeSize;
                }
            }
            old = code;
            oldPosition = startPosition;
        }
        save();
    }

private:
    void resetTable() {
        // Only the entries made since the last reset are dirty; the rest are still zero.
        for (int i = clear_ + 2; i < next_; ++i) {
            suffix_[size_t(i)] = 0;
            prefix_[size_t(i)] = 0;
            length_[size_t(i)] = 0;
        }
        codeSize_ = initialSize_;
        next_ = clear_ + 2;
        maxCode_ = 2 * clear_;
        sound_ = true;
    }

    // The first code after the start or a clear code: a pixel by itself. False at the end.
    bool startString() {
        int c;
        do {
            c = codes_.read(codeSize_);
        } while (c == clear_);
        if (c < 0 || c == end_) {
            return false;
        }
        sound_ = sound_ && c < clear_;
        old_ = c;
        first_ = uint8_t(c);
        oldPosition_ = uint32_t(out_ - base_);
        emit(&first_, 1);
        return remaining_ > 0;
    }

    void emit(const uint8_t* p, size_t n) {
        n = std::min(n, remaining_);
        std::memcpy(out_, p, n);
        out_ += n;
        remaining_ -= n;
    }

    // Copies an earlier run of pixels; it ends at or before the place it is copied to.
    static void copyRun(uint8_t* to, const uint8_t* from, size_t n) {
        if (n <= 16) {
            for (size_t i = 0; i < n; ++i) {
                to[i] = from[i];
            }
        } else {
            std::memcpy(to, from, n);
        }
    }

    void push(uint8_t value) {
        if (sp_ >= kTableSize) {
            throw EImageError(kCorrupt);
        }
        stack_[size_t(sp_++)] = value;
    }

    void writeThroughStack(int code) {
        int c = code;
        sp_ = 0;
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
        while (sp_ > 0 && remaining_ > 0) {
            *out_++ = stack_[size_t(--sp_)];
            --remaining_;
        }
    }

    CodeReader codes_;
    uint8_t* base_;
    uint8_t* out_;
    uint32_t oldPosition_ = 0; // where the previous string was written
    size_t remaining_;
    int clear_ = 0;
    int end_ = 0;
    int initialSize_ = 0;
    int codeSize_ = 0;
    int next_ = 0;
    int maxCode_ = 0;
    int old_ = 0;
    bool sound_ = true;
    uint8_t first_ = 0;
    int sp_ = 0;
    std::array<uint8_t, kTableSize> suffix_{};
    std::array<uint16_t, kTableSize> prefix_{};
    std::array<uint16_t, kTableSize> length_{};
    std::array<uint32_t, kTableSize> position_{};
    std::array<uint8_t, kTableSize> stack_{};
};

// Decodes a frame's data (at the code-size byte) into its indexes, rows top-down.
void decodeFrameData(GifCursor& in, uint8_t* pixels, int width, int height, bool interlaced) {
    if (in.atEnd()) {
        return;
    }
    const int minCodeSize = in.byte();
    const std::vector<uint8_t> data = in.joinSubBlocks();
    if (minCodeSize > 11) {
        throw EImageError(kCorrupt); // codes would pass 12 bits
    }
    const size_t count = size_t(width) * size_t(height);
    if (!interlaced) {
        LzwDecoder(data, minCodeSize, pixels, count).run();
        return;
    }
    std::vector<uint8_t> inDataOrder(count, 0);
    LzwDecoder(data, minCodeSize, inDataOrder.data(), count).run();
    const std::vector<int> rows = rowOrder(height, true);
    for (size_t i = 0; i < rows.size(); ++i) {
        std::memcpy(pixels + size_t(rows[i]) * size_t(width), inDataOrder.data() + i * size_t(width),
                    size_t(width));
    }
}

uint32_t pixelOf(const uint8_t* table, int index) {
    const uint8_t* e = table + size_t(index) * 3;
    return 0xFF000000u | uint32_t(e[0]) << 16 | uint32_t(e[1]) << 8 | e[2];
}

// The table's colours as pixels. On a palette screen each becomes the nearest colour of the
// screen's palette: on an 8-bit screen the display palette (unless the frame is dithered), on a
// 4-bit one the system colours, as the screen itself would show them.
std::array<uint32_t, 256> framePixels(const uint8_t* table, bool dithered) {
    std::array<uint32_t, 256> pixels{};
    std::optional<TColorLookup> lookup;
    if (!dithered && !screenPalette().empty()) {
        lookup.emplace(screenPalette());
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
      Dither(o.Dither), LastDrawRect(o.LastDrawRect), IsCopy(true), clock_(o.clock_) {}

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
    composite_ = Bitmap();
    compositeMask_.reset();
    compositeReady_ = false;
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
        IsAnimated = Frames.size() > 1;
        Empty = false;
        ok = true;
    } catch (const EImageError& e) {
        ErrorText = e.what();
    } catch (const std::bad_alloc&) {
        ErrorText = "Failed to allocate memory for GIF DIB";
    }
    if (!ok) {
        Frames.clear();
        Empty = true;
    }
    Data.clear();
    Data.shrink_to_fit();
    return ok;
}

void TGIFImage::StartComposite() {
    composite_ = Bitmap(Width, Height, 0xFF000000u);
    compositeMask_.reset();
    if (IsTransparent) {
        compositeMask_.emplace(Width, Height);
        compositeMask_->fill(true);
    }
}

bool TGIFImage::EnsureComposite() {
    if (Empty || HeaderOnly || Frames.empty()) {
        return false;
    }
    if (!compositeReady_) {
        compositeReady_ = true;
        StartComposite();
        ComposeFrame(1);
    }
    return true;
}

const Bitmap& TGIFImage::Composite() {
    EnsureComposite();
    return composite_;
}

const std::optional<Mask>& TGIFImage::CompositeMask() {
    EnsureComposite();
    return compositeMask_;
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
    if (pictureTooLarge(std::max(Width, 1), std::max(Height, 1), Data.size(), kGifPixelsPerByte)) {
        throw EImageError("Picture too large");
    }
    PendingBlocks pending;
    while (!in.atEnd() && in.peek() != 0x3B) { // up to the trailer
        if (in.peek() != 0x2C) {
            if (!ReadExtension(in, pending)) {
                break;
            }
            continue;
        }
        if (int(Frames.size()) >= kMaxFrames ||
            !ReadFrame(in, pending.haveControl ? &pending.control : nullptr)) {
            break;
        }
        TgfFrame& f = Frames.back();
        ColourBits = std::max(ColourBits, f.LocalBits);
        IsTransparent = IsTransparent || f.HasTransparent;
        f.Comment = std::move(pending.comment);
        pending = PendingBlocks();
    }
}

bool TGIFImage::ReadExtension(GifCursor& in, PendingBlocks& pending) {
    if (in.peek() != 0x21 || !in.has(2)) {
        return false; // anything else ends the picture
    }
    const uint8_t label = in.here()[1];
    if (label != 0x01 && label != 0xF9 && label != 0xFE && label != 0xFF) {
        return false; // so does an extension of another kind
    }
    in.skip(2);
    if (label == 0xF9) { // graphic control: size, flags, delay (2 bytes), transparent index
        pending.control.fill(0);
        pending.haveControl = true;
        if (!in.atEnd()) {
            const uint8_t n = in.byte();
            pending.control[0] = n;
            for (size_t i = 1; i <= 4 && i <= n && !in.atEnd(); ++i) {
                pending.control[i] = in.byte();
            }
            in.skip(n > 4 ? n - 4 : 0);
        }
    } else if (label == 0xFE) {
        in.appendSubBlocks(pending.comment);
        return true;
    } else if (label == 0xFF && in.has(15) && in.peek() == 11 &&
               std::memcmp(in.here() + 1, "NETSCAPE2.0", 11) == 0) {
        in.skip(12);
        if (in.has(4) && in.peek() >= 3) {
            LoopCount = in.le16At(in.pos() + 2);
        }
    }
    in.skipSubBlocks(); // plain text is not shown; other applications' data is passed over
    return true;
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
    if (framePixels_ + frameArea + (long long)width * height >
        pictureBudget(Data.size(), kGifPixelsPerByte)) {
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
    decodeFrameData(in, indexes.data(), f.Width, f.Height, f.Interlaced);

    const std::array<uint8_t, 768> table = TableOf(f);
    std::array<uint32_t, 256> colours = framePixels(table.data(), Dither);
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
    if (n < 1 || n > FrameCount() || !EnsureComposite() || composite_.isEmpty()) {
        return;
    }
    TgfFrame& f = Frame(n);
    const Rect r = f.rect();
    if (f.Disposal == 2) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::fill(composite_.row(y) + r.left, composite_.row(y) + r.right, 0xFF000000u);
        }
        if (compositeMask_) {
            fillMaskRect(*compositeMask_, r, true);
        }
    } else if (f.Disposal == 3 && !f.SavedPicture.isEmpty()) {
        copyRect(f.SavedPicture, 0, 0, composite_, r.left, r.top, f.Width, f.Height);
        if (compositeMask_ && f.SavedMask) {
            copyMaskRect(*f.SavedMask, 0, 0, *compositeMask_, r.left, r.top, f.Width, f.Height);
        }
    }
}

void TGIFImage::ComposeFrame(int n) {
    if (n < 1 || n > FrameCount() || !EnsureComposite() || composite_.isEmpty()) {
        return;
    }
    TgfFrame& f = Frame(n);
    if (f.Picture.isEmpty()) {
        return;
    }
    if (f.Disposal == 3) {
        f.SavedPicture = Bitmap(f.Width, f.Height);
        copyRect(composite_, f.Left, f.Top, f.SavedPicture, 0, 0, f.Width, f.Height);
        if (compositeMask_) {
            f.SavedMask.emplace(f.Width, f.Height);
            copyMaskRect(*compositeMask_, f.Left, f.Top, *f.SavedMask, 0, 0, f.Width, f.Height);
        }
    }
    if (!f.Mask) {
        copyRect(f.Picture, 0, 0, composite_, f.Left, f.Top, f.Width, f.Height);
        if (compositeMask_) {
            fillMaskRect(*compositeMask_, f.rect(), false);
        }
        return;
    }
    // Opaque pixels replace what is there; transparent ones keep it.
    for (int y = 0; y < f.Height; ++y) {
        const uint32_t* src = f.Picture.row(y);
        uint32_t* dst = composite_.row(f.Top + y) + f.Left;
        for (int x = 0; x < f.Width; ++x) {
            if (!f.Mask->isTransparent(x, y)) {
                dst[x] = src[x];
                if (compositeMask_) {
                    compositeMask_->setTransparent(f.Left + x, f.Top + y, false);
                }
            }
        }
    }
}

Bitmap TGIFImage::CompositeWithMask() {
    EnsureComposite();
    Bitmap b = composite_;
    if (compositeMask_) {
        b.mask = compositeMask_;
    }
    return b;
}

void TGIFImage::Draw(Canvas& canvas, int x, int y, int width, int height) {
    if (!Visible || !EnsureComposite() || composite_.isEmpty()) {
        return;
    }
    LastDrawRect = {x, y, x + width, y + height};
    ShowIt = true;
    const Rect source{0, 0, composite_.width(), composite_.height()};
    if (!Frame(1).HasTransparent || !compositeMask_) {
        canvas.drawBitmap(composite_, source, LastDrawRect);
        return;
    }
    // The mask travels with the composite for the draw: transparent pixels show what is beneath.
    composite_.mask = std::move(compositeMask_);
    canvas.drawBitmap(composite_, source, LastDrawRect);
    compositeMask_ = std::move(composite_.mask);
    composite_.mask.reset();
}

int TGIFImage::DelayOf(int n, bool rounded) const {
    const long long speed = std::max(Speed, 1);
    const long long scaled = (long long)Frame(n).Delay * 100 + (rounded ? speed / 2 : 0);
    return int(std::clamp<long long>(scaled / speed, 1, 1LL << 30));
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
    CurrentDelay = DelayOf(CurrentFrame, true);
    return changed;
}

void TGIFImage::SetAnimate(bool on) {
    Animate = on;
    if (on) {
        Iteration = 1;
        if (FrameCount() > 1) {
            CurrentDelay = DelayOf(CurrentFrame, false);
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
