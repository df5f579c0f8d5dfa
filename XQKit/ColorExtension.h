#pragma once

// Colour conveniences: a colour following the light or dark appearance, colours from and to
// hexadecimal text, and a copy with another opacity.

#include <string>
#include <string_view>

#include "platform/appkit/Color.h"

// A colour that is `dark` in a dark appearance (dark aqua or vibrant dark) and `light` otherwise; with
// no dark colour it is always the light one. Before macOS 10.15 the light colour, fixed.
platform::ColorPtr colorWith(const platform::ColorPtr& light, const platform::ColorPtr& dark);
// "#RGB", "#RGBA", "#RRGGBB" or "#RRGGBBAA" (the "#" optional, digits in either case); null for any
// other text.
platform::ColorPtr colorWithHexString(std::string_view text);
// A copy with opacity `value`.
platform::ColorPtr alpha(const platform::ColorPtr& color, double value);
// "#RRGGBB" when the colour is opaque (its rounded opacity is 255), "#RRGGBBAA" otherwise.
std::string hexString(const platform::ColorPtr& color);
std::string hexStringWithAlpha(const platform::ColorPtr& color);
std::string hexStringWithoutAlpha(const platform::ColorPtr& color);
