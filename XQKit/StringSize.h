#pragma once

// Text measuring: the size of the bounding rectangle of a text drawn in a font, wrapped at a width,
// with unbounded height, laid out by line fragments; no rounding.

#include <string>

#include "platform/appkit/Font.h"
#include "platform/appkit/Geometry.h"

platform::Size sizeWith(const std::string& text, double maxWidth, const platform::FontPtr& font);
