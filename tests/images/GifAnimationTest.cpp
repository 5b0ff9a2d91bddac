#include "GifWriter.h"

#include "images/GIFImage.h"
#include "platform/qt/QtCanvas.h"

#include <gtest/gtest.h>

using namespace tavlin;
using giftest::Frame;
using giftest::Gif;

namespace {

const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
constexpr uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

Frame solid(int left, int top, int w, int h, int index, int disposal = 0, int transparent = -1,
            int delayCs = 10) {
    Frame f = giftest::frameOf(left, top, w, h, [index](int, int) { return index; });
    f.disposal = disposal;
    f.transparent = transparent;
    f.delayCs = delayCs;
    return f;
}

Gif screen(int w, int h, std::vector<Frame> frames, std::optional<int> loop = std::nullopt) {
    Gif g;
    g.width = w;
    g.height = h;
    g.globalTable = kFour;
    g.frames = std::move(frames);
    g.loop = loop;
    return g;
}

struct FakeClock {
    uint32_t now = 1000;
    TGIFImage::Clock fn() {
        return [this] { return now; };
    }
};

std::unique_ptr<TGIFImage> loaded(const Gif& g, FakeClock* clock = nullptr) {
    auto gif = std::make_unique<TGIFImage>();
    if (clock) {
        gif->SetClock(clock->fn());
    }
    EXPECT_TRUE(gif->LoadFromStream(giftest::encode(g))) << gif->ErrorText;
    return gif;
}

} // namespace

TEST(GifCompose, TransparentPixelsKeepTheCompositeAndTheMaskFollows) {
    // Frame 2 is a checkerboard of blue and transparent (index 0) over frame 1's red.
    Frame second = giftest::frameOf(1, 1, 2, 2, [](int x, int y) { return (x + y) % 2 ? 3 : 0; });
    second.transparent = 0;
    auto gif = loaded(screen(4, 4, {solid(0, 0, 2, 2, 1, 1, 0 /*none is 0? no*/), second}));
    // Frame 1 is all index 1 with transparent index 0: opaque where drawn; the rest is transparent.
    EXPECT_TRUE(gif->IsTransparent);
    EXPECT_EQ(gif->Composite().pixel(0, 0), kRed);
    EXPECT_FALSE(gif->CompositeMask()->isTransparent(0, 0));
    EXPECT_TRUE(gif->CompositeMask()->isTransparent(3, 3));
    gif->SetCurrentFrame(2);
    EXPECT_EQ(gif->Composite().pixel(1, 1), kRed);  // transparent pixel of frame 2 over red
    EXPECT_EQ(gif->Composite().pixel(2, 1), kBlue); // opaque pixel
    EXPECT_EQ(gif->Composite().pixel(1, 2), kBlue);
    EXPECT_TRUE(gif->CompositeMask()->isTransparent(2, 2)); // transparent over nothing stays so
    EXPECT_FALSE(gif->CompositeMask()->isTransparent(2, 1));
    EXPECT_EQ(gif->Frame(2).Picture.pixel(0, 0), kBlack); // transparent pixels are black
    EXPECT_TRUE(gif->Frame(2).Mask->isTransparent(0, 0));
}

TEST(GifCompose, EveryDisposal) {
    // Frame 1 fills the screen green; frame 2 (red, 2x2 at 1,1) is disposed by its rule before
    // frame 3 (a transparent 1x1 at 0,0 that changes nothing) is drawn.
    for (int disposal : {0, 1, 2, 3, 4, 7}) {
        Frame t = solid(0, 0, 1, 1, 0, 0, 0);
        auto gif = loaded(screen(4, 4, {solid(0, 0, 4, 4, 2, 1, 3), solid(1, 1, 2, 2, 1, disposal, 3), t}));
        gif->SetCurrentFrame(2);
        EXPECT_EQ(gif->Composite().pixel(1, 1), kRed);
        gif->SetCurrentFrame(3);
        const uint32_t expected = disposal <= 1 ? kRed : disposal == 3 ? kGreen : kBlack;
        EXPECT_EQ(gif->Composite().pixel(1, 1), expected) << disposal;
        EXPECT_EQ(gif->Composite().pixel(2, 2), expected) << disposal;
        EXPECT_EQ(gif->Composite().pixel(3, 3), kGreen) << disposal;
        EXPECT_EQ(gif->CompositeMask()->isTransparent(1, 1), expected == kBlack) << disposal;
    }
}

TEST(GifCompose, RestorePreviousThenWrapAround) {
    auto gif = loaded(screen(2, 1, {solid(0, 0, 2, 1, 1), solid(1, 0, 1, 1, 3, 3)}));
    gif->SetCurrentFrame(2);
    EXPECT_EQ(gif->Composite().pixel(1, 0), kBlue);
    gif->SetCurrentFrame(3); // beyond the last: back to frame 1
    EXPECT_EQ(gif->CurrentFrame, 1);
    EXPECT_EQ(gif->Composite().pixel(1, 0), kRed);
    gif->SetCurrentFrame(0); // at or below 0: the last frame
    EXPECT_EQ(gif->CurrentFrame, 2);
}

TEST(GifAnimation, PlaysOnceWithoutLoopExtensionAndStopsOnTheLastFrame) {
    FakeClock clock;
    auto gif = loaded(screen(1, 1, {solid(0, 0, 1, 1, 1), solid(0, 0, 1, 1, 2)}), &clock);
    EXPECT_EQ(gif->LoopCount, 1);
    gif->SetAnimate(true);
    EXPECT_EQ(gif->CurrentDelay, 100);
    clock.now += 99;
    EXPECT_FALSE(gif->Step()); // too early
    clock.now += 1;
    EXPECT_FALSE(gif->Step()); // the first step shows frame 1 a full delay more
    EXPECT_EQ(gif->CurrentFrame, 1);
    clock.now += 100;
    EXPECT_TRUE(gif->Step());
    EXPECT_EQ(gif->CurrentFrame, 2);
    clock.now += 100;
    EXPECT_FALSE(gif->Step());
    EXPECT_FALSE(gif->Animate);
    EXPECT_EQ(gif->CurrentFrame, 2);
}

TEST(GifAnimation, LoopCountsZeroAndN) {
    auto passes = [](std::optional<int> loop) {
        FakeClock clock;
        auto gif = loaded(screen(1, 1, {solid(0, 0, 1, 1, 1), solid(0, 0, 1, 1, 2)}, loop), &clock);
        gif->SetAnimate(true);
        int shown = 0;
        for (int i = 0; i < 50 && gif->Animate; ++i) {
            clock.now += 100;
            shown += gif->Step() ? 1 : 0;
        }
        return std::make_pair(shown, gif->Animate);
    };
    EXPECT_EQ(passes(std::nullopt), std::make_pair(1, false));
    EXPECT_EQ(passes(3), std::make_pair(5, false)); // 3 passes of 2 frames, the first shown at start
    EXPECT_EQ(passes(0), std::make_pair(50 - 1, true));
}

TEST(GifAnimation, ZeroDelaysAdvanceAtEveryTimerTickAndSpeedScales) {
    FakeClock clock;
    auto gif =
        loaded(screen(1, 1, {solid(0, 0, 1, 1, 1, 0, -1, 0), solid(0, 0, 1, 1, 2, 0, -1, 0)}, 0), &clock);
    gif->SetAnimate(true);
    EXPECT_EQ(gif->CurrentDelay, 1);
    int changes = 0;
    for (int tick = 0; tick < 10; ++tick) {
        clock.now += 50;
        changes += gif->Step() ? 1 : 0;
    }
    EXPECT_EQ(changes, 9);

    auto slow = loaded(screen(1, 1, {solid(0, 0, 1, 1, 1, 0, -1, 10), solid(0, 0, 1, 1, 2)}), &clock);
    slow->Speed = 50;
    slow->SetAnimate(true);
    EXPECT_EQ(slow->CurrentDelay, 200);
}

TEST(GifAnimation, CopiesAnimateOnTheirOwn) {
    FakeClock clock;
    auto gif = loaded(screen(2, 1, {solid(0, 0, 2, 1, 1), solid(0, 0, 1, 1, 3)}, 0), &clock);
    gif->SetCurrentFrame(2);
    TGIFImage copy(*gif);
    EXPECT_TRUE(copy.IsCopy);
    EXPECT_EQ(copy.CurrentFrame, 1);
    EXPECT_EQ(copy.Composite().pixel(0, 0), kRed);
    EXPECT_EQ(gif->Composite().pixel(0, 0), kBlue);
    copy.SetCurrentFrame(2);
    gif->SetCurrentFrame(1);
    EXPECT_EQ(copy.Composite().pixel(0, 0), kBlue);
    EXPECT_EQ(gif->Composite().pixel(0, 0), kRed);
}

TEST(GifAnimation, FirstFrameAndFlattenedBitmaps) {
    Frame first = giftest::frameOf(0, 0, 2, 1, [](int x, int) { return x ? 2 : 0; });
    first.transparent = 0;
    auto gif = loaded(screen(2, 1, {first, solid(0, 0, 1, 1, 3)}));
    EXPECT_EQ(gif->FirstFrameBitmap()->pixel(1, 0), kGreen);
    EXPECT_TRUE(gif->FirstFrameMask()->isTransparent(0, 0));
    const Bitmap flat = *gif->FlattenedBitmap();
    EXPECT_EQ(flat.pixel(0, 0), kBlack | 0x000000); // the transparent colour is table entry 0
    EXPECT_EQ(flat.pixel(1, 0), kGreen);

    auto opaque = loaded(screen(1, 1, {solid(0, 0, 1, 1, 1)}));
    EXPECT_FALSE(opaque->FirstFrameMask());
}

TEST(GifDraw, ScaledWithTransparencyThroughTheCanvas) {
    Frame f = giftest::frameOf(0, 0, 2, 2, [](int x, int y) { return x == y ? 1 : 0; });
    f.transparent = 0;
    auto gif = loaded(screen(2, 2, {f}));
    ImageCanvas surface(10, 10, rgb(255, 255, 255));
    gif->Draw(surface.canvas(), 2, 2, 4, 4);
    const QImage& image = surface.image();
    EXPECT_EQ(image.pixel(2, 2), 0xFFFF0000u); // scaled red pixel
    EXPECT_EQ(image.pixel(3, 3), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(5, 2), 0xFFFFFFFFu); // transparent: the white beneath shows
    EXPECT_EQ(image.pixel(1, 1), 0xFFFFFFFFu); // outside
    EXPECT_EQ(gif->LastDrawRect, (Rect{2, 2, 6, 6}));
    EXPECT_TRUE(gif->ShowIt);
    EXPECT_TRUE(gif->CompositeMask().has_value()); // the mask is back after the draw

    gif->SetVisible(false);
    ImageCanvas hidden(4, 4, rgb(255, 255, 255));
    gif->Draw(hidden.canvas(), 0, 0, 4, 4);
    EXPECT_EQ(hidden.image().pixel(0, 0), 0xFFFFFFFFu);
}
