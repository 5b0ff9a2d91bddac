// Panels standing in text: their attributes, the host's window and events, and the picture the
// print copy draws of them.
#include "document/BlockPanel.h"
#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

// The host's window: what the viewer would make of it, recorded.
class RecordedWindow : public TPanelWindow {
public:
    void SetName(const std::string& name) override { this->name = name; }
    void SetBounds(const Rect& r) override { bounds = r; }
    Rect Bounds() const override { return bounds; }
    void SetVisible(bool v) override { visible = v; }
    bool Visible() const override { return visible; }
    void Show(bool s) override { shown = s; }
    Color Colour() const override { return colour; }
    void SetColour(Color c) override { colour = c; }
    std::string name;
    Rect bounds;
    bool visible = false;
    bool shown = false;
    Color colour = 0;
};

TAttributeList Attributes(std::initializer_list<std::pair<HtmlSymbol, std::string>> list) {
    TAttributeList attributes;
    for (const auto& [symbol, text] : list) {
        TAttribute a;
        a.Symbol = symbol;
        a.Text = text;
        a.NumValue = std::atoi(text.c_str());
        attributes.Add(a);
    }
    return attributes;
}

TEST(BlockPanel, AttributesWindowAndEvents) {
    TSectionList doc;
    std::vector<std::string> events;
    RecordedWindow* window = nullptr;
    TPanelHost host;
    host.MakeWindow = [&] {
        auto made = std::make_unique<RecordedWindow>();
        window = made.get();
        return made;
    };
    host.OnPanelCreate = [&](const std::string& name, TPanelWindow& panel, const std::string& src,
                             const std::string& type) {
        events.push_back("create " + name + " " + src + " " + type);
        panel.SetBounds(Rect{0, 0, 120, 40}); // the host sizes the panel
    };
    host.OnPanelDestroy = [&](TPanelWindow&) { events.push_back("destroy"); };
    {
        auto panel = std::make_unique<TPanelObj>(&doc, &host,
                                                 Attributes({{attrNAME, "p1"},
                                                             {attrALIGN, "absmiddle"},
                                                             {attrHSPACE, "-70"},
                                                             {attrVSPACE, "5"},
                                                             {attrSRC, "a.x"},
                                                             {attrTYPE, "t"},
                                                             {attrWIDTH, "50"}}),
                                                 7);
        EXPECT_EQ(panel->ObjAlign, AMiddle);
        EXPECT_EQ(panel->LeftSpace, 40) << "the absolute value, capped at 40";
        EXPECT_EQ(panel->TopSpace, 5);
        EXPECT_EQ(panel->ObjWidth, 120) << "the window's size after the host made it";
        EXPECT_EQ(panel->ObjHeight, 40);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->name, "p1");
        EXPECT_EQ(doc.Panels, (std::vector<TFloatingObj*>{panel.get()}));
        FixedCanvas canvas;
        panel->Draw(canvas, 30, 60);
        EXPECT_EQ(window->bounds, (Rect{30, 60, 150, 100}));
        EXPECT_TRUE(window->shown);
        panel->HideWindow();
        EXPECT_FALSE(window->shown);
        EXPECT_TRUE(window->visible) << "hiding keeps the window's own flag";
    }
    EXPECT_EQ(events, (std::vector<std::string>{"create p1 a.x t", "destroy"}));
    EXPECT_TRUE(doc.Panels.empty());
}

TEST(BlockPanel, PrintCopyDrawsAFramedBoxWithTheAlternativeText) {
    TSectionList doc;
    TPanelObj panel(&doc, nullptr, Attributes({{attrALT, "chart"}, {attrWIDTH, "80"}, {attrHEIGHT, "50"}}),
                    0);
    EXPECT_EQ(panel.ObjAlign, ABottom);
    EXPECT_EQ(panel.LeftSpace, 3);
    TSectionList print;
    print.Printing = true;
    std::unique_ptr<TFloatingObj> copy = panel.CloneFor(print);
    EXPECT_EQ(print.Panels.size(), 1u);
    FixedCanvas canvas;
    copy->Draw(canvas, 10, 20);
    ASSERT_EQ(canvas.rects.size(), 2u);
    EXPECT_EQ(canvas.rects[0].rect, (Rect{10, 20, 90, 70}));
    EXPECT_EQ(canvas.rects[0].color, 0xFFFFFFu);
    EXPECT_EQ(canvas.rects[1].color, 0u) << "a black frame";
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "chart");
    EXPECT_EQ(canvas.texts[0].x, 25);
}

} // namespace
} // namespace tavlin::test
