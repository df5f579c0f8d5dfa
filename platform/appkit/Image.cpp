#include "platform/appkit/Image.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/appkit/GraphicsContext.h"

namespace platform {

Image::~Image() {
    if (surface_) cairo_surface_destroy(surface_);
}

ImagePtr Image::fromSurface(cairo_surface_t* surface, Size size) {
    auto image = std::make_shared<Image>();
    if (surface && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        image->surface_ = surface;
        image->size_ = size;
    } else if (surface) {
        cairo_surface_destroy(surface);
    }
    return image;
}

ImagePtr Image::contentsOfFile(const std::string& path) {
    // Check the signature first: Cairo reports a non-PNG file only after reading it whole.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    unsigned char signature[8] = {};
    std::size_t read = std::fread(signature, 1, 8, file);
    std::fclose(file);
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (read != 8 || std::memcmp(signature, png, 8) != 0) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    double scale = 1;
    auto dot = path.rfind('.');
    auto stem = path.substr(0, dot == std::string::npos ? path.size() : dot);
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0) scale = 2;
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@3x") == 0) scale = 3;
    Size size{cairo_image_surface_get_width(surface) / scale, cairo_image_surface_get_height(surface) / scale};
    auto image = fromSurface(surface, size);
    auto slash = path.rfind('/');
    image->name = slash == std::string::npos ? path : path.substr(slash + 1);
    return image;
}

ImagePtr Image::withSize(Size size, double scale) {
    if (size.isEmpty() || !std::isfinite(size.width) || !std::isfinite(size.height) || !(scale > 0)) return empty();
    int w = std::max(1, static_cast<int>(std::ceil(size.width * scale)));
    int h = std::max(1, static_cast<int>(std::ceil(size.height * scale)));
    if (w > 32768 || h > 32768) return empty();
    return fromSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h), size);
}

ImagePtr Image::drawn(Size size, double scale, const std::function<void(GraphicsContext&)>& draw) {
    auto image = withSize(size, scale);
    if (image->isEmpty()) return image;
    cairo_t* cr = cairo_create(image->surface_);
    cairo_scale(cr, static_cast<double>(image->pixelsWide()) / size.width,
                static_cast<double>(image->pixelsHigh()) / size.height);
    {
        GraphicsContext context(cr, size.height, true, Appearance::applicationEffective());
        draw(context);
    }
    cairo_destroy(cr);
    cairo_surface_flush(image->surface_);
    return image;
}

int Image::pixelsWide() const { return surface_ ? cairo_image_surface_get_width(surface_) : 0; }
int Image::pixelsHigh() const { return surface_ ? cairo_image_surface_get_height(surface_) : 0; }

std::optional<RGBA> Image::pixel(int x, int y) const {
    if (!surface_ || x < 0 || y < 0 || x >= pixelsWide() || y >= pixelsHigh()) return std::nullopt;
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    std::uint32_t v;
    std::memcpy(&v, data + y * stride + x * 4, 4);
    double a = ((v >> 24) & 0xff) / 255.0;
    auto channel = [&](int shift) { return a > 0 ? ((v >> shift) & 0xff) / 255.0 / a : 0.0; };
    return RGBA{channel(16), channel(8), channel(0), a};
}

bool Image::writePNG(const std::string& path) const {
    if (!surface_) return false;
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace platform
