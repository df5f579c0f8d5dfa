#include "platform/appkit/Renderer.h"

#include <cairo.h>

#include <cmath>

#include "platform/appkit/Button.h"
#include "platform/appkit/GraphicsContext.h"

namespace platform::Renderer {

namespace {

void fillOutline(GraphicsContext& g, const BezierPath& outline, const ColorPtr& color) {
    if (!color) return;
    g.setColor(color);
    g.fillPath(outline);
}

// Borders are drawn inside the outline, as layers draw them.
void strokeBorder(GraphicsContext& g, const BezierPath& outline, const ColorPtr& color, double width) {
    if (!color || !(width > 0)) return;
    cairo_t* cr = g.cairo();
    cairo_save(cr);
    cairo_new_path(cr);
    g.addPath(outline);
    cairo_clip(cr);
    BezierPath wide;
    wide.append(outline);
    wide.lineWidth = width * 2;
    g.setColor(color);
    g.strokePath(wide);
    cairo_restore(cr);
}

void applyFilters(cairo_pattern_t* pattern, const std::vector<FilterPtr>& filters) {
    cairo_surface_t* surface = nullptr;
    if (cairo_pattern_get_surface(pattern, &surface) != CAIRO_STATUS_SUCCESS || !surface) return;
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return;
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (const auto& f : filters)
        if (f) f->apply(data, w, h, stride);
    cairo_surface_mark_dirty(surface);
}

void drawLayerTree(cairo_t* cr, Layer& layer, bool flipped, const AppearancePtr& appearance);

// Draws the mask layer into a group and uses its opacity to mask what is in `content`.
void paintMasked(cairo_t* cr, cairo_pattern_t* content, Layer& mask, bool flipped, const AppearancePtr& appearance,
                 double parentHeight, double alpha) {
    cairo_push_group(cr);
    GraphicsContext g(cr, parentHeight, flipped, appearance);
    Rect d = g.toDevice(mask.frame());
    cairo_translate(cr, d.origin.x, d.origin.y);
    drawLayerTree(cr, mask, flipped, appearance);
    cairo_pattern_t* maskPattern = cairo_pop_group(cr);
    cairo_set_source(cr, content);
    if (alpha < 1) {
        cairo_push_group(cr);
        cairo_set_source(cr, content);
        cairo_mask(cr, maskPattern);
        cairo_pattern_t* masked = cairo_pop_group(cr);
        cairo_set_source(cr, masked);
        cairo_paint_with_alpha(cr, alpha);
        cairo_pattern_destroy(masked);
    } else {
        cairo_mask(cr, maskPattern);
    }
    cairo_pattern_destroy(maskPattern);
}

void drawLayerTree(cairo_t* cr, Layer& layer, bool flipped, const AppearancePtr& appearance) {
    if (layer.isHidden) return;
    Rect b = layer.bounds();
    bool grouped = layer.opacity < 1 || layer.mask;
    if (grouped) cairo_push_group(cr);
    {
        GraphicsContext g(cr, b.height(), flipped, appearance);
        auto outline = layer.outline();
        cairo_save(cr);
        if (layer.masksToBounds) {
            cairo_new_path(cr);
            g.addPath(*outline);
            cairo_clip(cr);
        }
        fillOutline(g, *outline, layer.backgroundColor);
        layer.drawContent(g);
        for (auto& sub : layer.sublayers()) {
            cairo_save(cr);
            Rect d = g.toDevice(sub->frame());
            cairo_translate(cr, d.origin.x, d.origin.y);
            drawLayerTree(cr, *sub, flipped, appearance);
            cairo_restore(cr);
        }
        cairo_restore(cr);
        strokeBorder(g, *outline, layer.borderColor, layer.borderWidth);
    }
    if (grouped) {
        cairo_pattern_t* content = cairo_pop_group(cr);
        if (layer.mask)
            paintMasked(cr, content, *layer.mask, flipped, appearance, b.height(), layer.opacity);
        else {
            cairo_set_source(cr, content);
            cairo_paint_with_alpha(cr, layer.opacity);
        }
        cairo_pattern_destroy(content);
    }
}

// Draws `view` with the device origin at its bounds' top-left.
void drawView(cairo_t* cr, View& view) {
    if (view.isHidden()) return;
    Rect b = view.bounds();
    Layer* layer = view.wantsLayer() ? view.layer().get() : nullptr;
    double alpha = view.alphaValue * (layer ? layer->opacity : 1.0);
    bool grouped = alpha < 1 || !view.contentFilters.empty() || (layer && layer->mask);
    AppearancePtr appearance = view.effectiveAppearance();
    bool flipped = view.isFlipped();
    if (view.wantsUpdateLayer()) view.updateLayer();
    view.viewWillDraw();
    if (grouped) cairo_push_group(cr);
    {
        GraphicsContext g(cr, b.height(), flipped, appearance);
        // Geometry below is in bounds coordinates: move the origin by the bounds origin.
        auto outline = layer ? layer->outline() : BezierPath::rect({0, 0, b.width(), b.height()});
        bool clip = view.clipsToBounds || (layer && layer->masksToBounds);
        cairo_save(cr);
        if (clip) {
            cairo_new_path(cr);
            g.addPath(*outline);
            cairo_clip(cr);
        }
        if (layer) {
            fillOutline(g, *outline, layer->backgroundColor);
            layer->drawContent(g);
        }
        {
            cairo_save(cr);
            cairo_translate(cr, -b.origin.x, flipped ? -b.origin.y : b.origin.y);
            view.draw(g, b);
            cairo_restore(cr);
        }
        if (layer)
            for (auto& sub : layer->sublayers()) {
                cairo_save(cr);
                Rect d = g.toDevice(sub->frame());
                cairo_translate(cr, d.origin.x, d.origin.y);
                drawLayerTree(cr, *sub, flipped, appearance);
                cairo_restore(cr);
            }
        for (auto& sub : std::vector<ViewPtr>(view.subviews())) {
            if (sub->isHidden()) continue;
            Rect f = sub->frame().offsetBy(-b.origin.x, -b.origin.y);
            Rect d = g.toDevice(f);
            cairo_save(cr);
            cairo_translate(cr, d.origin.x, d.origin.y);
            drawView(cr, *sub);
            cairo_restore(cr);
        }
        cairo_restore(cr);
        if (layer) strokeBorder(g, *outline, layer->borderColor, layer->borderWidth);
    }
    view.setNeedsDisplay(false);
    if (grouped) {
        cairo_pattern_t* content = cairo_pop_group(cr);
        applyFilters(content, view.contentFilters);
        if (layer && layer->mask) {
            paintMasked(cr, content, *layer->mask, flipped, appearance, b.height(), alpha);
        } else {
            cairo_set_source(cr, content);
            cairo_paint_with_alpha(cr, alpha);
        }
        cairo_pattern_destroy(content);
    }
}

double scaleFor(const std::shared_ptr<Window>& window, double scale) {
    if (scale > 0 && std::isfinite(scale)) return scale;
    if (window)
        if (auto s = window->screen()) return s->backingScaleFactor();
    if (auto s = Screen::main()) return s->backingScaleFactor();
    return 1;
}

}  // namespace

void renderView(const ViewPtr& view, const Rect& rect, Image& image) {
    if (!view || image.isEmpty() || rect.isEmpty()) return;
    cairo_t* cr = cairo_create(image.surface());
    cairo_scale(cr, image.pixelsWide() / rect.width(), image.pixelsHigh() / rect.height());
    Rect b = view.get()->bounds();
    // Move so that `rect` of the view lands at the image's top-left.
    double top = view->isFlipped() ? rect.minY() - b.origin.y : b.origin.y + b.height() - rect.maxY();
    cairo_translate(cr, -(rect.minX() - b.origin.x), -top);
    drawView(cr, *view);
    cairo_destroy(cr);
    cairo_surface_flush(image.surface());
}

ImagePtr imageOfView(const ViewPtr& view, double scale) {
    if (!view) return Image::empty();
    if (auto w = view->window()) w->layoutIfNeeded();
    else view->layoutSubtreeIfNeeded();
    Rect b = view->bounds();
    auto image = Image::withSize(b.size, scaleFor(view->window(), scale));
    renderView(view, b, *image);
    return image;
}

ImagePtr imageOfWindow(const WindowPtr& window, double scale) {
    if (!window) return Image::empty();
    window->layoutIfNeeded();
    Rect frame = window->frame();
    auto image = Image::withSize(frame.size, scaleFor(window, scale));
    if (image->isEmpty()) return image;
    cairo_t* cr = cairo_create(image->surface());
    cairo_scale(cr, image->pixelsWide() / frame.width(), image->pixelsHigh() / frame.height());
    AppearancePtr appearance = window->effectiveAppearance();
    GraphicsContext g(cr, frame.height(), false, appearance);
    Rect whole{0, 0, frame.width(), frame.height()};
    bool titled = (window->styleMask() & WindowStyleMask::Titled) != 0;
    auto outline = BezierPath::roundedRect(whole, titled ? 10 : 0, titled ? 10 : 0);
    cairo_save(cr);
    g.addPath(*outline);
    cairo_clip(cr);
    fillOutline(g, *outline, window->backgroundColor);
    Rect content = window->contentRectForFrameRect(frame);
    Rect local{content.origin.x - frame.origin.x, content.origin.y - frame.origin.y, content.size.width,
               content.size.height};
    if (auto view = window->contentView()) {
        Rect d = g.toDevice(local);
        cairo_save(cr);
        cairo_translate(cr, d.origin.x, d.origin.y);
        drawView(cr, *view);
        cairo_restore(cr);
    }
    double titleHeight = window->titlebarHeight();
    if (titled && titleHeight > 0) {
        Rect bar{0, frame.height() - titleHeight, frame.width(), titleHeight};
        if (!window->titlebarAppearsTransparent)
            g.fillRect(bar, appearance && appearance->isDarkFamily() ? Color::white(0.22) : Color::white(0.91));
        if (window->titleVisibility == TitleVisibility::Visible && !window->title.empty()) {
            FontPtr f = Font::boldSystemFont(13);
            Size s = measureText(window->title, f);
            Rect r{(frame.width() - s.width) / 2, bar.minY() + (titleHeight - s.height) / 2, s.width + 1, s.height};
            g.drawText(window->title, r, f, Color::label(), {});
        }
        static const ColorPtr colours[] = {Color::rgb(1, 0.37, 0.34), Color::rgb(1, 0.74, 0.18), Color::rgb(0.16, 0.78, 0.25)};
        for (int i = 0; i < 3; ++i) {
            auto button = window->standardWindowButton(static_cast<WindowButtonKind>(i));
            if (!button || button->isHidden()) continue;
            Rect f = button->frame();
            auto dot = BezierPath::oval({f.minX(), f.midY() - 6, 12, 12});
            g.setColor(button->isEnabled() ? colours[i] : Color::white(0.5, 0.4));
            g.fillPath(*dot);
        }
    }
    cairo_restore(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image->surface());
    return image;
}

bool writePNG(const ViewPtr& view, const std::string& path, double scale) {
    auto image = imageOfView(view, scale);
    return image->writePNG(path);
}

bool writePNG(const WindowPtr& window, const std::string& path, double scale) {
    auto image = imageOfWindow(window, scale);
    return image->writePNG(path);
}

}  // namespace platform::Renderer
