#include "reader/PropertyMemo.h"

#include "reader/Properties.h"
#include "reader/StyleSheet.h"

#include <algorithm>
#include <atomic>

namespace tavlin {

namespace {

// A page of countless distinct styles must not grow the memo without end.
constexpr size_t kMaxKnown = 2000;
// Parents seen per combination of names before the oldest is forgotten.
constexpr size_t kMaxParentsPerKey = 8;

// Serials of remembered values are never reused, so a stale mark can match nothing.
std::atomic<uint64_t> lastSerial{0};

} // namespace

PropertyMemo::PropertyMemo() = default;
PropertyMemo::~PropertyMemo() = default;

bool PropertyMemo::Applies(const TStyleList& styles, const ElementNames& names,
                           const TProperties* inlineStyle) {
    if (inlineStyle || styles.HasContextualRulesFor(names.tag)) {
        return false;
    }
    if (!names.cls.empty() && styles.HasContextualRulesFor("." + std::string(names.cls))) {
        return false;
    }
    // A link's state fonts are matched with :visited and :hover as well.
    const std::string_view pseudo = names.pseudo;
    return pseudo.empty() || !(styles.HasContextualRulesFor(":" + std::string(pseudo)) ||
                               (pseudo == "link" && (styles.HasContextualRulesFor(":visited") ||
                                                     styles.HasContextualRulesFor(":hover"))));
}

size_t PropertyMemo::NamesHash::operator()(const ElementNames& names) const {
    // Names are a few letters: a byte-wise hash costs less than hashing each of them apart.
    uint64_t h = 14695981039346656037ull;
    for (std::string_view part : {names.tag, names.cls, names.id, names.pseudo}) {
        for (const char c : part) {
            h = (h ^ uint8_t(c)) * 1099511628211ull;
        }
        h = (h ^ part.size()) * 1099511628211ull; // "ab","" and "a","b" differ
    }
    return size_t(h);
}

PropertyMemo::Slot& PropertyMemo::SlotOf(const ElementNames& names) {
    if (const auto it = slots_.find(names); it != slots_.end()) {
        return it->second;
    }
    if (count_ >= kMaxKnown) {
        Clear();
    }
    ++count_;
    return slots_[NamesKey{std::string(names.tag), std::string(names.cls), std::string(names.id),
                           std::string(names.pseudo)}];
}

PropertyMemo::Lookup PropertyMemo::Find(const TStyleList& styles, const TProperties& parent,
                                        const ElementNames& names, const TProperties* inlineStyle) {
    if (inlineStyle) {
        return {};
    }
    if (&styles != styles_ || styles.Generation() != generation_) {
        Clear();
        styles_ = &styles;
        generation_ = styles.Generation();
    }
    const auto it = slots_.find(names);
    if (it == slots_.end()) {
        const bool applies = Applies(styles, names, nullptr);
        SlotOf(names).applies = applies;
        return {applies, nullptr};
    }
    Slot& slot = it->second;
    std::vector<Known>& known = slot.known;
    const auto found = std::find_if(known.begin(), known.end(),
                                    [&](const Known& k) { return k.parent->HandsDownSameAs(parent); });
    if (found == known.end()) {
        return {slot.applies, nullptr};
    }
    // Elements come in runs on like parents: the next one most likely matches the same entry.
    std::rotate(known.begin(), found, found + 1);
    return {true, known.front().child.get()};
}

void PropertyMemo::Remember(const TProperties& parent, TProperties& child) {
    Slot& slot = SlotOf({child.ElemTag, child.ElemClass, child.ElemId, child.ElemPseudo});
    slot.applies = true;
    std::vector<Known>& list = slot.known;
    if (list.size() >= kMaxParentsPerKey) {
        list.pop_back();
        --count_;
    }
    Known k{std::make_unique<TProperties>(), std::make_unique<TProperties>()};
    k.parent->CopyComputed(parent);
    k.child->CopyComputed(child);
    // Neither is on the stack: the copies of the child get their own parent.
    k.parent->Parent = k.child->Parent = nullptr;
    const uint64_t serial = ++lastSerial;
    k.child->Props.MarkCopyOf(serial);
    child.Props.MarkCopyOf(serial);
    list.insert(list.begin(), std::move(k));
    ++count_;
}

void PropertyMemo::Clear() {
    slots_.clear();
    count_ = 0;
}

} // namespace tavlin
