#include "document/LinkTable.h"

#include <cstring>

namespace tavlin {

bool TRunLink::Is(const TUrlTarget& link) const {
    return LinkId == link.LinkId && Url == link.Url.str() && Target == link.Target.str();
}

TUrlTarget TRunLink::AsUrlTarget() const {
    TUrlTarget link;
    link.Url = Url;
    link.Target = Target;
    link.LinkId = LinkId;
    return link;
}

uint32_t TLinkTable::Add(const TUrlTarget& link) {
    return Add(TRunLink{link.LinkId, link.Url.str(), link.Target.str()});
}

uint32_t TLinkTable::Add(const TRunLink& link) {
    if (link.Url.empty()) {
        return kNoLink;
    }
    if (!links_.empty()) {
        const TRunLink last = (*this)[Count()];
        if (last.LinkId == link.LinkId && last.Url == link.Url && last.Target == link.Target) {
            return Count();
        }
    }
    if (Count() == kMaxLinks || link.Url.size() > UINT32_MAX || link.Target.size() > UINT32_MAX) {
        return kNoLink;
    }
    const auto targetSize = uint32_t(link.Target.size());
    char* record = Allocate(sizeof(targetSize) + link.Url.size() + link.Target.size());
    std::memcpy(record, &targetSize, sizeof(targetSize));
    std::memcpy(record + sizeof(targetSize), link.Url.data(), link.Url.size());
    if (targetSize > 0) {
        std::memcpy(record + sizeof(targetSize) + link.Url.size(), link.Target.data(), targetSize);
    }
    links_.push_back({record, uint32_t(link.Url.size()), link.LinkId});
    return Count();
}

TRunLink TLinkTable::operator[](uint32_t number) const {
    if (number == kNoLink || number > Count()) {
        return {};
    }
    const Entry& entry = links_[number - 1];
    uint32_t targetSize = 0;
    std::memcpy(&targetSize, entry.record, sizeof(targetSize));
    const char* url = entry.record + sizeof(targetSize);
    return {entry.linkId, {url, entry.urlSize}, {url + entry.urlSize, targetSize}};
}

void TLinkTable::Clear() {
    links_ = std::vector<Entry>();
    blocks_ = std::vector<std::unique_ptr<char[]>>();
    large_ = std::vector<std::unique_ptr<char[]>>();
    blockFree_ = 0;
}

char* TLinkTable::Allocate(size_t bytes) {
    if (bytes > kLargeRecord) {
        large_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
        return large_.back().get();
    }
    if (bytes > blockFree_) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
        blockFree_ = kBlockBytes;
    }
    char* record = blocks_.back().get() + (kBlockBytes - blockFree_);
    blockFree_ -= bytes;
    return record;
}

} // namespace tavlin
