#pragma once
#include "platform/Geometry.h"
#include "reader/Attributes.h"

#include <string>
#include <vector>

namespace tavlin {

// The hit region of one image-map area, in image coordinates.
class TAreaRegion {
public:
    enum Kind { Rectangle, Circle, Polygon };

    // A rectangle covering right and bottom; a circle of radius r about (x, y); a polygon filled
    // by the winding rule.
    static TAreaRegion MakeRectangle(int left, int top, int right, int bottom);
    static TAreaRegion MakeCircle(int x, int y, int r);
    static TAreaRegion MakePolygon(std::vector<Point> points);

    bool Contains(int x, int y) const;
    Kind Shape() const { return kind_; }

private:
    Kind kind_ = Rectangle;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0; // rectangle and circle bounds (inclusive)
    std::vector<Point> points_;
};

// One client-side image map (MAP): its areas in order, each a link (empty for NOHREF) with its
// target and region.
class TMapItem {
public:
    // The most numbers a COORDS list is read for; the rest is ignored unread.
    static constexpr int kMaxCoords = 301;
    // Characters of one COORDS number that are looked at.
    static constexpr int kMaxTokenLength = 20;

    std::string MapName; // upper-cased NAME

    struct Area {
        std::string Link; // empty for NOHREF
        std::string Target;
        TAreaRegion Region;
    };
    std::vector<Area> Areas;

    // Adds the area an AREA tag describes; an area with too few coordinates is dropped.
    void AddArea(const TAttributeList& attributes);
    // The link of the first area holding the point (image-relative); false when no area holds
    // it or the first that does has no link.
    bool LinkAt(int x, int y, TUrlTarget& link) const;

    // The numbers of a COORDS value, at most kMaxCoords of them.
    static std::vector<int> ParseCoords(std::string_view coords);
};

} // namespace tavlin
