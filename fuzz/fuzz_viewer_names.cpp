// Link names and refresh tags come from documents: the viewer's name handling must take any bytes.
// The input is split at NUL bytes into a name, a server root, a base and a shown file.
#include "viewer/ViewerNames.cpp" // Qt-free; the fuzz build has no viewer library

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool isCleanAbsolute(std::string_view path) {
    return !path.empty() && path[0] == '/' && path.find("/./") == std::string_view::npos &&
           path.find("/../") == std::string_view::npos && path.find("//") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string parts[4];
    size_t start = 0;
    for (int i = 0; i < 4 && start <= input.size(); ++i) {
        const size_t end = std::min(input.find('\0', start), input.size());
        parts[i] = std::string(input.substr(start, end - start));
        start = end + 1;
    }
    const tavlin::TNameContext context{parts[1], parts[2], parts[3]};
    const std::string full = tavlin::ExpandName(parts[0], context);
    if (!full.empty() && !tavlin::equalsNoCase(context.Base, "DosPath") && !isCleanAbsolute(full)) {
        std::abort();
    }
    if (!isCleanAbsolute(tavlin::FullPath(parts[0]))) {
        std::abort();
    }
    (void)tavlin::LinkKindOf(full);
    (void)tavlin::IsWebAddress(parts[0]);
    int delay = 0;
    std::string url;
    if (tavlin::ParseMetaRefresh(parts[1], parts[0], delay, url) && delay < 1) {
        std::abort();
    }
    return 0;
}
