#pragma once

// Points, sizes and rectangles in points, the way the interface classes use them. A rectangle's
// origin is its minimum corner; whether y grows up or down is the view's business, not the
// rectangle's.

#include <algorithm>
#include <cmath>

namespace platform {

struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0, height = 0;
    bool isEmpty() const { return !(width > 0) || !(height > 0); }
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point o, Size s) : origin(o), size(s) {}
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    double minX() const { return origin.x + std::min(0.0, size.width); }
    double minY() const { return origin.y + std::min(0.0, size.height); }
    double maxX() const { return origin.x + std::max(0.0, size.width); }
    double maxY() const { return origin.y + std::max(0.0, size.height); }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return std::abs(size.width); }
    double height() const { return std::abs(size.height); }
    bool isEmpty() const { return size.isEmpty(); }

    // Half-open, as hit testing wants: the minimum edges are inside, the maximum ones are not.
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    Rect insetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy};
    }
    Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }
    Rect intersection(const Rect& other) const {
        double x0 = std::max(minX(), other.minX()), y0 = std::max(minY(), other.minY());
        double x1 = std::min(maxX(), other.maxX()), y1 = std::min(maxY(), other.maxY());
        if (x1 <= x0 || y1 <= y0) return {};
        return {x0, y0, x1 - x0, y1 - y0};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct EdgeInsets {
    double top = 0, left = 0, bottom = 0, right = 0;
};

}  // namespace platform
