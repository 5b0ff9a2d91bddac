#pragma once
#include "images/ImageCache.h"
#include "images/ImageTypes.h"
#include "platform/Bitmap.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tavlin {

// The three pictures drawn by the program itself, 16 x 16 each: the placeholder of a picture
// not shown (or still awaited), the picture of one that failed to load, and that one's mask.
const Bitmap& placeholderPicture();
const Bitmap& errorPicture();
const Mask& errorPictureMask();

// A picture of the current screen: reduced to its palette on a 4- or 8-bit screen, as it is on
// a true-colour one.
Bitmap convertForDisplay(Bitmap picture);

// Decodes a picture of any known type from its bytes: BMP and JPEG by the engine, the first frame
// of a GIF, PNG by the platform's decoder. Throws EImageError with the reason; never returns an
// empty picture. No display conversion.
Bitmap decodePicture(std::string_view bytes);

// Loads a GIF as the image layer does: a header-only parse first, then the full parse, dithering
// single-frame pictures of more than two colours on an 8-bit screen. Null with the reason in
// error when either parse fails.
std::unique_ptr<TGIFImage> loadGif(std::string_view bytes, std::string* error = nullptr);

// File loading: the picture of the file, its mask when transparency asks for one (kind 1: the
// lower-left pixel's colour; 2 and 3: the colour the file declares), converted for the display.
// transparency may be raised by the file's own transparent colour. Nothing when the file does not
// exist or cannot be decoded.
struct LoadedBitmap {
    Bitmap picture;
    std::unique_ptr<Mask> mask;
};
std::optional<LoadedBitmap> loadPictureFile(const std::string& name, int& transparency);
// Stream loading: under 20 bytes nothing; BMP, JPEG and PNG. JPEG is never transparent.
std::optional<LoadedBitmap> loadPictureStream(std::string_view bytes, int& transparency);

// The host's ways of supplying pictures by name, both optional.
struct ImageRequestHandlers {
    // A picture for the name; transparentColor starts as clNone and may be set.
    std::function<std::optional<Bitmap>(const std::string& name, Color& transparentColor)> OnBitmapRequest;
    // The bytes for the name; wait set means the picture comes later.
    struct Stream {
        bool wait = false;
        std::string bytes;
    };
    std::function<Stream(const std::string& name)> OnImageRequest;
};

struct ImageFetch {
    TBitmapItem* item = nullptr; // the cache entry holding picture and mask; null when none
    bool pending = false;
    bool fromCache = false;

    const LoadedPicture* picture() const { return item ? &item->Picture : nullptr; }
    const Mask* mask() const { return item ? item->Mask.get() : nullptr; }
};

// Finds a picture by name: from the cache, the host's handlers, or the file of that name; a
// new picture is stored in the cache. transparency is read (1: the TRANSP attribute asks for the
// lower-left pixel's colour) and set to the kind in force.
ImageFetch GetImage(TStringBitmapList& cache, const std::string& name, int& transparency,
                    const ImageRequestHandlers& handlers = {});

} // namespace tavlin
