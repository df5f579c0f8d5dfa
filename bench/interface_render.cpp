// Layout and rendering of a 600 x 300 window with ten labels and ten buttons to a PNG file, beside a
// baseline that paints the same rectangles and texts directly with Cairo and Pango.

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/appkit/Button.h"
#include "platform/appkit/Renderer.h"
#include "platform/appkit/TextField.h"
#include "platform/appkit/Window.h"

using namespace platform;

namespace {

const std::string kPath = "/tmp/xq-bench-render-" + std::to_string(getpid()) + ".png";

std::string labelText(int i) { return "Label number " + std::to_string(i); }
std::string buttonText(int i) { return "Button " + std::to_string(i); }

// Two columns of rows: a label and a button per row.
class GridView : public View {
public:
    void layout() override {
        const auto& subs = subviews();
        for (std::size_t i = 0; i < subs.size(); ++i) {
            auto row = static_cast<double>(i / 4), column = static_cast<double>((i / 2) % 2);
            bool isButton = i % 2 == 1;
            auto control = std::static_pointer_cast<Control>(subs[i]);
            control->sizeToFit();
            control->setFrameOrigin({20 + column * 290 + (isButton ? 150 : 0), 20 + row * 50});
        }
    }
    bool isFlipped() const override { return true; }
};

void BM_ToolkitLayoutAndRender(benchmark::State& state) {
    auto window = Window::make({0, 0, 600, 300}, WindowStyleMask::Titled | WindowStyleMask::FullSizeContentView);
    auto grid = View::make<GridView>({0, 0, 600, 300});
    for (int i = 0; i < 10; ++i) {
        grid->addSubview(TextField::labelWithString(labelText(i)));
        grid->addSubview(Button::withTitle(buttonText(i)));
    }
    window->setContentView(grid);
    for (auto _ : state) {
        grid->setNeedsLayout(true);
        bool ok = Renderer::writePNG(window, kPath, 2.0);
        benchmark::DoNotOptimize(ok);
    }
    std::remove(kPath.c_str());
}
BENCHMARK(BM_ToolkitLayoutAndRender)->Unit(benchmark::kMillisecond);

void text(cairo_t* cr, PangoLayout* layout, const std::string& s, double x, double y) {
    pango_layout_set_text(layout, s.c_str(), -1);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
}

void BM_BaselineCairo(benchmark::State& state) {
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1200, 600);
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, 2, 2);
        cairo_set_source_rgb(cr, 0.93, 0.93, 0.93);
        cairo_paint(cr);
        PangoLayout* layout = pango_cairo_create_layout(cr);
        PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans 13px");
        pango_layout_set_font_description(layout, font);
        for (int i = 0; i < 10; ++i) {
            double x = 20 + (i % 2) * 290, y = 20 + (i / 2) * 50;
            cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
            text(cr, layout, labelText(i), x + 2, y);
            cairo_new_path(cr);
            cairo_rectangle(cr, x + 150, y, 90, 21);
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_fill_preserve(cr);
            cairo_set_source_rgba(cr, 0, 0, 0, 0.15);
            cairo_stroke(cr);
            cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
            text(cr, layout, buttonText(i), x + 162, y + 2);
        }
        pango_font_description_free(font);
        g_object_unref(layout);
        cairo_destroy(cr);
        cairo_surface_write_to_png(surface, kPath.c_str());
        cairo_surface_destroy(surface);
    }
    std::remove(kPath.c_str());
}
BENCHMARK(BM_BaselineCairo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
