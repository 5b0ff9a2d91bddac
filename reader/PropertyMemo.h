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

class PropertyMemo {
public:
    PropertyMemo();
    ~PropertyMemo();
    PropertyMemo(const PropertyMemo&) = delete;
    PropertyMemo& operator=(const PropertyMemo&) = delete;

    // Whether an element's computed values follow from its parent, its names and the sheet
    // alone: no STYLE attribute, and no rule that names ancestors can reach it.
    static bool Applies(const TStyleList& styles, std::string_view tag, std::string_view cls,
                        std::string_view pseudo, const TProperties* inlineStyle);
    // The values an element of these names computed on a parent like this one, or null.
    const TProperties* Find(const TStyleList& styles, const TProperties& parent, std::string_view tag,
                            std::string_view cls, std::string_view id, std::string_view pseudo);
    // Keeps a child that was just computed on this parent (its names are its own).
    void Remember(const TProperties& parent, const TProperties& child);
    void Clear();

private:
    struct Known {
        std::unique_ptr<TProperties> parent;
        std::unique_ptr<TProperties> child;
    };
    static std::string KeyOf(std::string_view tag, std::string_view cls, std::string_view id,
                             std::string_view pseudo);

    std::unordered_map<std::string, std::vector<Known>> known_;
    const TStyleList* styles_ = nullptr;
    uint64_t generation_ = 0; // of the sheet the memo was made with
    size_t count_ = 0;
};

} // namespace tavlin
