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
    if (count_ > 0 && lastId_ == linkId && lastUrl_ == url && lastTarget_ == target) {
        return Count();
    }
    constexpr size_t kMaxSize = std::numeric_limits<uint32_t>::max();
    if (Count() == kMaxLinks || url.size() > kMaxSize || target.size() > kMaxSize) {
        return kNoLink;
    }
    const auto header = [&](size_t shared, char* out) {
        size_t n = PutVarint(out, uint32_t(target.size()));
        n += PutVarint(out + n, uint32_t(shared));
        return n + PutVarint(out + n, uint32_t(url.size() - shared));
    };
    char head[3 * kMaxVarintBytes];
    size_t shared = SharedStart(lastUrl_, url);
    const size_t size = header(shared, head) + url.size() - shared + target.size();
    const bool numbered = int64_t(linkId) == int64_t(lastId_) + 1;
    const bool follows =
        Count() % kRestart != 0 && numbered && end_ && size <= blockFree_ && size <= kLargeRecord;
    if (!follows) {
        shared = 0;
    }
    const size_t headSize = header(shared, head);
    const size_t rest = url.size() - shared;
    char* record = Allocate(headSize + rest + target.size());
    if (!follows) {
        restarts_.push_back({Count(), linkId, record});
    }
    std::memcpy(record, head, headSize);
    std::memcpy(record + headSize, url.data() + shared, rest);
    if (!target.empty()) {
        std::memcpy(record + headSize + rest, target.data(), target.size());
    }
    ++count_;
    lastId_ = linkId;
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
    const Restart& restart = RestartOf(i);
    const char* in = restart.record;
    for (uint32_t k = restart.first;; ++k) {
        const uint32_t targetSize = GetVarint(in);
        const uint32_t shared = GetVarint(in);
        const uint32_t rest = GetVarint(in);
        link.Url.resize(shared);
        link.Url.append(in, rest);
        in += rest;
        if (k == i) {
            link.Target.assign(in, targetSize);
            break;
        }
        in += targetSize;
    }
    link.LinkId = restart.firstId + int32_t(i - restart.first);
    return link;
}

int32_t TLinkTable::LinkIdOf(uint32_t number) const {
    if (!Holds(number)) {
        return 0;
    }
    const Restart& restart = RestartOf(number - 1);
    return restart.firstId + int32_t(number - 1 - restart.first);
}

const TLinkTable::Restart& TLinkTable::RestartOf(uint32_t index) const {
    const auto after = std::upper_bound(restarts_.begin(), restarts_.end(), index,
                                        [](uint32_t i, const Restart& r) { return i < r.first; });
    return *(after - 1);
}

void TLinkTable::Clear() {
    count_ = 0;
    lastId_ = 0;
    restarts_ = std::vector<Restart>();
    blocks_ = std::vector<std::unique_ptr<char[]>>();
    large_ = std::vector<std::unique_ptr<char[]>>();
    blockFree_ = 0;
    end_ = nullptr;
    lastUrl_ = std::string();
    lastTarget_ = std::string();
}

char* TLinkTable::Allocate(size_t bytes) {
    if (bytes > kLargeRecord) {
        large_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
        end_ = nullptr; // the next record cannot follow this one
        return large_.back().get();
    }
    if (bytes > blockFree_) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
        blockFree_ = kBlockBytes;
    }
    char* record = blocks_.back().get() + (kBlockBytes - blockFree_);
    blockFree_ -= bytes;
    end_ = record + bytes;
    return record;
}

} // namespace tavlin
