#include "reader/Attributes.h"

#include "reader/Properties.h"
#include "reader/StyleSheet.h"
#include "reader/TextUtil.h"

namespace tavlin {

int32_t TUrlTarget::NextLinkId = 0;

void TUrlTarget::Assign(std::string_view url, std::string_view target) {
    Url = url;
    Target = target;
    LinkId = ++NextLinkId;
}

TAttributeList::TAttributeList() = default;
TAttributeList::~TAttributeList() = default;

TAttributeList::TAttributeList(const TAttributeList& other)
    : items_(other.begin(), other.end()), count_(other.count_) {}

TAttributeList& TAttributeList::operator=(const TAttributeList& other) {
    if (this != &other) {
        items_.assign(other.begin(), other.end());
        count_ = other.count_;
        idCached_ = false;
        styleProps_.reset();
    }
    return *this;
}

TAttribute& TAttributeList::AddNew() {
    idCached_ = false;
    if (count_ < items_.size()) {
        TAttribute& a = items_[count_++];
        a.Symbol = symUnknownAttr;
        a.Text.clear();
        a.NumValue = 0;
        return a;
    }
    ++count_;
    return items_.emplace_back();
}

void TAttributeList::RemoveLast() {
    if (count_ > 0) {
        --count_;
        idCached_ = false;
    }
}

void TAttributeList::Add(TAttribute attribute) {
    AddNew() = std::move(attribute);
}

void TAttributeList::Clear() {
    count_ = 0;
    idCached_ = false;
    idValue_.clear();
}

const TAttribute* TAttributeList::FindAttribute(HtmlSymbol symbol) const {
    for (const TAttribute& a : *this) {
        if (a.Symbol == symbol) {
            return &a;
        }
    }
    return nullptr;
}

bool TAttributeList::Find(HtmlSymbol symbol, std::string& text) const {
    const TAttribute* a = FindAttribute(symbol);
    if (!a) {
        return false;
    }
    text = a->Text;
    return true;
}

std::string TAttributeList::ClassValue() const {
    const TAttribute* a = FindAttribute(attrCLASS);
    return a ? toLowerAscii(a->Text) : std::string();
}

const std::string& TAttributeList::IdValue() const {
    if (!idCached_) {
        const TAttribute* a = FindAttribute(attrID);
        idValue_ = a ? toLowerAscii(a->Text) : std::string();
        idCached_ = true;
    }
    return idValue_;
}

TProperties* TAttributeList::StyleProperties() {
    const TAttribute* a = FindAttribute(attrSTYLE);
    if (!a) {
        return nullptr;
    }
    styleProps_ = std::make_unique<TProperties>();
    ParseInlineStyle(a->Text, *styleProps_);
    return styleProps_.get();
}

} // namespace tavlin
