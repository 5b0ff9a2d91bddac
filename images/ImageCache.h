#pragma once
#include "images/GIFImage.h"
#include "platform/Bitmap.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tavlin {

// A decoded picture: a plain bitmap, or a GIF of several frames that animates.
struct LoadedPicture {
    std::unique_ptr<Bitmap> bitmap;
    std::unique_ptr<TGIFImage> gif;

    bool isEmpty() const { return !bitmap && !gif; }
    int width() const { return bitmap ? bitmap->width() : gif ? gif->Width : 0; }
    int height() const { return bitmap ? bitmap->height() : gif ? gif->Height : 0; }
};

// One picture of the cache.
struct TBitmapItem {
    LoadedPicture Picture;
    std::unique_ptr<tavlin::Mask> Mask; // none when the picture has no mask
    int Transp = 0;                     // the Transparency kind the mask was made for
    int UseCount = 0;                   // image objects using it now
    int IdleCount = 0;                  // document loads since it was last fetched
};

// The pictures of a viewer, kept across documents by name. Names compare upper-cased and trimmed
// of blanks and control characters, so "a.gif" and " A.GIF " share one entry.
class TStringBitmapList {
public:
    static constexpr int kDefaultMaxIdle = 5;

    static std::string Key(std::string_view name);

    // The entry without any bookkeeping, or null.
    TBitmapItem* Find(std::string_view name);
    // A cache hit: the entry's IdleCount becomes 0 and its UseCount grows. Null when absent.
    TBitmapItem* Fetch(std::string_view name);
    // Stores a new picture with UseCount 1 and IdleCount 0; returns the entry (an existing entry
    // of the same name is replaced).
    TBitmapItem& Add(std::string_view name, LoadedPicture picture, std::unique_ptr<tavlin::Mask> mask,
                     int transp);
    // An image object copied (up) or destroyed (down).
    void IncUsage(std::string_view name);
    void DecUsage(std::string_view name);
    // At every document load: each entry ages by one load; entries idle longer than MaxIdle and
    // used by nobody are deleted.
    void BumpAndCheck();
    // ImageCacheCount: clamped to 0..20; entries idle longer than the new value and unused go.
    void SetCacheCount(int count);
    int MaxIdle() const { return maxIdle_; }
    void Clear() { items_.clear(); }
    int Count() const { return int(items_.size()); }

private:
    std::map<std::string, std::unique_ptr<TBitmapItem>> items_;
    int maxIdle_ = kDefaultMaxIdle;
};

} // namespace tavlin
