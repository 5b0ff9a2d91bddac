#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tavlin {

// What a link name is made full against: the server root for names that begin at the root, the
// document's base address and the file shown.
struct TNameContext {
    std::string ServerRoot;
    std::string Base;
    std::string CurrentFileName;
};

// A link or file name made into a full local path. Paths use '/'; "file://" addresses become
// local paths; other names are taken relative to the document's base or the shown file's folder.
std::string ExpandName(std::string_view name, const TNameContext& context);

// An absolute path with "." and ".." resolved, without touching the file system beyond asking
// for the working directory of a relative name.
std::string FullPath(std::string_view path);
// The folder part of a path, without its trailing '/' ("" when there is none).
std::string FolderOf(std::string_view path);

// A web address: a scheme of two or more letters before ':' ("http:", "mailto:"), other than
// "file:". Such an address names no local file.
bool IsWebAddress(std::string_view address);

// The extension of the last part of a path, upper-cased and cut to 5 characters (".HTML").
std::string LinkExtension(std::string_view path);

enum class TLinkKind { Html, Image, Other };
TLinkKind LinkKindOf(std::string_view path);

// The refresh meta tag: false when the tag is not one or its delay is not a number. A delay of 0
// counts as 1; the address is what follows "url=" (any case), or empty.
bool ParseMetaRefresh(std::string_view httpEquiv, std::string_view content, int& delay, std::string& address);

// A vertical position that survives a re-layout: (mark index + 1) * 65536 + offset from the
// mark (mod 65536), or a plain pixel offset when no mark lies at or above the position. Kept in
// 64 bits: a listing of 100,000 entries has more marks than a 32-bit value can number.
using TPackedPosition = int64_t;
inline TPackedPosition PackPosition(int markIndex, int offset) {
    return (TPackedPosition(markIndex) + 1) * 65536 + (offset & 0xFFFF);
}
inline int PackedMarkIndex(TPackedPosition p) {
    return int(p / 65536) - 1;
} // -1: a plain offset
inline int PackedOffset(TPackedPosition p) {
    return int(p % 65536);
}

} // namespace tavlin
