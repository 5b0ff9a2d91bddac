#include "document/LinkTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tavlin {

namespace {

constexpr size_t kMaxVarintBytes = 5;

size_t PutVarint(char* out, uint32_t value) {
    size_t n = 0;
    for (; value >= 0x80; value >>= 7) {
        out[n++] = char(value | 0x80);
    }
    out[n++] = char(value);
    return n;
}

uint32_t GetVarint(const char*& in) {
    uint32_t value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        value |= uint32_t(byte & 0x7F) << shift;
        if (byte < 0x80) {
            return value;
        }
    }
}

size_t SharedStart(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i]) {
        ++i;
    }
    return i;
}

} // namespace

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

uint32_t TLinkTable::Add(const TUrlTarget& link) { return Add(link.LinkId, link.Url.str(), link.Target.str()); }

uint32_t TLinkTable::Add(const TRunLink& link) { return Add(link.LinkId, link.Url, link.Target); }

uint32_t TLinkTable::Add(int32_t linkId, std::string_view url, std::string_view target) {
    if (url.empty()) {
        return kNoLink;
    }
    if (!links_.empty() && links_.back().linkId == linkId && lastUrl_ == url && lastTarget_ == target) {
        return Count();
    }
    constexpr size_t kMaxSize = std::numeric_limits<uint32_t>::max();
    if (Count() == kMaxLinks || url.size() > kMaxSize || target.size() > kMaxSize) {
        return kNoLink;
    }
    const size_t shared = Count() % kRestart == 0 ? 0 : SharedStart(lastUrl_, url);
    char header[2 * kMaxVarintBytes];
    size_t headerSize = PutVarint(header, uint32_t(target.size()));
    headerSize += PutVarint(header + headerSize, uint32_t(shared));
    const size_t rest = url.size() - shared;
    char* record = Allocate(headerSize + rest + target.size());
    std::memcpy(record, header, headerSize);
    std::memcpy(record + headerSize, url.data() + shared, rest);
    if (!target.empty()) {
        std::memcpy(record + headerSize + rest, target.data(), target.size());
    }
    links_.push_back({record, uint32_t(url.size()), linkId});
    lastUrl_ = url;
    lastTarget_ = target;
    return Count();
}

TRunLink TLinkTable::operator[](uint32_t number) const {
    TRunLink link;
    if (!Holds(number)) {
        return link;
    }
    const uint32_t i = number - 1;
    for (uint32_t k = i - i % kRestart; k < i; ++k) {
        Decode(k, link.Url, nullptr);
    }
    Decode(i, link.Url, &link.Target);
    link.LinkId = links_[i].linkId;
    return link;
}

void TLinkTable::Decode(uint32_t i, std::string& url, std::string* target) const {
    const Entry& entry = links_[i];
    const char* in = entry.record;
    const uint32_t targetSize = GetVarint(in);
    const uint32_t shared = GetVarint(in);
    const uint32_t rest = entry.urlSize - shared;
    url.resize(shared);
    url.append(in, rest);
    if (target) {
        target->assign(in + rest, targetSize);
    }
}

void TLinkTable::Clear() {
    links_ = std::vector<Entry>();
    blocks_ = std::vector<std::unique_ptr<char[]>>();
    large_ = std::vector<std::unique_ptr<char[]>>();
    blockFree_ = 0;
    lastUrl_ = std::string();
    lastTarget_ = std::string();
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
