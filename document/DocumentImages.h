#pragma once
#include "images/ImageCache.h"
#include "images/ImageLoader.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tavlin {

class TMapItem;

// A document's side of its pictures: the viewer's cache (shared with the print copy), the host's
// ways of supplying pictures, how names become file names, and the client-side image maps.
class TDocumentImages {
public:
    TDocumentImages();
    ~TDocumentImages();
    TDocumentImages(const TDocumentImages&) = delete;
    TDocumentImages& operator=(const TDocumentImages&) = delete;

    // Set by the viewer; a document without one makes its own on first use.
    std::shared_ptr<TStringBitmapList> Cache;
    ImageRequestHandlers Requests;
    // The viewer's expansion of a picture name into a file name (relative to the document).
    std::function<std::string(const std::string&)> ExpandName;
    // Without ExpandName, relative names are found here (the reader sets the file's folder).
    std::string Directory;
    std::vector<std::unique_ptr<TMapItem>> MapList;

    bool HasRequestHandlers() const {
        return bool(Requests.OnBitmapRequest) || bool(Requests.OnImageRequest);
    }
    // The name as a file name, unless the host supplies pictures itself.
    std::string Expand(const std::string& name) const;
    // GetImage through the cache. A name that failed once in this document is not tried again,
    // so a page naming one missing picture many times costs one failed load.
    ImageFetch Get(const std::string& name, int& transparency);
    // The name will not come: later fetches of it give the error picture at once.
    void MarkFailed(const std::string& name) { failed_.insert(TStringBitmapList::Key(name)); }
    // The map of that name (upper-cased), or null.
    TMapItem* FindMap(const std::string& name) const;
    // The picture with its mask attached, for tiling; made once per document and picture, so that
    // many blocks with one background share one copy.
    const Bitmap* MaskedTile(const std::string& name, const Bitmap& picture, const Mask& mask);
    // Pixels of animation frames copied for the document's images so far. Each image animates on
    // its own copy; beyond kMaxPicturePixels in all, further images show their picture's first
    // frame without animating, so one large animation repeated cannot exhaust memory.
    long long AnimatedPixels = 0;
    // What goes with the document: maps, the names that failed, tiles and the animation budget.
    void ClearDocument();
    // The print copy shares the cache and the host's handlers.
    void ShareWith(const TDocumentImages& source);
    TStringBitmapList& CacheList();

private:
    std::unordered_set<std::string> failed_;
    std::map<std::string, std::unique_ptr<Bitmap>> tiles_;
    // Names already expanded in this document: a page names few pictures many times.
    mutable std::unordered_map<std::string, std::string> expanded_;
};

} // namespace tavlin
