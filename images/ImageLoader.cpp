#include "images/ImageLoader.h"

#include "images/BmpReader.h"
#include "images/Display.h"
#include "images/Dither.h"
#include "images/ImageError.h"
#include "images/JpegReader.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"

#include <array>
#include <sys/stat.h>

namespace tavlin {

namespace {

// The 16 colours of the special pictures, by letter.
uint32_t paletteColour(char c) {
    switch (c) {
    case 'k':
        return 0xFF000000u; // black
    case 'g':
        return 0xFF808080u; // dark grey
    case 's':
        return 0xFFC0C0C0u; // silver
    case 'w':
        return 0xFFFFFFFFu;
    case 'r':
        return 0xFFFF0000u;
    case 'm':
        return 0xFF800000u; // maroon
    case 'b':
        return 0xFF0000FFu;
    case 'n':
        return 0xFF000080u; // navy
    case 'c':
        return 0xFF00FFFFu; // cyan
    case 'e':
        return 0xFF008000u; // green
    case 'l':
        return 0xFF00FF00u; // lime
    case 'y':
        return 0xFFFFFF00u;
    case 'o':
        return 0xFF808000u; // olive
    default:
        return 0xFFC0C0C0u;
    }
}

Bitmap fromArt(const std::array<const char*, 16>& art) {
    Bitmap b(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            b.setPixel(x, y, paletteColour(art[size_t(y)][x]));
        }
    }
    return b;
}

// A framed landscape: sky, sun and a hill.
constexpr std::array<const char*, 16> kPlaceholderArt = {
    "kkkkkkkkkkkkkkkk", "kwwwwwwwwwwwwwwk", "kwccccccccccccgk", "kwccccccccyyccgk",
    "kwcccccccyyyycgk", "kwccccccccyyccgk", "kwccccccccccccgk", "kwcccclcccccccgk",
    "kwccclllccccccgk", "kwccllllllcccegk", "kwcllllllllleegk", "kwllllleeeeeeegk",
    "kwllleeeeeeeeegk", "kwleeeeeeeeeeegk", "kwgggggggggggggk", "kkkkkkkkkkkkkkkk"};

// A page with a red cross; '.' lies outside the page and is transparent in the mask.
constexpr std::array<const char*, 16> kErrorArt = {
    "..kkkkkkkkkk....", "..kwwwwwwwwkk...", "..kwrwwwwrwkwk..", "..kwrrwwrrwkkkk.",
    "..kwwrrrrwwwwsk.", "..kwwwrrwwwwwsk.", "..kwwrrrrwwwwsk.", "..kwrrwwrrwwwsk.",
    "..kwrwwwwrwwwsk.", "..kwwwwwwwwwwsk.", "..kwwwwwwwwwwsk.", "..kwwwwwwwwwwsk.",
    "..kwwwwwwwwwwsk.", "..kwssssssssssk.", "..kkkkkkkkkkkkk.", "................"};

Mask maskFromArt(const std::array<const char*, 16>& art) {
    Mask m(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            m.setTransparent(x, y, art[size_t(y)][x] == '.');
        }
    }
    return m;
}

// Bigger than any picture of kMaxPicturePixels in any format the layer reads.
constexpr long long kMaxPictureFileBytes = 300LL * 1024 * 1024;

// A picture file's bytes. Only a regular file of bounded size is read: a name of a directory, a
// FIFO or a device (/dev/zero) gives nothing at once instead of blocking or reading forever.
std::optional<std::string> readPictureFile(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxPictureFileBytes) {
        return std::nullopt;
    }
    return readWholeFile(name);
}

bool isGif(ImageType t) {
    return t == ImageType::GIF87a || t == ImageType::GIF89a;
}

bool sameTextCi(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
        if (x != b[i]) {
            return false;
        }
    }
    return true;
}

// The mask a picture needs for a transparency kind: kind 1 from the lower-left pixel, kinds 2
// and 3 from the colour the file gave. A picture with its own alpha is masked where it is fully
// transparent, which is what the file's transparent colour means.
std::unique_ptr<Mask> maskFor(const Bitmap& picture, int transparency, std::optional<Color> colour) {
    if (transparency == LLCorner) {
        return std::make_unique<Mask>(makeMask(picture));
    }
    if (transparency == NotTransp) {
        return nullptr;
    }
    if (picture.hasAlpha) {
        Mask m(picture.width(), picture.height());
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                m.setTransparent(x, y, (picture.pixel(x, y) >> 24) == 0);
            }
        }
        return std::make_unique<Mask>(std::move(m));
    }
    if (!colour || *colour == clNone) {
        return nullptr;
    }
    return std::make_unique<Mask>(makeMask(picture, colour));
}

std::optional<LoadedBitmap> finishLoad(Bitmap picture, int& transparency, std::optional<Color> colour) {
    LoadedBitmap loaded;
    loaded.mask = maskFor(picture, transparency, colour);
    if (!loaded.mask) {
        transparency = NotTransp;
    }
    loaded.picture = convertForDisplay(std::move(picture));
    return loaded;
}

// A GIF that decoded to one frame becomes a plain bitmap with the frame's mask.
void flattenSingleFrame(std::unique_ptr<TGIFImage>& gif, LoadedPicture& picture, std::unique_ptr<Mask>& mask,
                        int& transparency) {
    if (gif->IsAnimated) {
        picture.gif = std::move(gif);
        return;
    }
    picture.bitmap = std::make_unique<Bitmap>(std::move(gif->Frame(1).Picture));
    if (gif->IsTransparent && gif->Frame(1).Mask) {
        mask = std::make_unique<Mask>(*gif->Frame(1).Mask);
        transparency = TGif;
    } else if (transparency == LLCorner) {
        mask = std::make_unique<Mask>(makeMask(*picture.bitmap));
    } else {
        transparency = NotTransp;
    }
    gif.reset();
}

} // namespace

const Bitmap& placeholderPicture() {
    static const Bitmap b = fromArt(kPlaceholderArt);
    return b;
}

const Bitmap& errorPicture() {
    static const Bitmap b = fromArt(kErrorArt);
    return b;
}

const Mask& errorPictureMask() {
    static const Mask m = maskFromArt(kErrorArt);
    return m;
}

Bitmap convertForDisplay(Bitmap picture) {
    if (screenColorClass() > 8 || picture.isEmpty()) {
        return picture;
    }
    std::optional<Bitmap> reduced = DitherToDisplay(picture);
    return reduced ? std::move(*reduced) : std::move(picture);
}

std::unique_ptr<TGIFImage> loadGif(std::string_view bytes, std::string* error) {
    auto gif = std::make_unique<TGIFImage>();
    gif->SetAnimate(false);
    gif->SetVisible(false);
    if (!gif->LoadFromStream(bytes, true)) {
        if (error) {
            *error = gif->ErrorText;
        }
        return nullptr;
    }
    if (screenColorClass() == 8 && gif->ColourBits > 1) {
        gif->Dither = !gif->IsAnimated;
    }
    if (!gif->LoadFromStream(bytes, false)) {
        if (error) {
            *error = gif->ErrorText;
        }
        return nullptr;
    }
    gif->SetVisible(true);
    return gif;
}

Bitmap decodePicture(std::string_view bytes) {
    switch (sniffImageType(bytes.substr(0, 11))) {
    case ImageType::BMP:
        return readBmp(bytes);
    case ImageType::JPEG:
        return readJpeg(bytes);
    case ImageType::GIF87a:
    case ImageType::GIF89a: {
        std::string error;
        std::unique_ptr<TGIFImage> gif = loadGif(bytes, &error);
        if (!gif) {
            throw EImageError(error);
        }
        Bitmap first = std::move(gif->Frame(1).Picture);
        if (gif->Frame(1).Mask) {
            first.mask = std::move(gif->Frame(1).Mask);
        }
        return first;
    }
    case ImageType::PNG: {
        ImageDecoder* decoder = imageDecoder();
        std::string error = "PNG images are not supported";
        std::optional<Bitmap> png;
        if (decoder) {
            png = decoder->decode(bytes, pictureBudget(bytes.size(), kPngPixelsPerByte), error);
        }
        if (!png || png->isEmpty()) {
            throw EImageError(error);
        }
        return std::move(*png);
    }
    case ImageType::Unknown:
        break;
    }
    throw EImageError("Unknown picture type");
}

std::optional<LoadedBitmap> loadPictureFile(const std::string& name, int& transparency) {
    const std::optional<std::string> bytes = readPictureFile(name);
    if (!bytes) {
        return std::nullopt;
    }
    const std::optional<Color> colour = transparentColorOfFile(fileExtension(name), *bytes, transparency);
    try {
        Bitmap picture = decodePicture(*bytes);
        picture.mask.reset(); // the mask comes from the transparency kind
        return finishLoad(std::move(picture), transparency, colour);
    } catch (const EImageError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<LoadedBitmap> loadPictureStream(std::string_view bytes, int& transparency) {
    if (bytes.size() < 20) {
        return std::nullopt;
    }
    const ImageType type = sniffImageType(bytes.substr(0, 11));
    if (type != ImageType::BMP && type != ImageType::JPEG && type != ImageType::PNG) {
        return std::nullopt;
    }
    if (type == ImageType::JPEG) {
        transparency = NotTransp;
    }
    std::optional<Color> colour;
    if (type == ImageType::PNG) {
        colour = transparentColorOfFile(".png", bytes, transparency);
    }
    try {
        return finishLoad(decodePicture(bytes), transparency, colour);
    } catch (const EImageError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

ImageFetch GetImage(TStringBitmapList& cache, const std::string& name, int& transparency,
                    const ImageRequestHandlers& handlers) {
    ImageFetch result;
    if (name.empty()) {
        return result;
    }
    if (TBitmapItem* item = cache.Fetch(name)) {
        result.item = item;
        result.fromCache = true;
        if (item->Picture.bitmap) {
            if (item->Transp == TGif || item->Transp == TPng) {
                transparency = item->Transp;
            } else if (transparency == LLCorner && !item->Mask) {
                item->Mask = std::make_unique<Mask>(makeMask(*item->Picture.bitmap));
                item->Transp = LLCorner;
            }
        }
        return result;
    }

    LoadedPicture picture;
    std::unique_ptr<Mask> mask;
    std::unique_ptr<TGIFImage> gif;
    std::optional<LoadedBitmap> loaded;
    if (handlers.OnBitmapRequest) {
        Color colour = clNone;
        if (std::optional<Bitmap> b = handlers.OnBitmapRequest(name, colour); b && !b->isEmpty()) {
            if (colour != clNone) {
                mask = std::make_unique<Mask>(makeMask(*b, colour));
                transparency = TGif;
            } else if (transparency == LLCorner) {
                mask = std::make_unique<Mask>(makeMask(*b));
            }
            picture.bitmap = std::make_unique<Bitmap>(std::move(*b));
        }
    } else if (handlers.OnImageRequest) {
        ImageRequestHandlers::Stream stream = handlers.OnImageRequest(name);
        if (stream.wait) {
            result.pending = true;
            return result;
        }
        if (!stream.bytes.empty()) {
            if (isGif(sniffImageType(std::string_view(stream.bytes).substr(0, 11)))) {
                gif = loadGif(stream.bytes);
            }
            if (!gif) {
                loaded = loadPictureStream(stream.bytes, transparency);
            }
        }
    } else {
        if (sameTextCi(fileExtension(name), ".gif")) {
            if (std::optional<std::string> bytes = readPictureFile(name)) {
                gif = loadGif(*bytes);
            }
        }
        if (!gif) {
            loaded = loadPictureFile(name, transparency);
        }
    }
    if (gif) {
        flattenSingleFrame(gif, picture, mask, transparency);
    } else if (loaded) {
        picture.bitmap = std::make_unique<Bitmap>(std::move(loaded->picture));
        mask = std::move(loaded->mask);
    }
    if (picture.isEmpty()) {
        return result;
    }
    const int kind = mask ? transparency : NotTransp;
    result.item = &cache.Add(name, std::move(picture), std::move(mask), kind);
    return result;
}

} // namespace tavlin
