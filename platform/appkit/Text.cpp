#include "platform/appkit/Text.h"

#include <pango/pangocairo.h>

#include <cmath>

namespace platform {

namespace {

// One measuring context per thread: Pango contexts are not thread-safe, and building one per call
// would dominate the cost of measuring short labels.
PangoContext* measuringContext() {
    thread_local struct Holder {
        PangoFontMap* map = nullptr;
        PangoContext* context = nullptr;
        Holder() {
            map = pango_cairo_font_map_new();
            context = pango_font_map_create_context(map);
            pango_cairo_context_set_resolution(context, 72.0);
            cairo_font_options_t* options = cairo_font_options_create();
            cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
            cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
            pango_cairo_context_set_font_options(context, options);
            cairo_font_options_destroy(options);
        }
        ~Holder() {
            g_object_unref(context);
            g_object_unref(map);
        }
    } holder;
    return holder.context;
}

}  // namespace

// Shared with the drawing code so that measured and drawn text agree.
void configureLayout(PangoLayout* layout, const std::string& text, const FontPtr& font,
                     const TextLayoutOptions& options) {
    FontPtr f = font ? font : Font::systemFont(Font::systemFontSize());
    PangoFontDescription* description = pango_font_description_from_string(f->pangoDescription().c_str());
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    if (options.maxWidth > 0 && std::isfinite(options.maxWidth) &&
        options.lineBreak != LineBreakMode::ByClipping) {
        pango_layout_set_width(layout, static_cast<int>(options.maxWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout, options.lineBreak == LineBreakMode::ByCharWrapping ? PANGO_WRAP_CHAR
                                                                                         : PANGO_WRAP_WORD_CHAR);
        if (options.lineBreak == LineBreakMode::ByTruncatingTail && options.maxLines == 1)
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    if (options.maxLines > 0 && options.maxWidth > 0) pango_layout_set_height(layout, -options.maxLines);
    switch (options.alignment) {
        case TextAlignment::Right: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
        case TextAlignment::Center: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
        case TextAlignment::Justified: pango_layout_set_justify(layout, TRUE); break;
        default: pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT); break;
    }
}

Size measureText(const std::string& text, const FontPtr& font, const TextLayoutOptions& options) {
    PangoLayout* layout = pango_layout_new(measuringContext());
    configureLayout(layout, text, font, options);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    int lines = pango_layout_get_line_count(layout);
    double height = static_cast<double>(logical.height) / PANGO_SCALE;
    if (options.maxLines > 0 && lines > options.maxLines) {
        // Pango's negative height already limits lines for wrapped text; clamp the unwrapped case.
        height = height * options.maxLines / lines;
    }
    Size size{static_cast<double>(logical.width) / PANGO_SCALE, height};
    g_object_unref(layout);
    return size;
}

Rect boundingRect(const std::string& text, const FontPtr& font, Size size) {
    TextLayoutOptions options;
    options.maxWidth = std::isfinite(size.width) && size.width > 0 ? size.width : 0;
    Size s = measureText(text, font, options);
    if (std::isfinite(size.height) && size.height > 0) s.height = std::min(s.height, std::max(size.height, lineHeight(font)));
    return {0, 0, s.width, s.height};
}

double lineHeight(const FontPtr& font) { return measureText("", font).height; }

}  // namespace platform
