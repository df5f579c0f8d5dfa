#pragma once

// Images: pixel bitmaps with a size in points (a 2x bitmap of 40 by 40 pixels is 20 by 20 points),
// read from PNG files or drawn. An image may be empty (no bitmap, size 0 by 0), which draws nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/appkit/Color.h"
#include "platform/appkit/Geometry.h"
#include "platform/runtime/Object.h"

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

class Image;
using ImagePtr = std::shared_ptr<Image>;
class GraphicsContext;

class Image : public Object {
public:
    // An empty image.
    static ImagePtr empty() { return std::make_shared<Image>(); }
    // The image of a PNG file; null when the file is missing or is not a PNG. A name ending in
    // "@2x" before the extension gives a 2x image (points = pixels / 2).
    static ImagePtr contentsOfFile(const std::string& path);
    // A transparent image of `size` points at `scale` pixels per point; empty for sizes that are not
    // positive.
    static ImagePtr withSize(Size size, double scale = 1.0);
    // An image of `size` drawn by `draw` into a flipped context of that size.
    static ImagePtr drawn(Size size, double scale, const std::function<void(GraphicsContext&)>& draw);

    Image() = default;
    ~Image() override;

    Size size() const { return size_; }
    // Overrides the size in points; the bitmap is scaled when drawn.
    void setSize(Size size) { size_ = size; }
    bool isEmpty() const { return surface_ == nullptr; }
    int pixelsWide() const;
    int pixelsHigh() const;
    bool isTemplate = false;
    std::string name;

    // The colour of pixel (x, y), counted from the top-left, un-premultiplied; absent outside.
    std::optional<RGBA> pixel(int x, int y) const;
    // Writes the bitmap as PNG; false for an empty image or a write failure.
    bool writePNG(const std::string& path) const;

    cairo_surface_t* surface() const { return surface_; }
    // Takes over a Cairo image surface (ARGB32) shown at `size` points.
    static ImagePtr fromSurface(cairo_surface_t* surface, Size size);

private:
    cairo_surface_t* surface_ = nullptr;
    Size size_;
};

}  // namespace platform
