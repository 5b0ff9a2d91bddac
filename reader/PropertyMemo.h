#pragma once
// The computed properties of elements already pushed, so that the next element of the same names
// on a parent that hands down the same values costs a copy instead of a cascade. Long documents
// repeat a few such combinations tens of thousands of times (every entry of a listing).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavlin {

class TProperties;
class TStyleList;

// The names an element is matched with.
struct ElementNames {
    std::string_view tag, cls, id, pseudo;
};

class PropertyMemo {
public:
    PropertyMemo();
    ~PropertyMemo();
    PropertyMemo(const PropertyMemo&) = delete;
    PropertyMemo& operator=(const PropertyMemo&) = delete;

    // Whether an element's computed values follow from its parent, its names and the sheet
    // alone: no STYLE attribute, and no rule that names ancestors can reach it.
    static bool Applies(const TStyleList& styles, const ElementNames& names, const TProperties* inlineStyle);
    struct Lookup {
        bool takes = false;                 // elements of these names are remembered and found
        const TProperties* known = nullptr; // the values found, or null
    };
    // The values an element of these names computed on a parent like this one, when they are
    // known and the memo takes such elements at all (Applies, asked once per names and sheet).
    // Their Props are marked as the remembered values they are, so that copies can be told apart.
    Lookup Find(const TStyleList& styles, const TProperties& parent, const ElementNames& names,
                const TProperties* inlineStyle);
    // Keeps a child that was just computed on this parent (its names are its own), and marks the
    // child's values as a copy of what is kept.
    void Remember(const TProperties& parent, TProperties& child);
    void Clear();

private:
    struct Known {
        std::unique_ptr<TProperties> parent;
        std::unique_ptr<TProperties> child;
    };
    struct Slot {
        bool applies = false;
        std::vector<Known> known; // the one found last first
    };
    // The names as kept; looked up by views of them without building one.
    struct NamesKey {
        std::string tag, cls, id, pseudo;
        ElementNames View() const { return {tag, cls, id, pseudo}; }
    };
    struct NamesHash {
        using is_transparent = void;
        size_t operator()(const ElementNames& names) const;
        size_t operator()(const NamesKey& key) const { return (*this)(key.View()); }
    };
    struct NamesEqual {
        using is_transparent = void;
        bool operator()(const ElementNames& a, const ElementNames& b) const {
            return a.tag == b.tag && a.cls == b.cls && a.id == b.id && a.pseudo == b.pseudo;
        }
        bool operator()(const NamesKey& a, const NamesKey& b) const { return (*this)(a.View(), b.View()); }
        bool operator()(const ElementNames& a, const NamesKey& b) const { return (*this)(a, b.View()); }
        bool operator()(const NamesKey& a, const ElementNames& b) const { return (*this)(a.View(), b); }
    };
    Slot& SlotOf(const ElementNames& names);

    std::unordered_map<NamesKey, Slot, NamesHash, NamesEqual> slots_;
    const TStyleList* styles_ = nullptr;
    uint64_t generation_ = 0; // of the sheet the memo was made with
    size_t count_ = 0;        // slots and remembered values
};

} // namespace tavlin
