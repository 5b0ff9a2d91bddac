#include "reader/IDNames.h"

#include "reader/TextUtil.h"

namespace tavlin {

int TChPosObj::YPosition() const {
    const int y = Owner ? Owner->SourcePosToY(SourcePos) : -1;
    return y < 0 ? 0 : y;
}

void TIDNameList::Add(std::string_view name, TIDObject* object, std::unique_ptr<TChPosObj> owned) {
    auto it = entries_.find(name);
    if (it == entries_.end()) {
        it = entries_.emplace(std::string(name), Entry{}).first;
    } else {
        Unlink(it->second.object, it);
    }
    it->second = Entry{std::string(name), object, std::move(owned)};
    namesOf_.emplace(object, it);
}

void TIDNameList::Unlink(const TIDObject* object, EntryMap::iterator entry) {
    auto [first, last] = namesOf_.equal_range(object);
    for (auto it = first; it != last; ++it) {
        if (it->second == entry) {
            namesOf_.erase(it);
            return;
        }
    }
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
    const auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : it->second.object;
}

void TIDNameList::RemoveObject(const TIDObject* object) {
    auto [first, last] = namesOf_.equal_range(object);
    for (auto it = first; it != last; ++it) {
        entries_.erase(it->second);
    }
    namesOf_.erase(first, last);
}

void TIDNameList::Clear() {
    entries_.clear();
    namesOf_.clear();
}

std::vector<std::string> TIDNameList::Names() const {
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const auto& [key, entry] : entries_) {
        names.push_back(entry.name);
    }
    return names;
}

} // namespace tavlin
