#include "reader/IDNames.h"

#include "reader/TextUtil.h"

namespace tavlin {

int TChPosObj::YPosition() const {
    const int y = Owner ? Owner->SourcePosToY(SourcePos) : -1;
    return y < 0 ? 0 : y;
}

size_t TIDNameList::LowerBound(std::string_view name) const {
    size_t lo = 0;
    size_t hi = entries_.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (compareNoCase(entries_[mid].name, name) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

void TIDNameList::Add(std::string_view name, TIDObject* object, std::unique_ptr<TChPosObj> owned) {
    const size_t i = LowerBound(name);
    if (i < entries_.size() && compareNoCase(entries_[i].name, name) == 0) {
        entries_[i] = Entry{std::string(name), object, std::move(owned)};
        return;
    }
    entries_.insert(entries_.begin() + std::ptrdiff_t(i), Entry{std::string(name), object, std::move(owned)});
}

void TIDNameList::AddObject(std::string_view name, TIDObject* object) {
    Add(name, object, nullptr);
}

void TIDNameList::AddPositionMark(std::string_view name, int32_t sourcePos) {
    auto mark = std::make_unique<TChPosObj>(owner_, sourcePos);
    TIDObject* raw = mark.get();
    Add(name, raw, std::move(mark));
}

TIDObject* TIDNameList::Find(std::string_view name) const {
    const size_t i = LowerBound(name);
    if (i < entries_.size() && compareNoCase(entries_[i].name, name) == 0) {
        return entries_[i].object;
    }
    return nullptr;
}

void TIDNameList::RemoveObject(const TIDObject* object) {
    std::erase_if(entries_, [object](const Entry& e) { return e.object == object; });
}

void TIDNameList::Clear() {
    entries_.clear();
}

} // namespace tavlin
