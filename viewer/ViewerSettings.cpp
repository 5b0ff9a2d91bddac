#include "viewer/ViewerSettings.h"

#include "document/SectionList.h"

namespace tavlin {

TViewerSettings TViewerSettings::Listing() {
    TViewerSettings s;
    s.DefBackground = rgb(0xFF, 0xFF, 0xFF);
    s.DefFontName = "Times New Roman";
    s.DefPreFontName = "Courier New";
    s.DefFontSize = 10;
    s.ViewImages = false;
    s.CharSet = DEFAULT_CHARSET;
    s.htOptions = 0;
    return s;
}

void InitDocument(TSectionList& document, const TViewerSettings& settings) {
    document.Clear();
    document.ShowImages = settings.ViewImages;
    document.PrintBackgrounds = (settings.htOptions & htPrintTableBackground) != 0;
    document.ShowCaret = (settings.htOptions & htShowDummyCaret) != 0;
    document.SetDefaults(
        settings.DefFontName, settings.DefPreFontName, settings.MarginWidth, settings.MarginHeight,
        settings.CharSet, (settings.htOptions & htNoLinkUnderline) == 0,
        (settings.htOptions & htOverLinksActive) != 0, settings.DefBackground, settings.DefOverLinkColor,
        settings.DefVisitedLinkColor, settings.DefHotSpotColor, settings.DefFontColor, settings.DefFontSize);
}

} // namespace tavlin
