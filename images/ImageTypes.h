#pragma once
#include "platform/Bitmap.h"
#include "platform/Geometry.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavlin {

enum class ImageType { Unknown, GIF87a, GIF89a, BMP, PNG, JPEG };

// The type of a picture from its first bytes.
ImageType sniffImageType(std::string_view firstBytes);
// "GIF87a", "GIF89a", "BMP", "PNG", "JPEG", or "" for an unknown type.
const char* imageTypeName(ImageType type);

// Transparency kinds of a picture.
enum Transparency : int { NotTransp = 0, LLCorner = 1, TGif = 2, TPng = 3 };

// The transparent colour a file declares before it is loaded: a GIF89a's first graphic-control
// extension (from the first 790 bytes), or a PNG's tRNS chunk. Sets transparency to TGif or TPng
// when found; the colour is clNone when the file gives none (a PNG not of palette type).
// extension is the file name's extension with its dot, any letter case.
std::optional<Color> transparentColorOfFile(std::string_view extension, std::string_view bytes,
                                            int& transparency);

// A mask of the picture's size, transparent where a pixel has the colour: the given one, else
// the colour of the lower-left pixel.
Mask makeMask(const Bitmap& picture, std::optional<Color> colour = std::nullopt);

// The extension of a file name with its dot (".gif"), or "".
std::string fileExtension(std::string_view name);

} // namespace tavlin
