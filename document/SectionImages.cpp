// The document's side of pictures: its background picture and pictures delivered late.
#include "document/ImageObj.h"
#include "document/SectionList.h"

#include <algorithm>

namespace tavlin {

const Bitmap* TSectionList::GetBackgroundBitmap() {
    if (!ShowImages) {
        return nullptr;
    }
    if (BackgroundName.empty() || BackgroundTried) {
        return BackgroundBitmap.get();
    }
    BackgroundTried = true;
    const std::string name = Pictures.Expand(BackgroundName);
    int transparency = 0;
    const ImageFetch fetched = Pictures.Get(name, transparency);
    if (fetched.pending) {
        MissingImages.emplace_back(TStringBitmapList::Key(name), nullptr);
        return nullptr;
    }
    const LoadedPicture* picture = fetched.picture();
    if (!picture) {
        return nullptr;
    }
    // Tiles are drawn through the picture's own mask; the copy is made once per document.
    std::shared_ptr<Bitmap> bitmap;
    if (picture->bitmap) {
        bitmap = std::make_shared<Bitmap>(*picture->bitmap);
    } else if (picture->gif) {
        bitmap = std::make_shared<Bitmap>(picture->gif->CompositeWithMask());
    }
    if (bitmap && fetched.mask() && fetched.mask()->width() == bitmap->width() &&
        fetched.mask()->height() == bitmap->height()) {
        bitmap->mask = *fetched.mask();
    }
    if (bitmap && !bitmap->isEmpty()) {
        BackgroundBitmap = std::move(bitmap);
    }
    if (Pictures.Cache) {
        Pictures.Cache->DecUsage(name); // the document keeps its own copy
    }
    return BackgroundBitmap.get();
}

bool TSectionList::PaintBackgroundBitmap(Canvas& canvas, const Rect& clip, int hScroll, int vScroll) {
    const Bitmap* picture = GetBackgroundBitmap();
    if (!picture || picture->isEmpty()) {
        return false;
    }
    const int w = picture->width();
    const int h = picture->height();
    const int left = -(hScroll % w);
    const int top = -(vScroll % h);
    for (int y = top + (clip.top - top) / h * h; y < clip.bottom; y += h) {
        for (int x = left + (clip.left - left) / w * w; x < clip.right; x += w) {
            canvas.drawBitmap(*picture, x, y);
        }
    }
    return true;
}

bool TSectionList::DeliverImage(const std::string& name, std::string_view bytes) {
    const std::string key = TStringBitmapList::Key(name);
    std::vector<TImageObj*> waiting;
    bool found = false;
    std::erase_if(MissingImages, [&](const auto& entry) {
        if (entry.first != key) {
            return false;
        }
        found = true;
        if (entry.second) {
            waiting.push_back(entry.second);
        }
        return true;
    });
    if (!found) {
        return false;
    }
    int transparency = 0;
    ImageRequestHandlers once;
    const std::string data(bytes);
    once.OnImageRequest = [&data](const std::string&) { return ImageRequestHandlers::Stream{false, data}; };
    const ImageFetch stored =
        bytes.empty() ? ImageFetch{} : GetImage(Pictures.CacheList(), name, transparency, once);
    if (stored.item) {
        --stored.item->UseCount; // held by the images that take it, not by the delivery
    } else {
        Pictures.MarkFailed(name);
    }
    for (TImageObj* image : waiting) {
        image->PictureDelivered();
    }
    BackgroundTried = false;
    return true;
}

} // namespace tavlin
