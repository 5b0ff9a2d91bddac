#pragma once
#include "platform/CodePage.h"
#include "platform/Geometry.h"

#include <string>

namespace tavlin {

class TSectionList;

// The widest a document is painted or scrolled, in pixels.
inline constexpr int kMaxDocWidth = 6000;

// The viewer's options, a set of these bits.
enum ThtOption : unsigned {
    htOverLinksActive = 1u << 0,
    htNoLinkUnderline = 1u << 1,
    htPrintTableBackground = 1u << 2,
    htShowDummyCaret = 1u << 3,
    htShowVScroll = 1u << 4,
};
using ThtOptionSet = unsigned;

// The system colours the defaults name, as the classic desktop has them; the window control
// takes them from the application palette instead.
inline constexpr Color kClassicBtnFace = rgb(0xC0, 0xC0, 0xC0);
inline constexpr Color kClassicBtnText = rgb(0, 0, 0);

// What a document is set up from before each load: the published properties that reach the
// section list. The window control and the headless view share it, so both lay out alike.
struct TViewerSettings {
    Color DefBackground = kClassicBtnFace;
    std::string DefFontName = "Times New Roman";
    std::string DefPreFontName = "Courier New";
    int DefFontSize = 12;
    Color DefFontColor = kClassicBtnText;
    Color DefHotSpotColor = rgb(0, 0, 255);
    Color DefOverLinkColor = rgb(0, 0, 255);
    Color DefVisitedLinkColor = rgb(0x80, 0, 0x80);
    bool ViewImages = true;
    uint8_t CharSet = DEFAULT_CHARSET;
    int MarginWidth = 10;
    int MarginHeight = 5;
    ThtOptionSet htOptions = htPrintTableBackground;

    // The settings of the program's main window: white, "Times New Roman" 10 point, no images,
    // no options.
    static TViewerSettings Listing();
};

// Empties the document and sets it up from the settings for the next load.
void InitDocument(TSectionList& document, const TViewerSettings& settings);

} // namespace tavlin
