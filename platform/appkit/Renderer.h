#pragma once

// Rendering of views and windows with Cairo: layer styles (background, rounded and masked corners,
// clipping, shape masks, borders), custom drawing, text and images, content filters, at a scale of
// pixels per point. This is what "display" means here, and how every screen can be looked at.

#include <string>

#include "platform/appkit/Image.h"
#include "platform/appkit/View.h"
#include "platform/appkit/Window.h"

namespace platform::Renderer {

// Draws `rect` (in the view's coordinates) of `view` and its subviews into `image`, scaled to fill it.
void renderView(const ViewPtr& view, const Rect& rect, Image& image);
// The view's bounds at `scale` (0: the screen's); empty for a view of no size.
ImagePtr imageOfView(const ViewPtr& view, double scale = 0);
// The whole window (background, title bar, content), laid out first, at `scale` (0: its screen's).
ImagePtr imageOfWindow(const WindowPtr& window, double scale = 0);
// Renders to a PNG file; false when there is nothing to draw or the file cannot be written.
bool writePNG(const ViewPtr& view, const std::string& path, double scale = 0);
bool writePNG(const WindowPtr& window, const std::string& path, double scale = 0);

}  // namespace platform::Renderer
