#include "platform/appkit/GraphicsContext.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>

#include "platform/appkit/Image.h"

namespace platform {

void configureLayout(PangoLayout* layout, const std::string& text, const FontPtr& font,
                     const TextLayoutOptions& options);

namespace {
thread_local GraphicsContext* currentContext = nullptr;
}

GraphicsContext::GraphicsContext(cairo_t* cr, double height, bool flipped, AppearancePtr appearance)
    : cr_(cr), height_(height), flipped_(flipped), appearance_(std::move(appearance)), previous_(currentContext) {
    currentContext = this;
}

GraphicsContext::~GraphicsContext() { currentContext = previous_; }

GraphicsContext* GraphicsContext::current() { return currentContext; }

Rect GraphicsContext::toDevice(const Rect& r) const {
    if (flipped_) return {r.minX(), r.minY(), r.width(), r.height()};
    return {r.minX(), height_ - r.maxY(), r.width(), r.height()};
}

void GraphicsContext::setColor(const ColorPtr& color) {
    RGBA c = color ? color->components(appearance_) : RGBA{0, 0, 0, 0};
    cairo_set_source_rgba(cr_, c.red, c.green, c.blue, c.alpha);
}

void GraphicsContext::fillRect(const Rect& rect, const ColorPtr& color) {
    if (!color) return;
    Rect d = toDevice(rect);
    setColor(color);
    cairo_rectangle(cr_, d.origin.x, d.origin.y, d.size.width, d.size.height);
    cairo_fill(cr_);
}

void GraphicsContext::addPath(const BezierPath& path) {
    for (const auto& e : path.elements()) {
        switch (e.type) {
            case BezierPath::ElementType::MoveTo: {
                Point p = toDevice(e.points[0]);
                cairo_move_to(cr_, p.x, p.y);
                break;
            }
            case BezierPath::ElementType::LineTo: {
                Point p = toDevice(e.points[0]);
                cairo_line_to(cr_, p.x, p.y);
                break;
            }
            case BezierPath::ElementType::CurveTo: {
                Point a = toDevice(e.points[0]), b = toDevice(e.points[1]), c = toDevice(e.points[2]);
                cairo_curve_to(cr_, a.x, a.y, b.x, b.y, c.x, c.y);
                break;
            }
            case BezierPath::ElementType::ClosePath: cairo_close_path(cr_); break;
        }
    }
}

void GraphicsContext::fillPath(const BezierPath& path) {
    cairo_new_path(cr_);
    addPath(path);
    cairo_set_fill_rule(cr_, path.windingRule == WindingRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                      : CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr_);
}

void GraphicsContext::strokePath(const BezierPath& path) {
    cairo_new_path(cr_);
    addPath(path);
    cairo_set_line_width(cr_, path.lineWidth > 0 ? path.lineWidth : 1.0);
    cairo_stroke(cr_);
}

void GraphicsContext::drawText(const std::string& text, const Rect& rect, const FontPtr& font,
                               const ColorPtr& color, const TextLayoutOptions& options) {
    if (text.empty()) return;
    Rect d = toDevice(rect);
    cairo_save(cr_);
    cairo_rectangle(cr_, d.origin.x, d.origin.y, d.size.width, d.size.height);
    cairo_clip(cr_);
    PangoLayout* layout = pango_cairo_create_layout(cr_);
    PangoContext* context = pango_layout_get_context(layout);
    pango_cairo_context_set_resolution(context, 72.0);
    // The same metrics as measuring, so a text drawn in its measured size never wraps.
    cairo_font_options_t* fontOptions = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fontOptions, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fontOptions, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context, fontOptions);
    cairo_font_options_destroy(fontOptions);
    pango_cairo_update_layout(cr_, layout);
    TextLayoutOptions o = options;
    if (o.maxWidth <= 0) o.maxWidth = d.size.width;
    configureLayout(layout, text, font, o);
    setColor(color ? color : Color::label());
    cairo_move_to(cr_, d.origin.x, d.origin.y);
    pango_cairo_show_layout(cr_, layout);
    g_object_unref(layout);
    cairo_restore(cr_);
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect, double opacity, const ColorPtr& tint) {
    if (image.isEmpty() || rect.isEmpty()) return;
    Rect d = toDevice(rect);
    double sx = d.size.width / image.pixelsWide(), sy = d.size.height / image.pixelsHigh();
    cairo_save(cr_);
    cairo_translate(cr_, d.origin.x, d.origin.y);
    cairo_scale(cr_, sx, sy);
    if (image.isTemplate && tint) {
        setColor(tint);
        cairo_mask_surface(cr_, image.surface(), 0, 0);
    } else {
        cairo_set_source_surface(cr_, image.surface(), 0, 0);
        cairo_paint_with_alpha(cr_, opacity);
    }
    cairo_restore(cr_);
}

}  // namespace platform
