#pragma once
#include "reader/HtmlSymbol.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

class TProperties;

// One attribute of the tag just read.
struct TAttribute {
    HtmlSymbol Symbol = symUnknownAttr;
    std::string Text;     // the value as read
    int32_t NumValue = 0; // the value as a rounded number; 0 when it is none
};

// The attributes of the tag just read; cleared at the start of every tag.
class TAttributeList {
public:
    TAttributeList();
    ~TAttributeList();
    TAttributeList(const TAttributeList& other);
    TAttributeList& operator=(const TAttributeList& other);

    void Add(TAttribute attribute);
    // A new, empty attribute at the end (reusing the storage of earlier tags' attributes, so
    // that reading attributes does not allocate once the values have been seen at their size).
    TAttribute& AddNew();
    void RemoveLast();
    void Clear();

    // The first attribute with the symbol, or null.
    const TAttribute* FindAttribute(HtmlSymbol symbol) const;
    // Convenience: true and the value when the attribute is present.
    bool Find(HtmlSymbol symbol, std::string& text) const;
    // Lower-cased values of CLASS and ID, empty when absent.
    std::string ClassValue() const;
    const std::string& IdValue() const;
    // The declarations of a STYLE attribute, parsed anew on each call into properties the list
    // owns (replacing the previous ones); null without a STYLE attribute.
    TProperties* StyleProperties();

    int Count() const { return int(count_); }
    const TAttribute& operator[](int i) const { return items_[size_t(i)]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.begin() + std::ptrdiff_t(count_); }

private:
    std::vector<TAttribute> items_; // the first count_ are in use
    size_t count_ = 0;
    mutable std::string idValue_;
    mutable bool idCached_ = false;
    std::unique_ptr<TProperties> styleProps_;
};

// A text its copies share until one of them changes it. A link's address goes into every run
// and every section the link spans; a long address must not be copied for each of them.
class SharedText {
public:
    SharedText() = default;
    SharedText(std::string_view text) { *this = text; }
    SharedText& operator=(std::string_view text) {
        text_ = text.empty() ? nullptr : std::make_shared<const std::string>(text);
        return *this;
    }
    SharedText& operator+=(std::string_view more) { return *this = str() + std::string(more); }

    const std::string& str() const { return text_ ? *text_ : Empty(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return !text_; }
    size_t size() const { return str().size(); }
    void clear() { text_.reset(); }

    friend bool operator==(const SharedText& a, const SharedText& b) { return a.str() == b.str(); }
    friend bool operator==(const SharedText& a, std::string_view b) { return a.str() == b; }
    friend std::ostream& operator<<(std::ostream& out, const SharedText& text) { return out << text.str(); }

private:
    static const std::string& Empty() {
        static const std::string empty;
        return empty;
    }
    std::shared_ptr<const std::string> text_;
};

// The link being read: address, frame name and a number that tells one link from another (all
// runs of one link share it).
class TUrlTarget {
public:
    // Sets address and target and gives the link the next link number.
    void Assign(std::string_view url, std::string_view target);
    void Copy(const TUrlTarget& other) { *this = other; }
    void Clear() {
        Url.clear();
        Target.clear();
    }

    SharedText Url;
    SharedText Target;
    int32_t LinkId = 0;

    // The link counter shared by every reader in the program.
    static int32_t NextLinkId;
};

} // namespace tavlin
