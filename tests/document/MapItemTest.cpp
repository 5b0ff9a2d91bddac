// Client-side image maps: the shapes, the order of areas, NOHREF and the COORDS list.
#include "document/MapItem.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

TAttributeList Area(const std::string& shape, const std::string& coords, const std::string& href) {
    TAttributeList a;
    a.Add(TAttribute{attrSHAPE, shape, 0});
    a.Add(TAttribute{attrCOORDS, coords, 0});
    a.Add(href.empty() ? TAttribute{attrNOHREF, "", 0} : TAttribute{attrHREF, href, 0});
    return a;
}

std::string LinkAt(const TMapItem& map, int x, int y) {
    TUrlTarget link;
    return map.LinkAt(x, y, link) ? link.Url.str() : "-";
}

TEST(MapItem, EachShapeHoldsItsPoints) {
    TMapItem map;
    map.AddArea(Area("rect", "0,0,9,9", "rect.htm"));
    map.AddArea(Area("CIRCLE", "50,50,10", "circle.htm"));
    // A five-pointed star drawn in one stroke: its centre is inside by the winding rule.
    map.AddArea(Area("polygon", "100,0 130,90 50,35 150,35 70,90", "star.htm"));
    EXPECT_EQ(LinkAt(map, 9, 9), "rect.htm") << "right and bottom are inside";
    EXPECT_EQ(LinkAt(map, 10, 5), "-");
    EXPECT_EQ(LinkAt(map, 50, 60), "circle.htm");
    EXPECT_EQ(LinkAt(map, 58, 58), "-") << "the corner of the circle's box";
    EXPECT_EQ(LinkAt(map, 100, 50), "star.htm");
    EXPECT_EQ(LinkAt(map, 100, 95), "-");
}

TEST(MapItem, TheFirstAreaDecidesAndNohrefShadows) {
    TMapItem map;
    map.AddArea(Area("rect", "0,0,19,19", "first.htm"));
    map.AddArea(Area("rect", "10,10,29,29", ""));
    map.AddArea(Area("rect", "0,0,39,39", "last.htm"));
    EXPECT_EQ(LinkAt(map, 15, 15), "first.htm");
    EXPECT_EQ(LinkAt(map, 25, 25), "-") << "NOHREF blocks the later area";
    EXPECT_EQ(LinkAt(map, 35, 35), "last.htm");
}

TEST(MapItem, CoordsAreReadBoundedAndShortAreasDropped) {
    EXPECT_EQ(TMapItem::ParseCoords(" 1, 2,,3  x4 -5 123456789012345678901234"),
              (std::vector<int>{1, 2, 3, 0, -5, 0}));
    std::string million;
    for (int i = 0; i < 1000000; ++i) {
        million += "7,";
    }
    EXPECT_EQ(TMapItem::ParseCoords(million).size(), size_t(TMapItem::kMaxCoords));

    TMapItem map;
    map.AddArea(Area("rect", "1,2,3", "short.htm"));
    map.AddArea(Area("circ", "1,2", "short.htm"));
    map.AddArea(Area("poly", "1,2,3,4,5", "short.htm"));
    EXPECT_TRUE(map.Areas.empty());
    // Seven numbers make a triangle: the odd last number is left out.
    map.AddArea(Area("poly", "0,0 20,0 20,20 0", "tri.htm"));
    EXPECT_EQ(LinkAt(map, 15, 5), "tri.htm");
    EXPECT_EQ(LinkAt(map, 3, 15), "-");
}

} // namespace
} // namespace tavlin::test
