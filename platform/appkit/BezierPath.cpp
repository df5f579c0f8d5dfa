#include "platform/appkit/BezierPath.h"

#include <cmath>
#include <limits>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

BezierPathPtr BezierPath::rect(const Rect& r) {
    auto p = make();
    p->appendRect(r);
    return p;
}

BezierPathPtr BezierPath::oval(const Rect& r) {
    auto p = make();
    p->appendOval(r);
    return p;
}

BezierPathPtr BezierPath::roundedRect(const Rect& r, double xr, double yr) {
    auto p = make();
    p->appendRoundedRect(r, xr, yr);
    return p;
}

void BezierPath::moveTo(Point p) {
    elements_.push_back({ElementType::MoveTo, {p, {}, {}}});
    start_ = p;
}

void BezierPath::lineTo(Point p) {
    if (!currentPoint()) return moveTo(p);  // the platform would raise; starting there is harmless
    elements_.push_back({ElementType::LineTo, {p, {}, {}}});
}

void BezierPath::curveTo(Point end, Point c1, Point c2) {
    if (!currentPoint()) moveTo(c1);
    elements_.push_back({ElementType::CurveTo, {c1, c2, end}});
}

void BezierPath::close() {
    if (elements_.empty() || elements_.back().type == ElementType::ClosePath) return;
    elements_.push_back({ElementType::ClosePath, {}});
}

std::optional<Point> BezierPath::currentPoint() const {
    if (elements_.empty()) return std::nullopt;
    const auto& e = elements_.back();
    switch (e.type) {
        case ElementType::MoveTo:
        case ElementType::LineTo: return e.points[0];
        case ElementType::CurveTo: return e.points[2];
        case ElementType::ClosePath: return start_;
    }
    return std::nullopt;
}

void BezierPath::appendRect(const Rect& r) {
    moveTo({r.minX(), r.minY()});
    lineTo({r.maxX(), r.minY()});
    lineTo({r.maxX(), r.maxY()});
    lineTo({r.minX(), r.maxY()});
    close();
}

void BezierPath::appendOval(const Rect& r) {
    // Four quarter curves with the usual 0.5523 handle length.
    const double k = 0.5522847498;
    double cx = r.midX(), cy = r.midY(), rx = r.width() / 2, ry = r.height() / 2;
    moveTo({cx + rx, cy});
    curveTo({cx, cy + ry}, {cx + rx, cy + ry * k}, {cx + rx * k, cy + ry});
    curveTo({cx - rx, cy}, {cx - rx * k, cy + ry}, {cx - rx, cy + ry * k});
    curveTo({cx, cy - ry}, {cx - rx, cy - ry * k}, {cx - rx * k, cy - ry});
    curveTo({cx + rx, cy}, {cx + rx * k, cy - ry}, {cx + rx, cy - ry * k});
    close();
}

void BezierPath::appendRoundedRect(const Rect& r, double xr, double yr) {
    xr = std::clamp(xr, 0.0, r.width() / 2);
    yr = std::clamp(yr, 0.0, r.height() / 2);
    if (xr <= 0 || yr <= 0) return appendRect(r);
    const double k = 0.5522847498;
    double x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
    moveTo({x0 + xr, y0});
    lineTo({x1 - xr, y0});
    curveTo({x1, y0 + yr}, {x1 - xr + xr * k, y0}, {x1, y0 + yr - yr * k});
    lineTo({x1, y1 - yr});
    curveTo({x1 - xr, y1}, {x1, y1 - yr + yr * k}, {x1 - xr + xr * k, y1});
    lineTo({x0 + xr, y1});
    curveTo({x0, y1 - yr}, {x0 + xr - xr * k, y1}, {x0, y1 - yr + yr * k});
    lineTo({x0, y0 + yr});
    curveTo({x0 + xr, y0}, {x0, y0 + yr - yr * k}, {x0 + xr - xr * k, y0});
    close();
}

void BezierPath::appendArc(Point c, double radius, double startDeg, double endDeg, bool clockwise) {
    if (!std::isfinite(radius) || !std::isfinite(startDeg) || !std::isfinite(endDeg)) return;
    double a0 = startDeg * M_PI / 180, a1 = endDeg * M_PI / 180;
    // Normalise the sweep to the requested direction, at most one full turn.
    double sweep = a1 - a0;
    if (!clockwise) {
        while (sweep < 0) sweep += 2 * M_PI;
        if (sweep > 2 * M_PI) sweep = std::fmod(sweep, 2 * M_PI);
    } else {
        while (sweep > 0) sweep -= 2 * M_PI;
        if (sweep < -2 * M_PI) sweep = std::fmod(sweep, 2 * M_PI);
    }
    Point first{c.x + radius * std::cos(a0), c.y + radius * std::sin(a0)};
    if (currentPoint())
        lineTo(first);
    else
        moveTo(first);
    int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (M_PI / 2) - 1e-9)));
    double step = sweep / segments;
    double k = 4.0 / 3.0 * std::tan(step / 4);
    double a = a0;
    for (int i = 0; i < segments; ++i) {
        double b = a + step;
        Point p0{c.x + radius * std::cos(a), c.y + radius * std::sin(a)};
        Point p3{c.x + radius * std::cos(b), c.y + radius * std::sin(b)};
        Point c1{p0.x - k * radius * std::sin(a), p0.y + k * radius * std::cos(a)};
        Point c2{p3.x + k * radius * std::sin(b), p3.y - k * radius * std::cos(b)};
        curveTo(p3, c1, c2);
        a = b;
    }
}

void BezierPath::append(const BezierPath& other) {
    for (const auto& e : other.elements_) {
        elements_.push_back(e);
        if (e.type == ElementType::MoveTo) start_ = e.points[0];
    }
}

Rect BezierPath::controlPointBounds() const {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    bool any = false;
    for (const auto& e : elements_) {
        int n = e.type == ElementType::CurveTo ? 3 : e.type == ElementType::ClosePath ? 0 : 1;
        for (int i = 0; i < n; ++i) {
            any = true;
            x0 = std::min(x0, e.points[i].x), y0 = std::min(y0, e.points[i].y);
            x1 = std::max(x1, e.points[i].x), y1 = std::max(y1, e.points[i].y);
        }
    }
    if (!any) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

void BezierPath::fill() const {
    if (auto* g = GraphicsContext::current()) g->fillPath(*this);
}

void BezierPath::stroke() const {
    if (auto* g = GraphicsContext::current()) g->strokePath(*this);
}

}  // namespace platform
