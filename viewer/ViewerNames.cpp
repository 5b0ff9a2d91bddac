#include "viewer/ViewerNames.h"

#include "reader/StyleSheet.h"
#include "reader/TextUtil.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tavlin {

namespace {

bool isAbsolute(std::string_view path) {
    return !path.empty() && path[0] == '/';
}

// True when `converted` lost a "file://" prefix that `original` had.
bool cameFromFileAddress(std::string_view original) {
    return containsNoCase(original, "file://");
}

std::string workingDirectory() {
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    return error ? std::string("/") : cwd.string();
}

// The base's folder: a base ending in '/' is a folder itself; otherwise its last part names a
// document, as a base address does.
std::string baseFolder(std::string_view base) {
    const std::string converted = HTMLToDos(trimView(base));
    if (!converted.empty() && converted.back() == '/') {
        return converted.substr(0, converted.size() - 1);
    }
    return FolderOf(converted);
}

} // namespace

std::string FullPath(std::string_view path) {
    std::string joined = isAbsolute(path) ? std::string(path) : workingDirectory() + "/" + std::string(path);
    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? std::string("/") : out;
}

std::string FolderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string ExpandName(std::string_view name, const TNameContext& context) {
    const std::string_view trimmedName = trimView(name);
    std::string s = HTMLToDos(trimmedName);
    if (s.empty()) {
        return s;
    }
    // A name from a "file://" address is an absolute local path; any other name that begins at
    // the root ("/images/a.gif") is rooted in the server root when one is set.
    if (isAbsolute(s) && !(s.size() > 1 && s[1] == '/') && !context.ServerRoot.empty() &&
        !cameFromFileAddress(trimmedName)) {
        s = context.ServerRoot + s;
    }
    if (isAbsolute(s)) {
        return FullPath(s);
    }
    if (equalsNoCase(context.Base, "DosPath")) {
        return s;
    }
    std::string folder;
    if (!context.Base.empty()) {
        folder = baseFolder(context.Base);
    } else if (!context.CurrentFileName.empty()) {
        folder = FolderOf(context.CurrentFileName);
    }
    return FullPath(folder.empty() ? s : folder + "/" + s);
}

bool IsWebAddress(std::string_view address) {
    const std::string_view s = trimView(address);
    size_t i = 0;
    while (i < s.size() && (isAsciiLetter(s[i]) ||
                            (i > 0 && (isAsciiDigit(s[i]) || s[i] == '+' || s[i] == '-' || s[i] == '.')))) {
        ++i;
    }
    // One letter before ':' is a drive, not a scheme.
    return i >= 2 && i < s.size() && s[i] == ':' && !equalsNoCase(s.substr(0, i), "file");
}

std::string LinkExtension(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = last.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    return toUpperAscii(last.substr(dot, 5));
}

TLinkKind LinkKindOf(std::string_view path) {
    const std::string ext = LinkExtension(path);
    if (ext == ".HTM" || ext == ".HTML") {
        return TLinkKind::Html;
    }
    if (ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".JPEG" || ext == ".PNG") {
        return TLinkKind::Image;
    }
    return TLinkKind::Other;
}

bool ParseMetaRefresh(std::string_view httpEquiv, std::string_view content, int& delay,
                      std::string& address) {
    if (!equalsNoCase(trimView(httpEquiv), "refresh")) {
        return false;
    }
    const size_t semicolon = content.find(';');
    const std::string number(trimView(content.substr(0, semicolon)));
    char* end = nullptr;
    const long value = number.empty() ? -1 : std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || value < 0 || value > 1000000000L) {
        delay = -1;
        return false;
    }
    delay = value == 0 ? 1 : int(value);
    const std::string lower = toLowerAscii(content);
    const size_t url = lower.find("url=");
    address = url == std::string::npos ? std::string() : trimmed(content.substr(url + 4));
    return true;
}

} // namespace tavlin
