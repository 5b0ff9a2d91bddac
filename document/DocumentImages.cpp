#include "document/DocumentImages.h"

#include "document/MapItem.h"
#include "platform/Files.h"
#include "reader/StyleSheet.h"
#include "reader/TextUtil.h"

namespace tavlin {

TDocumentImages::TDocumentImages() = default;
TDocumentImages::~TDocumentImages() = default;

std::string TDocumentImages::Expand(const std::string& name) const {
    if (HasRequestHandlers()) {
        return name;
    }
    std::string& file = expanded_[name];
    if (!file.empty()) {
        return file;
    }
    if (ExpandName) {
        file = ExpandName(name);
        return file;
    }
    file = HTMLToDos(trimView(name));
    if (!file.empty() && file[0] != kPathSeparator && !Directory.empty()) {
        file = joinPath(Directory, file);
    }
    return file;
}

TStringBitmapList& TDocumentImages::CacheList() {
    if (!Cache) {
        Cache = std::make_shared<TStringBitmapList>();
    }
    return *Cache;
}

ImageFetch TDocumentImages::Get(const std::string& name, int& transparency) {
    const std::string key = TStringBitmapList::Key(name);
    if (key.empty() || failed_.count(key) > 0) {
        return {};
    }
    ImageFetch fetched = GetImage(CacheList(), name, transparency, Requests);
    if (!fetched.item && !fetched.pending) {
        failed_.insert(key);
    }
    return fetched;
}

TMapItem* TDocumentImages::FindMap(const std::string& name) const {
    for (const auto& map : MapList) {
        if (map->MapName == name) {
            return map.get();
        }
    }
    return nullptr;
}

const Bitmap* TDocumentImages::MaskedTile(const std::string& name, const Bitmap& picture, const Mask& mask) {
    std::unique_ptr<Bitmap>& tile = tiles_[TStringBitmapList::Key(name)];
    if (!tile) {
        tile = std::make_unique<Bitmap>(picture);
        tile->mask = mask;
    }
    return tile.get();
}

void TDocumentImages::ClearDocument() {
    MapList.clear();
    failed_.clear();
    tiles_.clear();
    expanded_.clear();
    AnimatedPixels = 0;
    Directory.clear();
}

void TDocumentImages::ShareWith(const TDocumentImages& source) {
    Cache = source.Cache;
    Requests = source.Requests;
    ExpandName = source.ExpandName;
    Directory = source.Directory;
}

} // namespace tavlin
