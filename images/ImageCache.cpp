#include "images/ImageCache.h"

#include <algorithm>

namespace tavlin {

std::string TStringBitmapList::Key(std::string_view name) {
    while (!name.empty() && uint8_t(name.front()) <= 32) {
        name.remove_prefix(1);
    }
    while (!name.empty() && uint8_t(name.back()) <= 32) {
        name.remove_suffix(1);
    }
    std::string key(name);
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
        }
    }
    return key;
}

TBitmapItem* TStringBitmapList::Find(std::string_view name) {
    const auto it = items_.find(Key(name));
    return it == items_.end() ? nullptr : it->second.get();
}

TBitmapItem* TStringBitmapList::Fetch(std::string_view name) {
    TBitmapItem* item = Find(name);
    if (item) {
        item->IdleCount = 0;
        ++item->UseCount;
    }
    return item;
}

TBitmapItem& TStringBitmapList::Add(std::string_view name, LoadedPicture picture,
                                    std::unique_ptr<tavlin::Mask> mask, int transp) {
    auto item = std::make_unique<TBitmapItem>();
    item->Picture = std::move(picture);
    item->Mask = std::move(mask);
    item->Transp = transp;
    item->UseCount = 1;
    item->IdleCount = 0;
    auto& slot = items_[Key(name)];
    slot = std::move(item);
    return *slot;
}

void TStringBitmapList::IncUsage(std::string_view name) {
    if (TBitmapItem* item = Find(name)) {
        ++item->UseCount;
    }
}

void TStringBitmapList::DecUsage(std::string_view name) {
    if (TBitmapItem* item = Find(name)) {
        --item->UseCount;
    }
}

void TStringBitmapList::BumpAndCheck() {
    for (auto it = items_.end(); it != items_.begin();) {
        --it;
        TBitmapItem& item = *it->second;
        ++item.IdleCount;
        if (item.IdleCount > maxIdle_ && item.UseCount < 1) {
            it = items_.erase(it);
        }
    }
}

void TStringBitmapList::SetCacheCount(int count) {
    count = std::clamp(count, 0, 20);
    std::erase_if(items_, [count](const auto& entry) {
        return entry.second->IdleCount > count && entry.second->UseCount <= 0;
    });
    maxIdle_ = count;
}

} // namespace tavlin
