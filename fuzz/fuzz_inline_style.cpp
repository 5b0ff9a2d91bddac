// A STYLE attribute of any bytes, merged into an element and asked every question.
#include "reader/StyleSheet.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tavlin::TProperties style;
    tavlin::ParseInlineStyle(text, style);
    tavlin::TStyleList styles;
    styles.LoadDefaults(tavlin::TStyleDefaults{});
    tavlin::TPropStack stack;
    stack.SetStyleList(&styles);
    stack.PushRoot();
    stack.PushElement("a", {}, {}, nullptr, "link");
    tavlin::TProperties& p = stack.PushElement("span", "c", "i", &style, {});
    (void)p.GetFont();
    (void)p.GetBoxMetrics(400, 300);
    (void)p.GetBackgroundPosition();
    (void)p.GetLineHeight(16);
    std::string name;
    (void)p.GetBackgroundImage(name);
    (void)p.GetListStyleImage(name);
    tavlin::AlignmentType align;
    (void)p.GetVerticalAlign(align);
    (void)p.GetFloat(align);
    (void)p.GetZIndex();
    (void)p.GetListStyleType();
    // The presentational path too: the value as a colour and a length.
    tavlin::Color c = 0;
    (void)tavlin::ColorFromString(text, size & 1, c);
    (void)tavlin::LengthToPixels(text, 100, 16, 8, 0, size & 2);
    (void)tavlin::HTMLToDos(text);
    stack.PopElement("a");
    return 0;
}
