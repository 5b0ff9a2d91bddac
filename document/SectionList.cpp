#include "document/SectionList.h"

#include "document/FloatingObj.h"
#include "document/FontObj.h"
#include "document/HtmlForm.h"
#include "document/Section.h"

#include <algorithm>
#include <unordered_set>

namespace tavlin {

TSectionList::TSectionList(void* viewer, void* paintPanel)
    : TCell("default"), Viewer(viewer), PaintPanel(paintPanel),
      FormControls(std::make_unique<std::vector<TFloatingObj*>>()), Styles(std::make_unique<TStyleList>()),
      IDs(std::make_unique<TIDNameList>(this)), PositionList(std::make_unique<std::vector<TSectionBase*>>()) {
}

TSectionList::TSectionList(PrintCopyTag, const TSectionList& source)
    : TCell(source.OwnerTag), ShowImages(source.ShowImages), Printing(source.Printing),
      YOffset(source.YOffset), SelStart(source.SelStart), SelEnd(source.SelEnd),
      PreFontName(source.PreFontName), LinkVisitedColor(source.LinkVisitedColor),
      LinkActiveColor(source.LinkActiveColor), HotSpotColor(source.HotSpotColor),
      PrintBackgrounds(source.PrintBackgrounds), Viewer(source.Viewer), PaintPanel(source.PaintPanel),
      Background(source.Background), DefFontSize(source.DefFontSize), LinkUnderline(source.LinkUnderline),
      CharSet(source.CharSet), OnProcessError(source.OnProcessError) {
    // The sections are copied once the copy's settings and pictures exist: tables, blocks and
    // images read them.
    Pictures.ShareWith(source.Pictures);
    CloneSectionsFrom(*this, source);
}

TSectionList::~TSectionList() {
    Clear();
}

std::unique_ptr<TSectionList> TSectionList::CloneFor() const {
    return std::unique_ptr<TSectionList>(new TSectionList(PrintCopyTag{}, *this));
}

void TSectionList::Clear() {
    clearing_ = true;
    if (IDs) {
        IDs->Clear();
    }
    if (PositionList) {
        PositionList->clear();
    }
    BackgroundBitmap.reset();
    BackgroundTried = false;
    if (FormControls) {
        FormControls->clear();
    }
    ShownControls.clear();
    Forms.clear();
    AnimatedImages.clear();
    MissingImages.clear();
    Pictures.ClearDocument();
    Panels.clear();
    AnimationTimer.reset();
    SelStart = 0;
    SelEnd = 0;
    HoverLink = {};
    HoverImage = nullptr;
    if (Styles) {
        Styles->Clear();
    }
    DrawList.clear();
    ClearSections();
    FontPool.Clear();
    Links.Clear();
    freedSections_.clear();
    collecting_ = false;
    clearing_ = false;
}

void TSectionList::SetDefaults(const std::string& fontName, const std::string& preFontName, int marginWidth,
                               int marginHeight, uint8_t charSet, bool linkUnderline, bool hoverEnabled,
                               Color background, Color hoverColor, Color visitedColor, Color hotSpotColor,
                               Color fontColor, double fontSize) {
    if (Styles) {
        TStyleDefaults defaults;
        defaults.DefFontName = fontName;
        defaults.DefPreFontName = preFontName;
        defaults.MarginWidth = marginWidth;
        defaults.MarginHeight = marginHeight;
        defaults.CharSet = charSet;
        defaults.NoLinkUnderline = !linkUnderline;
        defaults.DefOverLinkColor = hoverColor;
        defaults.DefVisitedLinkColor = visitedColor;
        defaults.DefHotSpotColor = hotSpotColor;
        defaults.DefFontColor = fontColor;
        defaults.DefFontSize = fontSize;
        Styles->LoadDefaults(defaults);
    }
    DefFontSize = fontSize;
    PreFontName = preFontName.substr(0, 32);
    LinkActiveColor = hoverColor;
    LinkVisitedColor = visitedColor;
    HotSpotColor = hotSpotColor;
    HoverEnabled = hoverEnabled;
    LinkUnderline = linkUnderline;
    CharSet = charSet;
    SetBackground(background);
}

void TSectionList::SetBackground(Color color) {
    Background = color;
    if (OnBackgroundChange) {
        OnBackgroundChange();
    }
}

void TSectionList::SetBackgroundName(const std::string& name) {
    BackgroundName = name;
    BackgroundBitmap.reset();
    BackgroundTried = false;
}

int TSectionList::Layout(Canvas& canvas, int y, int width, int availHeight, int& scrollWidth, int& counter) {
    if (AnimationTimer) {
        AnimationTimer->stop();
    }
    if (FormControls) {
        for (TFloatingObj* control : *FormControls) {
            control->PrepareForLayout(canvas);
        }
    }
    const int height = TCell::Arrange(canvas, y, width, availHeight, scrollWidth, counter);
    for (TAnimatable* image : AnimatedImages) {
        image->Rewind();
        image->StopAnimation();
        if (!Printing) {
            image->StartAnimation();
        }
    }
    if (!Printing) {
        if (!AnimationTimer) {
            AnimationTimer = MakeTimer ? MakeTimer() : std::make_unique<ManualTimer>();
            AnimationTimer->setInterval(kAnimationInterval);
            AnimationTimer->setCallback([this] { StepAnimations(); });
        }
        if (AnimatedImages.empty()) {
            AnimationTimer->stop();
        } else {
            AnimationTimer->start();
        }
    }
    HideControls();
    if (!Printing && PositionList && PositionList->empty()) {
        EnlistPositions();
        // Kept as long as the document: a long listing's list is a megabyte, an eighth of it slack.
        PositionList->shrink_to_fit();
    }
    return height;
}

int TSectionList::PaintDocument(Canvas& canvas, const Rect& clip, int clipWidth, int x, int y, int xRef,
                                int yRef) {
    PageBottom = YOffset + clip.bottom;
    if (AnimationTimer) {
        AnimationTimer->stop();
    }
    for (TAnimatable* image : AnimatedImages) {
        image->ShownInPaint = false;
    }
    DrawList.clear();
    int result = 0;
    {
        // Lines that straddle the band's edges must not draw outside it.
        CanvasStateSaver saver(canvas);
        canvas.intersectClip(clip);
        result = TCell::Paint(canvas, clip, clipWidth, x, y, xRef, yRef);
        // Floating images go over everything the sections drew.
        for (const TDrawItem& item : DrawList) {
            item.Object->Draw(canvas, item.X, item.Y);
        }
    }
    DrawList.clear();
    if (YOffsetChanged) {
        HideControls();
        for (TFloatingObj* panel : Panels) {
            if (!panel->ShowIt) {
                panel->HideWindow();
            }
        }
        YOffsetChanged = false;
    }
    if (AnimationTimer && !AnimatedImages.empty() && !Printing) {
        AnimationTimer->start();
    }
    return result;
}

// Controls out of view are hidden. While one has the focus, it and the controls Tab and
// Shift+Tab reach from it wait far left, shown, so the focus can walk through every control;
// parking only those few keeps a page of thousands as light as its view.
void TSectionList::HideControls() {
    if (Printing || !FormControls || FormControls->empty()) {
        return;
    }
    // A widget that has the focus is shown, so the focus is among the listed controls.
    const auto focused = std::find_if(ShownControls.begin(), ShownControls.end(),
                                      [](const TFloatingObj* control) { return control->HasFocus(); });
    TFloatingObj* focus = focused == ShownControls.end() ? nullptr : *focused;
    TFloatingObj* before = nullptr;
    TFloatingObj* after = nullptr;
    const std::vector<TFloatingObj*>& controls = *FormControls;
    if (const auto at = std::find(controls.begin(), controls.end(), focus); focus && at != controls.end()) {
        const auto takesFocus = [](const TFloatingObj* control) { return control->TakesFocus(); };
        const auto previous = std::find_if(std::make_reverse_iterator(at), controls.rend(), takesFocus);
        before = previous == controls.rend() ? nullptr : *previous;
        const auto next = std::find_if(at + 1, controls.end(), takesFocus);
        after = next == controls.end() ? nullptr : *next;
    }
    const auto waits = [&](const TFloatingObj* control) {
        return focus && (control == focus || control == before || control == after);
    };
    std::vector<TFloatingObj*> kept;
    for (TFloatingObj* control : ShownControls) {
        if (control->ShowIt || waits(control)) {
            kept.push_back(control);
        } else {
            control->HideWindow();
            control->Listed = false;
        }
    }
    ShownControls = std::move(kept);
    for (TFloatingObj* control : {focus, before, after}) {
        if (control && !control->ShowIt) {
            control->ParkWindow();
        }
    }
}

void TSectionList::ListShownControl(TFloatingObj& control) {
    if (!control.Listed && FormControls) {
        control.Listed = true;
        ShownControls.push_back(&control);
    }
}

void TSectionList::StepAnimations() {
    if (Printing) {
        return;
    }
    bool changed = false;
    for (TAnimatable* image : AnimatedImages) {
        if (image->ShownInPaint && image->StepAnimation()) {
            changed = true;
        }
    }
    if (AnimationTimer) {
        AnimationTimer->setInterval(kAnimationInterval);
    }
    if (changed && OnRepaint) {
        OnRepaint();
    }
}

// A link's runs follow one another in position order, so its neighbours are found through the
// positions the layout gave the sections: the document keeps no list of link runs.
void TSectionList::SetLinkHover(TLinkRun link, bool hover) {
    if (!link) {
        return;
    }
    TFontObj& run = link.Run();
    run.SetHover(hover);
    if (!run.HasLink()) {
        return;
    }
    for (const int step : {1, -1}) {
        TSection* section = link.Section;
        int from = link.Index + step;
        while (section && HoverRunsOfLink(*section, from, step, run.LinkNumber(), hover)) {
            section = NeighbourTextSection(*section, step);
            from = step > 0 || !section ? 0 : section->FontRuns.Count() - 1;
        }
    }
}

// Runs of one link mostly share its number; a number of its own can still name the same link
// (the table keeps a link again once another came between), so the reader's numbers decide.
bool TSectionList::HoverRunsOfLink(TSection& section, int from, int step, uint32_t number, bool hover) {
    const int32_t id = Links.LinkIdOf(number);
    for (int i = from; i >= 0 && i < section.FontRuns.Count(); i += step) {
        TFontObj& run = section.FontRuns[i];
        if (!run.HasLink() || (run.LinkNumber() != number && Links.LinkIdOf(run.LinkNumber()) != id)) {
            return false;
        }
        run.SetHover(hover);
    }
    return true;
}

TSection* TSectionList::TextSectionAt(int position) {
    char ch = 0;
    TSectionBase* holder = nullptr;
    if (position < 0 || !CharAt(position, ch, holder) || !holder->IsTextSection()) {
        return nullptr;
    }
    return static_cast<TSection*>(holder);
}

// Only a section whose positions touch this one's counts: that also keeps every step moving on,
// whatever state the positions are in.
TSection* TSectionList::NeighbourTextSection(const TSection& section, int step) {
    const int position = step > 0 ? section.FirstPos + section.Len() : section.FirstPos - 1;
    TSection* next = TextSectionAt(position);
    if (!next) {
        return nullptr;
    }
    const int edge = step > 0 ? next->FirstPos : next->FirstPos + next->Len() - 1;
    return edge == position ? next : nullptr;
}

void TSectionList::ForEachTextSection(const std::function<void(TSection&)>& fn) {
    for (TSection* section = TextSectionAt(FirstPos); section; section = NeighbourTextSection(*section, 1)) {
        fn(*section);
    }
}

bool TSectionList::LinkAtPoint(Canvas& canvas, int x, int y, TLinkAnswer& answer) {
    const TLinkRun oldLink = HoverLink;
    TFloatingObj* oldImage = HoverImage;
    HoverLink = {};
    HoverImage = nullptr;
    const bool found = TCellBasic::LinkAt(canvas, x, y, answer);
    bool repaint = false;
    const bool sameLink = oldLink && HoverLink && oldLink.LinkId() == HoverLink.LinkId();
    if (HoverEnabled && HoverLink != oldLink && !sameLink) {
        SetLinkHover(oldLink, false);
        SetLinkHover(HoverLink, true);
        repaint = true;
    }
    if (HoverImage != oldImage) {
        if (oldImage) {
            oldImage->SetHover(false);
        }
        if (HoverImage) {
            HoverImage->SetHover(true);
        }
        repaint = true;
    }
    if (repaint && OnRepaint) {
        OnRepaint();
    }
    return found;
}

void TSectionList::ClearHover() {
    if (!HoverLink && !HoverImage) {
        return;
    }
    SetLinkHover(HoverLink, false);
    if (HoverImage) {
        HoverImage->SetHover(false);
    }
    HoverLink = {};
    HoverImage = nullptr;
    if (OnRepaint) {
        OnRepaint();
    }
}

void TSectionList::SetYOffset(int y) {
    if (y == YOffset) {
        return;
    }
    YOffset = y;
    YOffsetChanged = true;
    for (TFloatingObj* control : ShownControls) {
        control->ShowIt = false;
    }
    for (TFloatingObj* panel : Panels) {
        panel->ShowIt = false;
    }
}

std::string TSectionList::SelectedText() {
    if (SelStart >= SelEnd) {
        return {};
    }
    ClipBuffer buffer;
    ClipBuf = &buffer;
    TCellBasic::CopySelection();
    ClipBuf = nullptr;
    return buffer.TakeText();
}

std::string TSectionList::DocumentText() {
    const int start = SelStart;
    const int end = SelEnd;
    SelStart = 0;
    SelEnd = FirstPos + PosCount;
    std::string text = SelectedText();
    SelStart = start;
    SelEnd = end;
    return text;
}

bool TSectionList::CopyToClipboard() {
    const std::string text = SelectedText();
    if (text.empty()) {
        return false;
    }
    if (OnClipboardText) {
        OnClipboardText(text);
    }
    return true;
}

TSectionBase* TSectionList::SectionAtY(int y, int& anchorY, int& index) const {
    if (!PositionList) {
        return nullptr;
    }
    for (size_t i = PositionList->size(); i-- > 0;) {
        TSectionBase* section = (*PositionList)[i];
        const int at = section->AnchorY();
        if (at <= y) {
            anchorY = at;
            index = int(i);
            return section;
        }
    }
    return nullptr;
}

int TSectionList::SourcePosToY(int32_t sourcePos) const {
    auto& self = const_cast<TSectionList&>(*this);
    const int position = self.SourceToDocPos(sourcePos, false);
    int x = 0;
    int y = 0;
    if (position < 0 || !self.PositionToXY(nullptr, position, x, y)) {
        return -1;
    }
    return y;
}

void TSectionList::AddIDObject(const std::string& name, TSectionBase* section) {
    if (IDs && section) {
        IDs->AddObject(name, section);
        section->InIDs = true;
    }
}

void TSectionList::SectionFreed(TSectionBase* section) {
    if (clearing_) {
        return;
    }
    if (section->InIDs && IDs) {
        IDs->RemoveObject(section);
    }
    if (collecting_) {
        freedSections_.push_back(section);
    }
}

void TSectionList::LinkRunsFreed(TSection& section) {
    if (HoverLink.Section == &section) {
        HoverLink = {};
    }
}

void TSectionList::PurgeFreedSections() {
    const std::unordered_set<const void*> dead(freedSections_.begin(), freedSections_.end());
    if (!dead.empty() && PositionList) {
        std::erase_if(*PositionList, [&](const TSectionBase* section) { return dead.count(section) > 0; });
    }
    // Images go with their sections; the next mouse move finds the one under it again.
    HoverImage = nullptr;
    freedSections_.clear();
    collecting_ = false;
}

void TSectionList::ReportProcessError(const std::string& message) {
    if (OnProcessError) {
        OnProcessError(message);
    }
}

} // namespace tavlin
