#include "images/ImageTypes.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace tavlin {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

uint32_t be32(std::string_view d, size_t at) {
    return uint32_t(uint8_t(d[at])) << 24 | uint32_t(uint8_t(d[at + 1])) << 16 |
           uint32_t(uint8_t(d[at + 2])) << 8 | uint8_t(d[at + 3]);
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::optional<Color> gifTransparentColor(std::string_view bytes, int& transparency) {
    bytes = bytes.substr(0, 790);
    if (!startsWith(bytes, "GIF89a") || bytes.size() < 13) {
        return std::nullopt;
    }
    const uint8_t packed = uint8_t(bytes[10]);
    size_t at = 13;
    const size_t tableAt = at;
    if (packed & 0x80) {
        at += size_t(3) << ((packed & 7) + 1);
    }
    if (at + 8 > bytes.size() || uint8_t(bytes[at]) != 0x21 || uint8_t(bytes[at + 1]) != 0xF9 ||
        !(uint8_t(bytes[at + 3]) & 1)) {
        return std::nullopt;
    }
    const size_t entry = tableAt + size_t(uint8_t(bytes[at + 6])) * 3;
    if (!(packed & 0x80) || entry + 3 > at) {
        return std::nullopt; // the index lies outside the global table
    }
    transparency = TGif;
    return rgb(uint8_t(bytes[entry]), uint8_t(bytes[entry + 1]), uint8_t(bytes[entry + 2]));
}

std::optional<Color> pngTransparentColor(std::string_view bytes, int& transparency) {
    int colourType = -1;
    std::string_view palette;
    size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const uint32_t length = be32(bytes, at);
        const std::string_view type = bytes.substr(at + 4, 4);
        const size_t dataAt = at + 8;
        if (type == "IDAT") {
            break;
        }
        if (type == "IHDR") {
            if (dataAt + 10 > bytes.size()) {
                break;
            }
            colourType = uint8_t(bytes[dataAt + 9]);
            if (colourType != 2 && colourType != 3) {
                break; // only truecolour and palette pictures name a transparent colour
            }
        } else if (type == "PLTE") {
            palette = bytes.substr(std::min(dataAt, bytes.size()), length);
        } else if (type == "tRNS") {
            transparency = TPng;
            if (colourType == 3 && length >= 1 && (length - 1) * 3 + 3 <= palette.size()) {
                const size_t e = (length - 1) * 3;
                return rgb(uint8_t(palette[e]), uint8_t(palette[e + 1]), uint8_t(palette[e + 2]));
            }
            return clNone;
        }
        if (length > bytes.size() - dataAt) {
            break;
        }
        at = dataAt + length + 4; // data and CRC
    }
    return std::nullopt;
}

} // namespace

ImageType sniffImageType(std::string_view b) {
    if (startsWith(b, "GIF8")) {
        return b.size() > 4 && b[4] == '9' ? ImageType::GIF89a : ImageType::GIF87a;
    }
    if (startsWith(b, "BM")) {
        return ImageType::BMP;
    }
    if (startsWith(b, "\x89PNG")) {
        return ImageType::PNG;
    }
    if (startsWith(b, "\xFF\xD8")) {
        return ImageType::JPEG;
    }
    return ImageType::Unknown;
}

const char* imageTypeName(ImageType type) {
    switch (type) {
    case ImageType::GIF87a:
        return "GIF87a";
    case ImageType::GIF89a:
        return "GIF89a";
    case ImageType::BMP:
        return "BMP";
    case ImageType::PNG:
        return "PNG";
    case ImageType::JPEG:
        return "JPEG";
    case ImageType::Unknown:
        break;
    }
    return "";
}

std::optional<Color> transparentColorOfFile(std::string_view extension, std::string_view bytes,
                                            int& transparency) {
    if (sameText(extension, ".gif")) {
        return gifTransparentColor(bytes, transparency);
    }
    if (sameText(extension, ".png")) {
        return pngTransparentColor(bytes, transparency);
    }
    return std::nullopt;
}

Mask makeMask(const Bitmap& picture, std::optional<Color> colour) {
    Mask mask(picture.width(), picture.height());
    if (picture.isEmpty()) {
        return mask;
    }
    const uint32_t key =
        (colour ? Bitmap::fromColor(*colour) : picture.pixel(0, picture.height() - 1)) & 0xFFFFFFu;
    for (int y = 0; y < picture.height(); ++y) {
        const uint32_t* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            if ((row[x] & 0xFFFFFFu) == key) {
                mask.setTransparent(x, y, true);
            }
        }
    }
    return mask;
}

std::string fileExtension(std::string_view name) {
    const size_t dot = name.find_last_of('.');
    const size_t slash = name.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) {
        return {};
    }
    return std::string(name.substr(dot));
}

} // namespace tavlin
