#include "reader/PropertyMemo.h"

#include "reader/Properties.h"
#include "reader/StyleSheet.h"

namespace tavlin {

namespace {

// A page of countless distinct styles must not grow the memo without end.
constexpr size_t kMaxKnown = 2000;
// Parents seen per combination of names before the oldest is forgotten.
constexpr size_t kMaxParentsPerKey = 8;

} // namespace

PropertyMemo::PropertyMemo() = default;
PropertyMemo::~PropertyMemo() = default;

bool PropertyMemo::Applies(const TStyleList& styles, std::string_view tag, std::string_view cls,
                           std::string_view pseudo, const TProperties* inlineStyle) {
    if (inlineStyle || styles.HasContextualRulesFor(tag)) {
        return false;
    }
    if (!cls.empty() && styles.HasContextualRulesFor("." + std::string(cls))) {
        return false;
    }
    // A link's state fonts are matched with :visited and :hover as well.
    return pseudo.empty() || !(styles.HasContextualRulesFor(":" + std::string(pseudo)) ||
                               (pseudo == "link" && (styles.HasContextualRulesFor(":visited") ||
                                                     styles.HasContextualRulesFor(":hover"))));
}

std::string PropertyMemo::KeyOf(std::string_view tag, std::string_view cls, std::string_view id,
                                std::string_view pseudo) {
    std::string key;
    key.reserve(tag.size() + cls.size() + id.size() + pseudo.size() + 3);
    key.append(tag).append(1, '\0').append(cls).append(1, '\0').append(id).append(1, '\0').append(pseudo);
    return key;
}

const TProperties* PropertyMemo::Find(const TStyleList& styles, const TProperties& parent,
                                      std::string_view tag, std::string_view cls, std::string_view id,
                                      std::string_view pseudo) {
    if (&styles != styles_ || styles.Generation() != generation_) {
        Clear();
        styles_ = &styles;
        generation_ = styles.Generation();
    }
    const auto it = known_.find(KeyOf(tag, cls, id, pseudo));
    if (it == known_.end()) {
        return nullptr;
    }
    for (const Known& k : it->second) {
        if (k.parent->HandsDownSameAs(parent)) {
            return k.child.get();
        }
    }
    return nullptr;
}

void PropertyMemo::Remember(const TProperties& parent, const TProperties& child) {
    if (count_ >= kMaxKnown) {
        Clear();
    }
    std::vector<Known>& list = known_[KeyOf(child.ElemTag, child.ElemClass, child.ElemId, child.ElemPseudo)];
    if (list.size() >= kMaxParentsPerKey) {
        list.erase(list.begin());
        --count_;
    }
    Known k{std::make_unique<TProperties>(), std::make_unique<TProperties>()};
    k.parent->CopyComputed(parent);
    k.child->CopyComputed(child);
    // Neither is on the stack: the copies of the child get their own parent.
    k.parent->Parent = k.child->Parent = nullptr;
    list.push_back(std::move(k));
    ++count_;
}

void PropertyMemo::Clear() {
    known_.clear();
    count_ = 0;
}

} // namespace tavlin
