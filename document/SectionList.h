#pragma once
#include "document/DocumentImages.h"
#include "document/FontPool.h"
#include "document/SectionBase.h"
#include "document/TextSinks.h"
#include "platform/Bitmap.h"
#include "platform/Timer.h"
#include "reader/IDNames.h"
#include "reader/StyleSheet.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tavlin {

class TFloatingObj;
class ThtmlForm;
struct TFormHost;
class TImageObj;

// What the document needs of an animated picture; the animated images implement it.
class TAnimatable {
public:
    virtual ~TAnimatable() = default;
    virtual void Rewind() = 0;
    virtual void StopAnimation() = 0;
    virtual void StartAnimation() = 0;
    // Moves to the next frame when it is due; true when the picture changed.
    virtual bool StepAnimation() = 0;
    bool ShownInPaint = false; // painted in the last paint of the document
};

// A floating image drawn after all sections of a paint.
struct TDrawItem {
    TFloatingObj* Object = nullptr;
    int X = 0; // view coordinates
    int Y = 0;
};

// The document: the root content list and the state the viewer, selection, find and printing
// work with.
class TSectionList : public TCell, public TSourcePositionLocator {
    // First, so that it goes last: the sections in it are freed before (see ~TSectionList).
    TSectionArena arena_;

public:
    // An empty document for a viewer and the window it paints in (opaque to the engine).
    explicit TSectionList(void* viewer = nullptr, void* paintPanel = nullptr);
    ~TSectionList() override;

    // The print copy: shares the image cache, copies the settings and every section.
    std::unique_ptr<TSectionList> CloneFor() const;

    bool ShowImages = true;
    bool Printing = false;
    int YOffset = 0;
    bool YOffsetChanged = false;
    int SelStart = 0;
    int SelEnd = 0;
    std::string PreFontName = "Courier New";
    Color LinkVisitedColor = rgb(128, 0, 128);
    Color LinkActiveColor = rgb(0, 0, 255);
    Color HotSpotColor = rgb(0, 0, 255);
    bool PrintBackgrounds = false;
    void* Viewer = nullptr;
    void* PaintPanel = nullptr;
    Color Background = rgb(0xC0, 0xC0, 0xC0);
    std::function<void()> OnBackgroundChange;
    std::function<void(TFloatingObj*)> OnControlEnter;
    std::string BackgroundName;
    std::shared_ptr<Bitmap> BackgroundBitmap;
    bool BackgroundTried = false;
    std::vector<TAnimatable*> AnimatedImages;
    TTextSink* ClipBuf = nullptr;
    int PageBottom = 0;
    std::unique_ptr<Timer> AnimationTimer;
    std::vector<std::unique_ptr<ThtmlForm>> Forms;
    std::unique_ptr<std::vector<TFloatingObj*>> FormControls; // absent in the print copy
    // The controls drawn or parked since they were last hidden: only these may have a window
    // shown, so scrolling a page of thousands of controls visits only the few in view.
    std::vector<TFloatingObj*> ShownControls;
    TFormHost* FormHost = nullptr; // the view's controls and form events; none: headless, silent
    std::vector<TFloatingObj*> Panels;
    // Pictures still to come: the name (cache key) and the image waiting for it, or null for the
    // document's background.
    std::vector<std::pair<std::string, TImageObj*>> MissingImages;
    TDocumentImages Pictures;
    TFontPool FontPool;
    TLinkTable Links; // the links of the runs, by number
    TLinkRun HoverLink;
    TFloatingObj* HoverImage = nullptr;
    bool HoverEnabled = false;
    bool ShowCaret = false;
    std::unique_ptr<TStyleList> Styles; // absent in the print copy
    std::vector<TDrawItem> DrawList;
    int* FirstBaselineSlot = nullptr;
    std::unique_ptr<TIDNameList> IDs;                       // absent in the print copy
    std::unique_ptr<std::vector<TSectionBase*>> PositionList; // absent in the print copy
    // The base font size handed to the reader by SetDefaults, in points.
    double DefFontSize = 12;
    bool LinkUnderline = true;
    uint8_t CharSet = 1;

    // Hooks for the viewer.
    std::function<void(const std::string&)> OnProcessError; // shown in an error box
    std::function<void(std::string_view)> OnClipboardText;   // plain text for the clipboard
    std::function<void()> OnRepaint;                         // the paint panel must repaint
    TimerFactory MakeTimer;                                  // the animation timer's maker
    static constexpr int kAnimationInterval = 50;

    void Clear();
    void SetDefaults(const std::string& fontName, const std::string& preFontName, int marginWidth,
                     int marginHeight, uint8_t charSet, bool linkUnderline, bool hoverEnabled, Color background,
                     Color hoverColor, Color visitedColor, Color hotSpotColor, Color fontColor, double fontSize);
    void SetBackground(Color color);
    void SetBackgroundName(const std::string& name);
    // The background picture, fetched once per document (null when none, failed or awaited).
    const Bitmap* GetBackgroundBitmap();
    // Tiles the background picture over the clip from the document's origin, so that the tiles
    // move with the text; false when there is none to draw.
    bool PaintBackgroundBitmap(Canvas& canvas, const Rect& clip, int hScroll, int vScroll);
    // A picture the host said would come later has come (bytes empty: it will not): every image
    // waiting for it takes it. True when any was waiting; the document then needs a new layout.
    bool DeliverImage(const std::string& name, std::string_view bytes);
    int Layout(Canvas& canvas, int y, int width, int availHeight, int& scrollWidth, int& counter);
    int PaintDocument(Canvas& canvas, const Rect& clip, int clipWidth, int x, int y, int xRef, int yRef);
    // The link under a document point; tracks the link run and the image under the mouse.
    bool LinkAtPoint(Canvas& canvas, int x, int y, TLinkAnswer& answer);
    void ClearHover();
    void SetYOffset(int y);
    // The selected text as copying gives it, in the document's bytes: placeholders left out,
    // no-break spaces as spaces, lines ended by CR LF, no limit. Empty when nothing is selected.
    std::string SelectedText();
    // The same for the whole document; the selection stays as it was.
    std::string DocumentText();
    // Hands the selected text to OnClipboardText; false, and nothing handed, when it is empty.
    bool CopyToClipboard();
    // The last section of PositionList whose anchor lies at or above y; null when none.
    TSectionBase* SectionAtY(int y, int& anchorY, int& index) const;
    void StepAnimations();

    // Where a source position ended up (for names bound to source positions).
    int SourcePosToY(int32_t sourcePos) const override;

    // The link of a run of one of the document's sections.
    TRunLink LinkOf(const TFontObj& run) const { return Links[run.LinkNumber()]; }

    // Where the document's sections and blocks are made (MakeInArena).
    TSectionArena& Arena() { return arena_; }

    // Bookkeeping of the lists that point into the sections.
    void AddIDObject(const std::string& name, TSectionBase* section);
    void SectionFreed(TSectionBase* section);
    // A section with link runs goes: the hovered run must not point into it.
    void LinkRunsFreed(TSection& section);
    void CollectFreed() { collecting_ = true; }
    void PurgeFreedSections();
    void ReportProcessError(const std::string& message);
    // Applies the hover font to a link run and the runs of the same link next to it, in its
    // section and in the text sections before and after it in position order.
    void SetLinkHover(TLinkRun link, bool hover);
    // The text section that holds a document position as the last layout numbered them; null
    // when none does.
    TSection* TextSectionAt(int position);
    // Runs fn over every text section that holds text, in position order (after a layout).
    void ForEachTextSection(const std::function<void(TSection&)>& fn);
    // Hides the form controls not placed by the last paint, or parks them far left while one of
    // them has the focus, so that the keyboard reaches them all.
    void HideControls();
    // Notes a control whose window is shown (or drawn, or has the focus).
    void ListShownControl(TFloatingObj& control);

private:
    struct PrintCopyTag {};
    TSectionList(PrintCopyTag, const TSectionList& source);

    // The text section right after (step 1) or before (step -1) this one in position order.
    TSection* NeighbourTextSection(const TSection& section, int step);
    // Sets the hover state of the runs of the link of this number from run `from` on, one way;
    // true when they reach that end of the section, so the link may go on in the next one.
    bool HoverRunsOfLink(TSection& section, int from, int step, uint32_t number, bool hover);

    bool clearing_ = false;
    bool collecting_ = false;
    std::vector<const void*> freedSections_;
};

} // namespace tavlin
