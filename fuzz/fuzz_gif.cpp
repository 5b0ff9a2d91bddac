// The GIF decoder over any bytes: header-only and full loads, every frame composed and disposed,
// copies, and the palette-screen paths (chosen by the last byte) that map and dither frames.
#include "images/Display.h"
#include "images/GIFImage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavlin;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int mode = size ? data[size - 1] >> 6 : 0;
    setDisplayDepth(mode == 1   ? DisplayDepth::Colors256
                    : mode == 2 ? DisplayDepth::Colors16
                                : DisplayDepth::TrueColor);

    TGIFImage header;
    const bool headerOk = header.LoadFromStream(bytes, true);
    TGIFImage gif;
    gif.Dither = mode == 3;
    if (mode == 3) {
        setDisplayDepth(DisplayDepth::Colors256);
    }
    const bool ok = gif.LoadFromStream(bytes);
    if (ok && !headerOk) {
        __builtin_trap(); // a full load never succeeds where the header-only one failed
    }
    if (ok) {
        uint32_t now = 0;
        gif.SetClock([&now] { return now; });
        gif.SetAnimate(true);
        for (int i = 0; i < 2 * gif.FrameCount() + 2; ++i) {
            now += 100000;
            gif.Step();
        }
        TGIFImage copy(gif);
        copy.SetCurrentFrame(copy.FrameCount());
        copy.SetCurrentFrame(0);
        (void)copy.FlattenedBitmap();
        (void)copy.FirstFrameMask();
    }
    setDisplayDepth(DisplayDepth::TrueColor);
    return 0;
}
