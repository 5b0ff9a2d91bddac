#pragma once
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Geometry.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

class GifCursor;

// One picture of a GIF file, decoded to 32-bit pixels with its own transparency mask.
struct TgfFrame {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int LocalBits = 0;               // 0: the frame uses the global table
    std::vector<uint8_t> LocalTable; // 3 bytes (red, green, blue) per entry
    bool Interlaced = false;
    int Delay = 0;    // milliseconds
    int Disposal = 0; // 0 none, 1 keep, 2 restore to background, 3 restore previous
    bool HasTransparent = false;
    int TransparentIndex = 0;
    Color TransparentRGB = 0;
    Bitmap Picture;                   // transparent pixels black
    std::optional<tavlin::Mask> Mask; // set where the pixel is transparent
    Bitmap SavedPicture;              // for Disposal 3: what lay under the frame
    std::optional<tavlin::Mask> SavedMask;
    std::string Comment;

    Rect rect() const { return {Left, Top, Left + Width, Top + Height}; }
};

// A GIF87a or GIF89a picture: every frame decoded, the composed state of the animation, its
// timing, and drawing scaled with transparency.
class TGIFImage {
public:
    using Clock = std::function<uint32_t()>;

    TGIFImage();
    // A copy that animates on its own: same frames, its own composite at frame 1.
    TGIFImage(const TGIFImage& other);
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Each returns success. Header-only loads read the frame layout without decoding pixels.
    bool LoadFromFile(const std::string& name, bool headerOnly = false);
    bool LoadFromStream(std::string_view data, bool headerOnly = false);

    // Draws the current state scaled to width x height and records where.
    void Draw(Canvas& canvas, int x, int y, int width, int height);
    // One step of the animation timer; true when another frame is now shown (LastDrawRect
    // then needs repainting).
    bool Step();
    void SetAnimate(bool on);
    void SetCurrentFrame(int n);
    void SetVisible(bool on) { Visible = on; }
    // The animation's millisecond clock; tickCountMs unless replaced (tests use a fake one).
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    int FrameCount() const { return int(Frames.size()); }
    TgfFrame& Frame(int n) { return Frames[size_t(n - 1)]; } // 1-based
    const TgfFrame& Frame(int n) const { return Frames[size_t(n - 1)]; }

    std::optional<Bitmap> FirstFrameBitmap() const;
    std::optional<tavlin::Mask> FirstFrameMask() const;
    // Frame 1 over its transparent colour.
    std::optional<Bitmap> FlattenedBitmap() const;
    // The picture of the current animation state (black where nothing was drawn) and, when
    // IsTransparent, its mask. Both are made at their first use after a load, as frame 1.
    const Bitmap& Composite();
    const std::optional<tavlin::Mask>& CompositeMask();
    // The composite with its mask attached, for saving and tests.
    Bitmap CompositeWithMask();

    std::string Data;
    bool Empty = true;
    bool HeaderOnly = false;
    int Width = 0;
    int Height = 0;
    int ColourBits = 0;
    std::array<uint8_t, 768> GlobalTable{};
    bool IsTransparent = false;
    bool IsAnimated = false;
    std::vector<TgfFrame> Frames;
    int CurrentFrame = 1;
    int LoopCount = 1;
    int Iteration = 1;
    int Speed = 100;
    bool Animate = false;
    bool SkipNextStep = true;
    uint32_t LastStepTime = 0;
    int CurrentDelay = 0;
    bool ShowIt = false;
    bool Visible = true;
    bool Dither = false;
    Rect LastDrawRect;
    bool IsCopy = false;
    // Why the last load failed, empty after a success.
    std::string ErrorText;

private:
    bool Parse();
    void Reset();
    // The graphic control block and comments read since the last frame.
    struct PendingBlocks {
        std::array<uint8_t, 6> control{};
        bool haveControl = false;
        std::string comment;
    };
    void ParseBlocks(GifCursor& in);
    // Reads one extension; false at anything that ends the picture.
    bool ReadExtension(GifCursor& in, PendingBlocks& pending);
    bool ReadFrame(GifCursor& in, const std::array<uint8_t, 6>* control);
    void DecodeFramePixels(GifCursor& in, TgfFrame& frame);
    void DisposeFrame(int n);
    void ComposeFrame(int n);
    void StartComposite();
    // Makes the composite when it is still missing (it is made lazily: a picture turned into a
    // plain bitmap right after loading never needs one).
    bool EnsureComposite();
    // The frame's delay scaled by Speed, at least 1 ms; rounded as MulDiv rounds, or truncated.
    int DelayOf(int n, bool rounded) const;
    // The frame's colour table, 256 entries (unused ones black).
    std::array<uint8_t, 768> TableOf(const TgfFrame& f) const;

    Bitmap composite_;
    std::optional<tavlin::Mask> compositeMask_;
    bool compositeReady_ = false;
    Clock clock_;
    long long framePixels_ = 0; // pixels of all frames read so far
};

} // namespace tavlin
