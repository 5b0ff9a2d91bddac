// Style-sheet text of any bytes into a sheet with the defaults, then the cascade over it.
#include "reader/StyleSheet.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t mode = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    tavlin::TStyleList styles;
    styles.LoadDefaults(tavlin::TStyleDefaults{});
    const char* bases[] = {"", "http://host/a/b/", "/home/user/css/", "file:///x"};
    tavlin::ParseStyleSheetText(styles, text, bases[mode & 3]);
    tavlin::TPropStack stack;
    stack.SetStyleList(&styles);
    stack.PushRoot();
    const char* tags[] = {"div", "ul", "li", "a", "p", "span", "td", "pre", "b"};
    for (const char* tag : tags) {
        tavlin::TProperties& p = stack.PushElement(tag, (mode & 4) ? "c" : "", (mode & 8) ? "i" : "", nullptr,
                                                   tag[0] == 'a' ? "link" : "");
        (void)p.GetFont();
        (void)p.GetBoxMetrics(400, 300);
        (void)p.GetBackgroundPosition();
        (void)p.GetLineHeight(16);
    }
    stack.PopElement("ul");
    stack.PopElement("a");
    return 0;
}
