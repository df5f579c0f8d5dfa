#pragma once

// Bézier paths: move, line, cubic curve and close elements. Ovals, arcs and rounded rectangles are
// turned into curves when appended, so a path is always a plain list of elements in the coordinates
// of whoever draws it.

#include <memory>
#include <optional>
#include <vector>

#include "platform/appkit/Geometry.h"
#include "platform/runtime/Object.h"

namespace platform {

class BezierPath;
using BezierPathPtr = std::shared_ptr<BezierPath>;

enum class WindingRule { NonZero = 0, EvenOdd = 1 };

class BezierPath : public Object {
public:
    enum class ElementType { MoveTo, LineTo, CurveTo, ClosePath };
    struct Element {
        ElementType type;
        Point points[3];  // MoveTo/LineTo: [0]; CurveTo: control 1, control 2, end
    };

    static BezierPathPtr make() { return std::make_shared<BezierPath>(); }
    static BezierPathPtr rect(const Rect& rect);
    static BezierPathPtr oval(const Rect& rect);
    static BezierPathPtr roundedRect(const Rect& rect, double xRadius, double yRadius);

    void moveTo(Point p);
    void lineTo(Point p);
    void curveTo(Point end, Point control1, Point control2);
    void close();
    void appendRect(const Rect& rect);
    void appendOval(const Rect& rect);
    void appendRoundedRect(const Rect& rect, double xRadius, double yRadius);
    // An arc of a circle from `startDegrees` to `endDegrees`, counter-clockwise in a y-up space
    // unless `clockwise`. A line joins it to the current point, if any.
    void appendArc(Point center, double radius, double startDegrees, double endDegrees, bool clockwise = false);
    void append(const BezierPath& other);

    const std::vector<Element>& elements() const { return elements_; }
    bool isEmpty() const { return elements_.empty(); }
    std::optional<Point> currentPoint() const;
    // The rectangle holding every point, control points included.
    Rect controlPointBounds() const;

    double lineWidth = 1.0;
    WindingRule windingRule = WindingRule::NonZero;

    // Fills or strokes in the current graphics context with the current colour set there.
    void fill() const;
    void stroke() const;

private:
    std::vector<Element> elements_;
    std::optional<Point> start_;
};

}  // namespace platform
