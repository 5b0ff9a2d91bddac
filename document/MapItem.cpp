#include "document/MapItem.h"

#include "reader/TextUtil.h"

#include <charconv>

namespace tavlin {

TAreaRegion TAreaRegion::MakeRectangle(int left, int top, int right, int bottom) {
    TAreaRegion r;
    r.kind_ = Rectangle;
    r.left_ = left;
    r.top_ = top;
    r.right_ = right;
    r.bottom_ = bottom;
    return r;
}

TAreaRegion TAreaRegion::MakeCircle(int x, int y, int radius) {
    TAreaRegion r;
    r.kind_ = Circle;
    r.left_ = x - radius;
    r.top_ = y - radius;
    r.right_ = x + radius;
    r.bottom_ = y + radius;
    return r;
}

TAreaRegion TAreaRegion::MakePolygon(std::vector<Point> points) {
    TAreaRegion r;
    r.kind_ = Polygon;
    r.points_ = std::move(points);
    return r;
}

namespace {

// Twice the signed area of the triangle (a, b, p): positive when p lies left of a->b. Pixel
// centres are tested, so coordinates are doubled and the point is offset by half a pixel.
long long Side(const Point& a, const Point& b, long long px2, long long py2) {
    return (2LL * b.x - 2LL * a.x) * (py2 - 2LL * a.y) - (px2 - 2LL * a.x) * (2LL * b.y - 2LL * a.y);
}

bool InsideByWinding(const std::vector<Point>& points, int x, int y) {
    const long long px2 = 2LL * x + 1;
    const long long py2 = 2LL * y + 1;
    int winding = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % points.size()];
        if (2LL * a.y <= py2) {
            if (2LL * b.y > py2 && Side(a, b, px2, py2) > 0) {
                ++winding;
            }
        } else if (2LL * b.y <= py2 && Side(a, b, px2, py2) < 0) {
            --winding;
        }
    }
    return winding != 0;
}

} // namespace

bool TAreaRegion::Contains(int x, int y) const {
    switch (kind_) {
    case Rectangle:
        return x >= left_ && x <= right_ && y >= top_ && y <= bottom_;
    case Circle: {
        // The ellipse of the box (x - r, y - r) .. (x + r + 1, y + r + 1), tested at pixel centres.
        const double rx = (right_ - left_ + 1) / 2.0;
        const double ry = (bottom_ - top_ + 1) / 2.0;
        if (rx <= 0 || ry <= 0) {
            return false;
        }
        const double dx = (x + 0.5 - (left_ + rx)) / rx;
        const double dy = (y + 0.5 - (top_ + ry)) / ry;
        return dx * dx + dy * dy <= 1.0;
    }
    case Polygon:
        return InsideByWinding(points_, x, y);
    }
    return false;
}

std::vector<int> TMapItem::ParseCoords(std::string_view coords) {
    coords = trimView(coords);
    std::vector<int> numbers;
    size_t i = 0;
    while (i < coords.size() && int(numbers.size()) < kMaxCoords) {
        while (i < coords.size() && (coords[i] == ',' || coords[i] == ' ')) {
            ++i;
        }
        if (i >= coords.size()) {
            break;
        }
        size_t end = i;
        while (end < coords.size() && coords[end] != ',' && coords[end] != ' ') {
            ++end;
        }
        std::string_view token = coords.substr(i, std::min<size_t>(end - i, kMaxTokenLength));
        if (!token.empty() && token[0] == '+') {
            token.remove_prefix(1);
        }
        int value = 0;
        const auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
        if (ec != std::errc() || ptr != token.data() + token.size()) {
            value = 0;
        }
        numbers.push_back(value);
        i = end;
    }
    return numbers;
}

void TMapItem::AddArea(const TAttributeList& attributes) {
    Area area;
    std::string shape;
    std::string coords;
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrHREF:
            area.Link = a.Text;
            break;
        case attrNOHREF:
            area.Link.clear();
            break;
        case attrTARGET:
            area.Target = a.Text;
            break;
        case attrSHAPE:
            shape = toLowerAscii(std::string_view(a.Text).substr(0, 4));
            break;
        case attrCOORDS:
            coords = a.Text;
            break;
        default:
            break;
        }
    }
    const std::vector<int> n = ParseCoords(coords);
    if (shape == "circ") {
        if (n.size() < 3) {
            return;
        }
        area.Region = TAreaRegion::MakeCircle(n[0], n[1], n[2]);
    } else if (shape == "poly") {
        if (n.size() < 6) {
            return;
        }
        std::vector<Point> points;
        for (size_t i = 0; i + 1 < n.size(); i += 2) {
            points.push_back({n[i], n[i + 1]});
        }
        area.Region = TAreaRegion::MakePolygon(std::move(points));
    } else {
        if (n.size() < 4) {
            return;
        }
        area.Region = TAreaRegion::MakeRectangle(n[0], n[1], n[2], n[3]);
    }
    Areas.push_back(std::move(area));
}

bool TMapItem::LinkAt(int x, int y, TUrlTarget& link) const {
    for (const Area& area : Areas) {
        if (!area.Region.Contains(x, y)) {
            continue;
        }
        if (area.Link.empty()) {
            return false; // NOHREF shadows every later area
        }
        link.Url = area.Link;
        link.Target = area.Target;
        return true;
    }
    return false;
}

} // namespace tavlin
