#include "document/SectionBase.h"

#include "document/SectionList.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <map>
#include <mutex>

namespace tavlin {

namespace {

// The names by number. Initialised at compile time, so that the table costs memory only for the
// pages its few dozen names touch, not for all of its half megabyte at start-up.
constinit std::array<std::atomic<const std::string*>, 65536> tagNameSlots{};

// Tag names are a few dozen words shared by every list of every document: each is stored once and
// numbered. A name is read without the lock: its slot is filled before its number is handed out.
class TagNames {
public:
    static TagNames& Get() {
        static TagNames names;
        return names;
    }

    uint16_t Number(std::string_view tag) {
        if (tag.empty()) {
            return 0;
        }
        thread_local const std::string* lastName = nullptr;
        thread_local uint16_t lastNumber = 0;
        if (lastName && tag == *lastName) {
            return lastNumber;
        }
        const std::lock_guard guard(lock_);
        auto it = numbers_.find(tag);
        if (it == numbers_.end()) {
            if (numbers_.size() + 1 >= tagNameSlots.size()) {
                throw std::length_error("too many tag names");
            }
            it = numbers_.emplace(tag, uint16_t(numbers_.size() + 1)).first;
            tagNameSlots[it->second].store(&it->first, std::memory_order_release);
        }
        lastName = &it->first;
        lastNumber = it->second;
        return lastNumber;
    }

    std::string_view Name(uint16_t number) const {
        const std::string* name = tagNameSlots[number].load(std::memory_order_acquire);
        return name ? std::string_view(*name) : std::string_view();
    }

private:
    std::mutex lock_;
    std::map<std::string, uint16_t, std::less<>> numbers_; // nodes never move
};

} // namespace

TTagName::TTagName(std::string_view tag) : number_(TagNames::Get().Number(tag)) {}

TTagName::operator std::string_view() const {
    return TagNames::Get().Name(number_);
}

// Paid twice for each entry of a long listing (its item and its text); see the fields.
static_assert(sizeof(TSectionBase) <= 48);

// ---- TSectionBase ----

TSectionBase::TSectionBase(TSectionList* document) : Document(document) {}

TSectionBase::TSectionBase(TSectionList* document, const TSectionBase& source)
    : Document(document), FlowHeight(source.FlowHeight) {}

TSectionBase::~TSectionBase() {
    if (Document) {
        Document->SectionFreed(this);
    }
}

void TSectionBase::operator delete(TSectionBase* section, std::destroying_delete_t) {
    void* block = dynamic_cast<void*>(section); // where the whole object starts
    TSectionArena* arena = section->Document ? &section->Document->Arena() : nullptr;
    section->~TSectionBase();
    if (arena && arena->Owns(block)) {
        arena->Free(block);
    } else {
        ::operator delete(block);
    }
}

std::unique_ptr<TSectionBase> TSectionBase::CloneFor(TSectionList& document) const {
    return std::make_unique<TSectionBase>(&document, *this);
}

void TSectionBase::SetExtent(int y, int height) {
    ArrangeY = y;
    PaintTop = y;
    PaintBottom = y + std::max(height, FlowHeight);
}

int TSectionBase::Arrange(Canvas&, int, int y, int, int, int, int, IndentManager& floats, int& maxWidth,
                          int& counter) {
    FirstPos = counter;
    PosCount = 0;
    SetExtent(y, FlowHeight);
    maxWidth = floats.Width;
    return FlowHeight;
}

int TSectionBase::Paint(Canvas&, const Rect&, IndentManager&, int, int, int) {
    return ArrangeY + FlowHeight;
}

void TSectionBase::EnlistPositions() {
    if (Document && Document->PositionList) {
        Document->PositionList->push_back(this);
    }
}

// ---- TSectionVector ----

void TSectionVector::push_back(Ptr section) {
    if (!IsHeap() && !one_) {
        one_ = section.release();
        return;
    }
    ToHeap().items.push_back(section.get());
    section.release(); // owned by the list once it is in
}

void TSectionVector::erase(size_t i) {
    if (!IsHeap()) {
        Ptr gone(std::exchange(one_, nullptr));
        return;
    }
    std::vector<TSectionBase*>& items = Many().items;
    Ptr gone(items[i]);
    items.erase(items.begin() + std::ptrdiff_t(i));
}

void TSectionVector::clear() {
    if (!IsHeap()) {
        Ptr gone(std::exchange(one_, nullptr));
        return;
    }
    std::unique_ptr<Heap> heap(&Many());
    one_ = nullptr;
    for (TSectionBase*& section : heap->items) {
        Ptr gone(std::exchange(section, nullptr)); // in order, as they were made
    }
}

TSectionVector::Heap& TSectionVector::ToHeap() {
    if (IsHeap()) {
        return Many();
    }
    auto heap = std::make_unique<Heap>();
    if (one_) {
        heap->items.push_back(one_);
    }
    one_ = reinterpret_cast<TSectionBase*>(reinterpret_cast<uintptr_t>(heap.release()) | kHeapTag);
    return Many();
}

TBandIndex& TSectionVector::MakeBand() {
    Heap& heap = ToHeap();
    if (!heap.band) {
        heap.band = std::make_unique<TBandIndex>();
    }
    return *heap.band;
}

// ---- TCellBasic ----

TCellBasic::TCellBasic(std::string_view ownerTag) : OwnerTag(ownerTag) {}

TCellBasic::TCellBasic(TSectionList* document, const TCellBasic& source) : OwnerTag(source.OwnerTag) {
    if (document) {
        CloneSectionsFrom(*document, source);
    }
}

void TCellBasic::CloneSectionsFrom(TSectionList& document, const TCellBasic& source) {
    sections_.reserve(source.sections_.size());
    for (const auto& section : source.sections_) {
        if (auto copy = section->CloneFor(document)) {
            sections_.push_back(std::move(copy));
        }
    }
    indexed_ = false;
}

TCellBasic::~TCellBasic() = default;

void TCellBasic::AppendSection(std::unique_ptr<TSectionBase> section) {
    if (!section || !section->FinishAndKeep()) {
        return;
    }
    sections_.push_back(std::move(section));
    indexed_ = false;
}

void TCellBasic::ClearSections() {
    sections_.clear();
    indexed_ = false;
}

int TCellBasic::ArrangeSections(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                                IndentManager& floats, int& maxWidth, int& counter, TContentExtent* extent) {
    int height = 0;
    maxWidth = 0;
    size_t i = 0;
    while (i < sections_.size()) {
        TSectionBase& section = *sections_[i];
        const int counterBefore = counter;
        const BandOwner ownerBefore = floats.CurrentOwner;
        try {
            int sectionMax = 0;
            height += section.Arrange(canvas, x, y + height, xRef, yRef, width, availHeight, floats,
                                      sectionMax, counter);
            maxWidth = std::max(maxWidth, sectionMax);
            if (extent) {
                if (!section.IsAbsolute()) {
                    extent->Bottom = std::max(extent->Bottom, section.FlowBottom());
                }
                extent->PaintTop = std::min(extent->PaintTop, section.PaintTop);
                extent->PaintBottom = std::max(extent->PaintBottom, section.PaintBottom);
            }
            ++i;
        } catch (const EProcessError& error) {
            // The section goes; whatever it left in the floats goes with it.
            counter = counterBefore;
            floats.CurrentOwner = ownerBefore;
            floats.RemoveOwned(&section);
            const std::string message = error.what();
            TSectionList* document = section.Document;
            if (document) {
                document->CollectFreed();
            }
            sections_.erase(i);
            if (document) {
                document->PurgeFreedSections();
                document->ReportProcessError(message);
            }
        }
    }
    RebuildBandIndex();
    return height;
}

TContentExtent TCellBasic::ArrangeBlock(Canvas& canvas, int x, int y, int xRef, int yRef, int width,
                                        int availHeight, IndentManager& floats, int& maxWidth, int& counter) {
    TContentExtent extent;
    ArrangeSections(canvas, x, y, xRef, yRef, width, availHeight, floats, maxWidth, counter, &extent);
    return extent;
}

void TCellBasic::RebuildBandIndex() {
    const size_t n = sections_.size();
    indexed_ = true;
    if (n <= 1) {
        sections_.DropBand();
        return;
    }
    TBandIndex& band = sections_.MakeBand();
    band.alwaysPainted.clear();
    band.inFlowOrder = true;
    for (size_t i = 0; i < n; ++i) {
        const TSectionBase& s = *sections_[i];
        if (s.PaintsOutsideExtent()) {
            band.alwaysPainted.push_back(int(i));
        }
        if (i > 0 &&
            (s.PaintBottom < sections_[i - 1]->PaintBottom || s.PaintTop < sections_[i - 1]->PaintTop)) {
            band.inFlowOrder = false;
        }
    }
    if (band.inFlowOrder) {
        std::vector<int>().swap(band.bottomPrefixMax);
        std::vector<int>().swap(band.topSuffixMin);
        return;
    }
    band.bottomPrefixMax.resize(n);
    band.topSuffixMin.resize(n);
    int bottom = INT_MIN;
    for (size_t i = 0; i < n; ++i) {
        bottom = std::max(bottom, sections_[i]->PaintBottom);
        band.bottomPrefixMax[i] = bottom;
    }
    int top = INT_MAX;
    for (size_t i = n; i-- > 0;) {
        top = std::min(top, sections_[i]->PaintTop);
        band.topSuffixMin[i] = top;
    }
}

size_t TCellBasic::FirstBottomReaching(const TBandIndex& band, int y, bool beyond) const {
    size_t low = 0;
    size_t high = sections_.size();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        const int bound = BottomBound(band, mid);
        if (bound < y || (beyond && bound == y)) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

void TCellBasic::MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) {
    minWidth = 0;
    maxWidth = 0;
    for (const auto& section : sections_) {
        int sectionMin = 0;
        int sectionMax = 0;
        section->MeasureWidths(canvas, sectionMin, sectionMax);
        minWidth = std::max(minWidth, sectionMin);
        maxWidth = std::max(maxWidth, sectionMax);
    }
}

int TCellBasic::PaintSections(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef,
                              int yRef) {
    if (sections_.empty()) {
        return 0;
    }
    const size_t n = sections_.size();
    const TSectionList* document = SectionsDocument();
    const int yOffset = document ? document->YOffset : 0;
    const int top = clip.top + yOffset;
    const int bottom = clip.bottom + yOffset;
    // Zero-height sections on the band's edges (page breaks) are painted too.
    const auto paint = [&](size_t i) { sections_[i]->Paint(canvas, clip, floats, x, xRef, yRef); };
    if (!indexed_) {
        for (size_t i = 0; i < n; ++i) {
            paint(i);
        }
    } else if (!sections_.Band()) {
        const TSectionBase& only = *sections_[0];
        if (only.PaintsOutsideExtent() || (only.PaintBottom >= top && only.PaintTop <= bottom)) {
            paint(0);
        }
    } else {
        const TBandIndex& band = *sections_.Band();
        const std::vector<int>& alwaysPainted = band.alwaysPainted;
        const size_t first = FirstBottomReaching(band, top, false);
        size_t last = first;
        while (last < n && TopBound(band, last) <= bottom) {
            ++last;
        }
        auto always = alwaysPainted.begin();
        for (; always != alwaysPainted.end() && size_t(*always) < first; ++always) {
            paint(size_t(*always));
        }
        for (size_t i = first; i < last; ++i) {
            paint(i);
        }
        for (; always != alwaysPainted.end(); ++always) {
            if (size_t(*always) >= last) {
                paint(size_t(*always));
            }
        }
    }
    const TSectionBase& last = *sections_.back();
    return last.ArrangeY + last.FlowHeight;
}

template <typename Fn> bool TCellBasic::ForSectionsAtY(int y, Fn fn) const {
    const size_t n = sections_.size();
    const auto hits = [&](size_t i) {
        const TSectionBase& s = *sections_[i];
        return s.PaintTop <= y && y < s.PaintBottom && fn(*sections_[i]);
    };
    if (!indexed_ || !sections_.Band()) {
        for (size_t i = 0; i < n; ++i) {
            if (hits(i)) {
                return true;
            }
        }
        return false;
    }
    const TBandIndex& band = *sections_.Band();
    for (size_t i = FirstBottomReaching(band, y, true); i < n && TopBound(band, i) <= y; ++i) {
        if (hits(i)) {
            return true;
        }
    }
    return false;
}

bool TCellBasic::LinkAt(Canvas& canvas, int x, int y, TLinkAnswer& answer) {
    return ForSectionsAtY(y, [&](TSectionBase& s) { return s.LinkAt(canvas, x, y, answer); });
}

bool TCellBasic::ObjectAt(int x, int y, TFloatingObj*& object, int& objX, int& objY) {
    return ForSectionsAtY(y, [&](TSectionBase& s) { return s.ObjectAt(x, y, object, objX, objY); });
}

int TCellBasic::PositionAt(Canvas& canvas, int x, int y, TPositionHit& hit) {
    int result = -1;
    ForSectionsAtY(y, [&](TSectionBase& s) {
        result = s.PositionAt(canvas, x, y, hit);
        return result >= 0;
    });
    return result;
}

int TCellBasic::FirstSectionReaching(int position) const {
    const auto it = std::partition_point(sections_.begin(), sections_.end(), [position](const auto& s) {
        return s->FirstPos + s->PosCount < position;
    });
    return int(it - sections_.begin());
}

int TCellBasic::SearchText(int from, std::string_view text, bool matchCase) {
    for (size_t i = size_t(FirstSectionReaching(from)); i < sections_.size(); ++i) {
        const int found = sections_[i]->SearchText(from, text, matchCase);
        if (found >= 0) {
            return found;
        }
    }
    return -1;
}

int TCellBasic::DocToSourcePos(int position) const {
    for (size_t i = size_t(FirstSectionReaching(position));
         i < sections_.size() && sections_[i]->FirstPos <= position; ++i) {
        const int found = sections_[i]->DocToSourcePos(position);
        if (found >= 0) {
            return found;
        }
    }
    return -1;
}

int TCellBasic::SourceToDocPos(int sourcePos, bool backwards) const {
    const size_t n = sections_.size();
    for (size_t k = 0; k < n; ++k) {
        const int found = sections_[backwards ? n - 1 - k : k]->SourceToDocPos(sourcePos, backwards);
        if (found >= 0) {
            return found;
        }
    }
    return -1;
}

bool TCellBasic::PositionToXY(Canvas* canvas, int position, int& x, int& y) {
    for (size_t i = size_t(FirstSectionReaching(position));
         i < sections_.size() && sections_[i]->FirstPos <= position; ++i) {
        if (sections_[i]->PositionToXY(canvas, position, x, y)) {
            return true;
        }
    }
    return false;
}

bool TCellBasic::CharAt(int position, char& ch, TSectionBase*& section) {
    for (size_t i = size_t(FirstSectionReaching(position));
         i < sections_.size() && sections_[i]->FirstPos <= position; ++i) {
        if (sections_[i]->CharAt(position, ch, section)) {
            return true;
        }
    }
    return false;
}

void TCellBasic::CopySelection() {
    const TSectionList* document = SectionsDocument();
    if (!document) {
        return;
    }
    const int selStart = document->SelStart;
    const int selEnd = document->SelEnd;
    for (size_t i = size_t(FirstSectionReaching(selStart)); i < sections_.size(); ++i) {
        TSectionBase& s = *sections_[i];
        if (s.FirstPos >= selEnd) {
            break;
        }
        const bool overlaps =
            s.FirstPos + s.PosCount > selStart || (s.PosCount == 0 && s.FirstPos >= selStart);
        if (overlaps) {
            s.CopySelection();
        }
    }
}

void TCellBasic::EnlistPositions() {
    for (const auto& section : sections_) {
        section->EnlistPositions();
    }
}

void TCellBasic::TrimLastBottomMargin() {
    for (size_t i = sections_.size(); i-- > 0;) {
        if (!sections_[i]->IsAbsolute()) {
            sections_[i]->TrimDefaultBottomMargin();
            return;
        }
    }
}

// ---- TCell ----

TCell::TCell(std::string_view ownerTag) : TCellBasic(ownerTag) {}

TCell::TCell(TSectionList* document, const TCell& source) : TCellBasic(document, source) {}

int TCell::Arrange(Canvas& canvas, int y, int width, int availHeight, int& scrollWidth, int& counter) {
    const BandOwner ownerBefore = OwnFloats.CurrentOwner;
    OwnFloats.Reset(width);
    OwnFloats.CurrentOwner = this;
    OwnFloats.AddLeft(y, IndentManager::OpenBottom, 0, this);
    OwnFloats.AddRight(y, IndentManager::OpenBottom, width, this);
    StartY = y;
    FirstPos = counter;
    const int height = ArrangeSections(canvas, 0, y, 1000, 1000, width, availHeight, OwnFloats, scrollWidth,
                                       counter, nullptr);
    PosCount = counter - FirstPos;
    OwnFloats.RemoveOwned(this);
    OwnFloats.CurrentOwner = ownerBefore;
    return std::max(height, OwnFloats.FloatBottom() - y);
}

int TCell::Paint(Canvas& canvas, const Rect& clip, int clipWidth, int x, int y, int xRef, int yRef) {
    OwnFloats.LeftEdge = x;
    OwnFloats.RightEdge = x + OwnFloats.Width;
    OwnFloats.ClipWidth = clipWidth;
    PaintedY = y;
    const BandOwner ownerBefore = OwnFloats.CurrentOwner;
    OwnFloats.CurrentOwner = this;
    const int result = IsEmpty() ? StartY : PaintSections(canvas, clip, OwnFloats, x, xRef, yRef);
    OwnFloats.CurrentOwner = ownerBefore;
    return result;
}

} // namespace tavlin
