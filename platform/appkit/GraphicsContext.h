#pragma once

// The drawing context of a render pass: a Cairo context whose device space is y-down, plus the
// flippedness of the view being drawn, so that geometry given in the view's own coordinates (y-up
// unless flipped) lands at the right place and text and images stay upright either way.

#include <memory>
#include <string>

#include "platform/appkit/Appearance.h"
#include "platform/appkit/BezierPath.h"
#include "platform/appkit/Color.h"
#include "platform/appkit/Font.h"
#include "platform/appkit/Geometry.h"
#include "platform/appkit/Text.h"

typedef struct _cairo cairo_t;

namespace platform {

class Image;

class GraphicsContext {
public:
    // `cr` has its origin at the top-left of the drawn area, y-down. `height` is the drawn view's
    // height, used to turn y-up coordinates into device ones.
    GraphicsContext(cairo_t* cr, double height, bool flipped, AppearancePtr appearance);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    // The innermost context of the current thread, or null outside drawing.
    static GraphicsContext* current();

    cairo_t* cairo() const { return cr_; }
    bool isFlipped() const { return flipped_; }
    const AppearancePtr& appearance() const { return appearance_; }

    // Maps a point or rectangle of the view's coordinates to device coordinates (y-down).
    Point toDevice(Point p) const { return flipped_ ? p : Point{p.x, height_ - p.y}; }
    Rect toDevice(const Rect& r) const;

    // The colour used by fill and stroke.
    void setColor(const ColorPtr& color);
    void fillRect(const Rect& rect, const ColorPtr& color);
    void fillPath(const BezierPath& path);
    void strokePath(const BezierPath& path);
    // Adds the path to Cairo's current path (for clipping or masking).
    void addPath(const BezierPath& path);
    // Draws text in `rect` (top-left aligned on the first line, wrapped to the rectangle's width).
    void drawText(const std::string& text, const Rect& rect, const FontPtr& font, const ColorPtr& color,
                  const TextLayoutOptions& options);
    // Draws `image` scaled into `rect`; a template image is drawn in `tint` keeping its opacity.
    void drawImage(const Image& image, const Rect& rect, double opacity = 1.0, const ColorPtr& tint = nullptr);

private:
    cairo_t* cr_;
    double height_;
    bool flipped_;
    AppearancePtr appearance_;
    GraphicsContext* previous_;
};

}  // namespace platform
